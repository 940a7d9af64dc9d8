// TOrvDaoTable: Locate. The search runs inside the engine, on a clone of the
// recordset, so the table's own cursor and buffers are touched only when a
// row is found.
#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "data/bookmark_handle.h"
#include "data/engine_text.h"
#include "data/locate_criteria.h"
#include "data/messages.h"
#include "framework/DbErrors.h"
#include "platform/big5/big5.h"
#include "platform/dao/typelib/dao_typelib.h"

namespace data {

using namespace dao;  // the engine's type library: member names and codes

using automation::ObjectRef;
using framework::DatabaseError;

namespace {

std::string Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

std::vector<std::string> SplitFieldNames(const std::string& keyFields) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = keyFields.find(';', start);
    names.push_back(Trimmed(std::string_view(keyFields).substr(start, end - start)));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return names;
}

}  // namespace

bool TOrvDaoTable::Locate(const std::string& keyFields, const framework::TKeyValues& keyValues,
                          framework::TLocateOptions options) {
  if (IsEmpty() || database_ == nullptr || !database_->Connected()) return false;
  const std::vector<std::string> names = SplitFieldNames(keyFields);
  if (names.size() != keyValues.size()) DatabaseError(SKeyCountMismatch);
  std::vector<LocateKey> keys;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const framework::TField& field = FieldByName(names[i]);
    const auto fieldIndex = static_cast<std::size_t>(field.FieldNo() - 1);
    const bool guid = fieldIndex < fieldInfo_.size() && fieldInfo_[fieldIndex].daoType == dbGUID;
    keys.push_back({field.FieldName(), field.DataType(), guid, keyValues[i].value_or("NULL")});
  }
  UpdateCursorPos();
  // Recordsets without bookmarks would need a row-by-row search; the
  // program's tables always have bookmarks.
  if (!bookmarkable_) return false;
  if (tableType_ == recordset_type::table) DatabaseError(SNoIndex);
  const std::string criteriaBig5 = BuildLocateCriteria(keys, options, useBrackets_);
  std::string criteria;
  try {
    criteria = EngineFromBig5(criteriaBig5);
  } catch (const big5::ConversionError&) {
    return false;  // a value that is no Big5 text matches no stored text
  }

  const ObjectRef clone = recordset_->getObject(member::kClone);
  clone->call(member::kMoveFirst);
  clone->call(member::kFindFirst, {criteria});
  if (clone->get(member::kNoMatch).asBoolean()) {
    clone->call(member::kClose);
    return false;
  }
  const automation::ByteArray found = clone->get(member::kBookmark).asBytes();
  const std::int32_t handle = HandleOfBytes(found.data(), found.size());
  CheckBrowseMode();
  CursorPosChanged();
  DoBeforeScroll();
  const std::int32_t recordIndex = clone->get(member::kAbsolutePosition).asInt32();
  GotoHandle(handle);
  currentIndex_ = recordIndex;
  Resync();
  DoAfterScroll();
  clone->call(member::kClose);
  return true;
}

}  // namespace data
