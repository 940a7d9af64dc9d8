#include "classify/cascade_handlers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "classify/lookup_tables.h"
#include "framework/DbErrors.h"
#include "framework/TField.h"
#include "platform/big5/big5.h"
#include "schema/schema.h"
#include "tests/framework/MemoryDataSet.h"

namespace {

using framework::testing::MemoryColumn;
using framework::testing::MemoryDataSet;

std::string b5(std::string_view utf8) { return big5::fromUtf8(utf8); }
std::string utf8(const std::string& big5Text) { return big5::toUtf8(big5Text); }

class FakeList : public classify::ListControl {
 public:
  void Clear() override {
    items.clear();
    ++clears;
  }
  void AddItem(const std::string& big5Text) override { items.push_back(utf8(big5Text)); }
  int ItemIndex() const override { return index; }

  std::vector<std::string> items;
  int index = -1;
  int clears = 0;
};

class FakeEdit : public classify::EditControl {
 public:
  void Clear() override { ++clears; }
  int clears = 0;
};

// A lookup table as the database holds it, from the scheme's contents.
std::unique_ptr<MemoryDataSet> lookupTable(std::string_view name) {
  for (const auto& table : classify::lookupTableContents()) {
    if (table.table != name) continue;
    std::vector<MemoryColumn> columns;
    for (const auto& column : table.columns) columns.emplace_back(column.column, framework::ftString, 50);
    std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(table.rowCount));
    for (std::size_t r = 0; r < rows.size(); ++r)
      for (const auto& column : table.columns) rows[r].push_back(b5(column.rows[r]));
    auto data = std::make_unique<MemoryDataSet>(std::string(name), columns, rows);
    data->Open();
    return data;
  }
  throw std::runtime_error("no lookup table");
}

struct Classified {
  const char* Li_Chang = "主觀";
  const char* Li_Chang_B = "1";
  const char* Xian_Xiang = "行為";
  const char* Xian_Xiang_B = "1";
  const char* Ren_Zhi = "經驗";
  const char* Ren_Zhi_B = "1";
  const char* Si_Bei = "控制";
  const char* Si_Bei_B = "11";
  const char* Gai_Nian = "殺戮";
  const char* Gai_Nian_Hex = "0FFH";
  const char* XI_B = "111";
};

class CascadeTest : public ::testing::Test {
 protected:
  CascadeTest() {
    std::vector<MemoryColumn> columns;
    const auto* table = schema::findTable(schema::tables::DataInput);
    for (const auto& field : table->fields)
      if (field.type == schema::FieldType::String) columns.emplace_back(std::string(field.name), framework::ftString, field.size);
    for (const auto& column : columns) columnNames.push_back(column.name);
    main = std::make_unique<MemoryDataSet>("OrvDaoTable1", columns);
    main->Open();
    families = lookupTable("2_Xian_Xiang");
    classes = lookupTable("3_Ren_Zhi");
    groups = lookupTable("4_Si_Bei");
    concepts = lookupTable("5_GN");
  }

  void insertRecord(const Classified& c) {
    main->Insert();
    const std::pair<const char*, const char*> values[] = {
        {"B5_Word", "一"},          {"Li_Chang", c.Li_Chang},   {"Li_Chang_B", c.Li_Chang_B},
        {"Xian_Xiang", c.Xian_Xiang}, {"Xian_Xiang_B", c.Xian_Xiang_B}, {"Ren_Zhi", c.Ren_Zhi},
        {"Ren_Zhi_B", c.Ren_Zhi_B}, {"Si_Bei", c.Si_Bei},       {"Si_Bei_B", c.Si_Bei_B},
        {"Gai_Nian", c.Gai_Nian},   {"Gai_Nian_Hex", c.Gai_Nian_Hex}, {"8_XI_B", c.XI_B}};
    for (const auto& [name, value] : values) set(name, value);
    main->Post();
    main->Edit();
  }

  void set(std::string_view field, std::string_view value) { main->FieldByName(field).SetAsString(b5(value)); }
  std::string get(std::string_view field) const { return utf8(main->FieldByName(field).AsString()); }

  classify::ClassificationControls controls() { return {list1, list2, list3, list4, list5, edit3, edit4, edit5}; }
  classify::ClassificationData data() { return {*main, *families, *classes, *groups, *concepts}; }

