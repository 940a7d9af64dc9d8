// Dynaset: FindFirst, evaluated by the storage over the table with the
// criteria compiled in its dialect, restricted to the keyset.
#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/dynaset.h"

namespace dao {

// The most recently compiled criteria texts of a dynaset and its clones. The
// compilation depends on the text and the table only.
struct Dynaset::FindCache {
  static constexpr std::size_t kEntries = 8;

  struct Entry {
    std::string criteria;
    std::shared_ptr<const CompiledFind> compiled;
  };

  const CompiledFind& get(StoredTable& table, std::string_view criteriaText) {
    for (const Entry& entry : entries) {
      if (entry.criteria == criteriaText) return *entry.compiled;
    }
    Entry compiled{std::string(criteriaText), table.compileFind(criteriaText)};
    if (entries.size() < kEntries) return *entries.emplace_back(std::move(compiled)).compiled;
    Entry& slot = entries[next];
    next = (next + 1) % kEntries;
    slot = std::move(compiled);
    return *slot.compiled;
  }

  std::vector<Entry> entries;
  std::size_t next = 0;

  // The row the last search found, read with its key, and the content stamp
  // taken before that search: a cursor of the keyset landing on that row
  // takes it instead of reading it, as long as nobody committed since.
  RowData found;
  std::uint64_t foundStamp = 0;
};

std::shared_ptr<Dynaset::FindCache> Dynaset::newFindCache() { return std::make_shared<FindCache>(); }

bool Dynaset::findFirst(std::string_view criteriaText) {
  requireOpen();
  // Stays valid for this call: nothing else reaches the cache meanwhile.
  const CompiledFind& search = findCache_->get(*stored_, criteriaText);
  const Keyset& keyset = *keyset_;
  // Taken before the search, so that a commit racing with it makes the row
  // found look stale (read again on landing), never fresh.
  const std::uint64_t stamp = storage_->contentStamp();
  const std::optional<std::int64_t> found = stored_->findFirstWithRow(
      search, [&keyset](std::int64_t rowId) { return keyset.contains(rowId); }, findCache_->found);
  findCache_->foundStamp = stamp;
  if (!found) return false;
  landOnKey(*found);
  return true;
}

void Dynaset::takeFoundRow(std::int64_t rowId) {
  RowData& found = findCache_->found;
  if (found.rowId != rowId || rowId == 0) return;
  reader_.adoptRow(found, findCache_->foundStamp);
  found.rowId = 0;
}

}  // namespace dao
