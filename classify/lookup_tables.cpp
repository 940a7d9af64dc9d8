#include "classify/lookup_tables.h"

#include <cstdio>

#include "classify/concept_scheme.h"

namespace classify {
namespace {

std::string twoDigits(std::string_view prefix, int number) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%02d", number);
  return std::string(prefix) + digits;
}

// Children of each parent in one table: column n holds the children of
// parent n - 1, which are `perParent` consecutive names of `names`.
template <typename Names>
std::vector<LookupColumnContent> childColumns(int parentCount, int perParent, const Names& names,
                                             std::string (*columnName)(int)) {
  std::vector<LookupColumnContent> columns;
  for (int parent = 0; parent < parentCount; ++parent) {
    LookupColumnContent column{columnName(parent), {}};
    for (int i = 0; i < perParent; ++i)
      column.rows.emplace_back(names[static_cast<std::size_t>(parent * perParent + i)]);
    columns.push_back(std::move(column));
  }
  return columns;
}

LookupColumnContent numberedColumn(std::string name, int rowCount, int digits) {
  LookupColumnContent column{std::move(name), {}};
  for (int row = 0; row < rowCount; ++row)
    column.rows.push_back(digits == 0 ? std::to_string(row) : IntToBin(row, digits));
  return column;
}

}  // namespace

std::vector<LookupTableContent> lookupTableContents() {
  std::vector<LookupTableContent> tables;

  LookupTableContent liChang{"1_Li_Chang", {}, kStanceCount};
  liChang.columns.push_back({"Li_Chang", {std::string(kStanceNames[0]), std::string(kStanceNames[1])}});
  liChang.columns.push_back(numberedColumn("Binary", kStanceCount, 0));
  tables.push_back(std::move(liChang));

  LookupTableContent xianXiang{"2_Xian_Xiang", childColumns(kStanceCount, 2, kFamilyNames, familyColumn), 2};
  xianXiang.columns.push_back(numberedColumn("Binary", 2, 0));
  tables.push_back(std::move(xianXiang));

  LookupTableContent renZhi{"3_Ren_Zhi", childColumns(kFamilyCount, 2, kClassNames, classColumn), 2};
  renZhi.columns.push_back(numberedColumn("Binary", 2, 0));
  tables.push_back(std::move(renZhi));

  LookupTableContent siBei{"4_Si_Bei", childColumns(kClassCount, 4, kGroupNames, groupColumn), 4};
  siBei.columns.push_back(numberedColumn("Binary", 4, 2));
  tables.push_back(std::move(siBei));

  LookupTableContent gn{"5_GN", childColumns(kGroupCount, 8, kConceptNames, conceptColumn), 8};
  for (int group = 0; group < kGroupCount; ++group) {
    LookupColumnContent hex{twoDigits("Hex_", group + 1), {}};
    for (int i = 0; i < 8; ++i) hex.rows.push_back(conceptHexText(groupFirstCode(group) + i));
    gn.columns.push_back(std::move(hex));
  }
  tables.push_back(std::move(gn));

  return tables;
}

}  // namespace classify