  int columnIndex(const std::string& name) const {
    return static_cast<int>(std::find(columnNames.begin(), columnNames.end(), name) - columnNames.begin());
  }

  std::vector<std::string> columnNames;
  std::unique_ptr<MemoryDataSet> main, families, classes, groups, concepts;
  FakeList list1, list2, list3, list4, list5;
  FakeEdit edit3, edit4, edit5;
};

TEST_F(CascadeTest, ChoosingAStanceOnAClassifiedRecordEmptiesEverythingBelow) {
  insertRecord(Classified{});
  list4.items = {"stale"};
  list1.index = 1;  // 主觀
  classify::stanceChosen(controls(), data());

  for (const char* field : {"Xian_Xiang", "Xian_Xiang_B", "Ren_Zhi", "Ren_Zhi_B", "Si_Bei", "Si_Bei_B",
                            "Gai_Nian", "Gai_Nian_Hex", "8_XI_B"})
    EXPECT_EQ(get(field), "") << field;
  EXPECT_EQ(list2.items, (std::vector<std::string>{"認識", "行為"}));
  EXPECT_TRUE(list3.items.empty());
  EXPECT_TRUE(list4.items.empty());
  EXPECT_TRUE(list5.items.empty());
  EXPECT_EQ(edit3.clears + edit4.clears + edit5.clears, 3);
  EXPECT_EQ(get("Li_Chang_B"), "1");
  EXPECT_EQ(get("Li_Chang"), "主觀");  // the name arrives through the list's binding, not here
}

TEST_F(CascadeTest, StanceIndexOutOfRangeWritesNoCode) {
  insertRecord(Classified{});
  list1.index = -1;
  classify::stanceChosen(controls(), data());
  EXPECT_TRUE(list2.items.empty());
  EXPECT_EQ(get("Li_Chang_B"), "1");
  EXPECT_EQ(get("Xian_Xiang"), "");
}

TEST_F(CascadeTest, StaleFamilyListFollowsTheRecordsOwnStance) {
  Classified record;
  record.Li_Chang = "客觀";
  insertRecord(record);
  list2.items = {"認識", "行為"};  // loaded on an earlier record
  list2.index = 1;
  classify::familyChosen(controls(), data());
  EXPECT_EQ(get("Xian_Xiang_B"), "1");
  EXPECT_EQ(list3.items, (std::vector<std::string>{"本存", "人造"}));  // Ren_Zhi02, under 具象
}

TEST_F(CascadeTest, FamilyChoiceWithoutStanceNameEmptiesBelowButKeepsItsCode) {
  Classified record;
  record.Li_Chang = "";
  record.Xian_Xiang_B = "1";
  insertRecord(record);
  list2.index = 0;
  classify::familyChosen(controls(), data());
  EXPECT_TRUE(list3.items.empty());
  EXPECT_EQ(get("Xian_Xiang_B"), "1");
  for (const char* field : {"Ren_Zhi", "Ren_Zhi_B", "Si_Bei", "Si_Bei_B", "Gai_Nian", "Gai_Nian_Hex", "8_XI_B"})
    EXPECT_EQ(get(field), "") << field;
}

TEST_F(CascadeTest, NamesAreComparedExactly) {
  Classified record;
  record.Xian_Xiang = "抽象 ";  // a trailing blank is another name
  insertRecord(record);
  list3.index = 0;
  classify::classChosen(controls(), data());
  EXPECT_TRUE(list4.items.empty());
  EXPECT_EQ(get("Ren_Zhi_B"), "1");
}

TEST_F(CascadeTest, ThirdGroupUnderManMadeFillsConceptsOfColumn15) {
  Classified record;
  record.Ren_Zhi = "人造";
  insertRecord(record);
  list4.index = 2;
  classify::groupChosen(controls(), data());
  EXPECT_EQ(get("Si_Bei_B"), "10");
  EXPECT_EQ(list5.items,
            (std::vector<std::string>{"食具", "炊具", "容具", "盛具", "用具", "家具", "飾具", "輔具"}));
  EXPECT_EQ(get("Gai_Nian"), "");
  EXPECT_EQ(get("Gai_Nian_Hex"), "");
  EXPECT_EQ(get("Si_Bei"), "控制");  // the group name itself is the list's binding's business
  EXPECT_EQ(edit5.clears, 0);
}

TEST_F(CascadeTest, ConceptCodesFollowTheGroupNameAndThePosition) {
  struct Case {
    const char* group;
    int index;
    const char* hex;
    const char* bits;
  };
  for (const Case& c : {Case{"控制", 7, "0FFH", "111"}, Case{"語法", 2, "00AH", "010"}, Case{"符號", 0, "000H", "000"},
                        Case{"行事", 0, "0F0H", "000"}, Case{"起居", 5, "075H", "101"},
                        // list 5 still holds another group's concepts: only the position counts
                        Case{"感覺", 3, "08BH", "011"}}) {
    Classified record;
    record.Si_Bei = c.group;
    insertRecord(record);
    list5.items = {"類詞", "序詞", "數詞", "時詞", "位詞", "度詞", "幣詞", "量詞"};
    list5.index = c.index;
    classify::conceptChosen(controls(), data());
    EXPECT_EQ(get("Gai_Nian_Hex"), c.hex) << c.group;
    EXPECT_EQ(get("8_XI_B"), c.bits) << c.group;
    main->Cancel();
  }
}

TEST_F(CascadeTest, ConceptWithoutKnownGroupOnlyEmptiesThePositionCode) {
  for (const char* group : {"", "居家"}) {
    Classified record;
    record.Si_Bei = group;
    insertRecord(record);
    list5.index = 3;
    classify::conceptChosen(controls(), data());
    EXPECT_EQ(get("8_XI_B"), "") << group;
    EXPECT_EQ(get("Gai_Nian_Hex"), "0FFH") << group;
    main->Cancel();
  }
  Classified record;
  insertRecord(record);
  list5.index = 8;  // beyond the eighth entry
  classify::conceptChosen(controls(), data());
  EXPECT_EQ(get("8_XI_B"), "");
  EXPECT_EQ(get("Gai_Nian_Hex"), "0FFH");
}

TEST_F(CascadeTest, EmptyLookupCellStillTakesItsPlace) {
  families->First();
  families->Edit();
  families->FieldByName("Xian_Xiang02").SetAsString("");
  families->Post();
  insertRecord(Classified{});
  list1.index = 1;
  classify::stanceChosen(controls(), data());
  EXPECT_EQ(list2.items, (std::vector<std::string>{"", "行為"}));
}

TEST_F(CascadeTest, MissingColumnStopsTheHandlerAfterTheStepsDone) {
  std::vector<MemoryColumn> columns{MemoryColumn("Xian_Xiang01")};
  families = std::make_unique<MemoryDataSet>("OrvDaoTable3", columns, std::vector<std::vector<std::string>>{{"x"}});
  families->Open();
  insertRecord(Classified{});
  list1.index = 1;
  try {
    classify::stanceChosen(controls(), data());
    FAIL() << "no error";
  } catch (const framework::EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "OrvDaoTable3: Field 'Xian_Xiang02' not found");
  }
  EXPECT_EQ(get("Gai_Nian"), "");     // emptied before the failure
  EXPECT_EQ(get("Li_Chang_B"), "1");  // not reached
}

TEST_F(CascadeTest, PostWithoutStanceNameStoresTheEmptiedStanceCode) {
  main->AfterPost = [this](framework::TDataSet& dataSet) { classify::dropStanceCodeWithoutStance(dataSet); };
  Classified record;
  record.Li_Chang = "";
  record.Li_Chang_B = "1";
  insertRecord(record);  // the insert's own post already ran the handler
  EXPECT_EQ(main->State(), framework::dsEdit);
  set("Li_Chang_B", "0");
  main->Post();
  EXPECT_EQ(get("Li_Chang_B"), "");
  EXPECT_EQ(main->State(), framework::dsBrowse);
  EXPECT_EQ(main->Column(columnIndex("Li_Chang_B")), std::vector<std::string>{""});  // stored, not only shown
}

TEST_F(CascadeTest, PostWithStanceNameKeepsTheCode) {
  main->AfterPost = [this](framework::TDataSet& dataSet) { classify::dropStanceCodeWithoutStance(dataSet); };
  insertRecord(Classified{});
  main->Post();
  EXPECT_EQ(get("Li_Chang_B"), "1");
}

}  // namespace
