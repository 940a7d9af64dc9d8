// Field objects as the table dataset reads them when it opens: names, DAO
// type codes, sizes, attributes, required flags, defaults, formats, and the
// values of each type.
#include "tests/platform/dao/engine_test_support.h"

using namespace enginetest;
using automation::ObjectRef;
using automation::Variant;
using automation::VariantType;

namespace {

class Fields : public ::testing::Test {
 protected:
  Fields() {
    dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path);
    builder.createTable(peopleTable());
    dao::TableDefinition types;
    types.name = "Types";
    types.columns = {
        {.name = "Flag", .type = dao::dbBoolean, .defaultValue = "True"},
        {.name = "Small", .type = dao::dbInteger},
        {.name = "Tiny", .type = dao::dbByte},
        {.name = "Money", .type = dao::dbCurrency},
        {.name = "Real", .type = dao::dbDouble},
        {.name = "When", .type = dao::dbDate, .defaultValue = "#2024-01-31#"},
        {.name = "Blob", .type = dao::dbLongBinary},
        {.name = "Loose", .type = dao::dbText},
        {.name = "Greeting", .type = dao::dbText, .size = 20, .defaultValue = "\"say \"\"hi\"\"\""},
    };
    builder.createTable(types);
    builder.insertRows("People", {"Name", "Age"}, {{"Ann", "30"}});
    builder.insertRows("Types", {"Flag", "Small", "Tiny", "Money", "Real", "When", "Loose"},
                       {{"False", "-3", "200", "12.3456", "0.5", "2024-02-29 06:30", "x"}});
    builder.commit();
    session = std::make_unique<EngineSession>(path);
  }

  TemporaryFolder folder;
  std::string path = folder.file("fields.mdb");
  std::unique_ptr<EngineSession> session;
};

}  // namespace

TEST_F(Fields, DescribeTheColumnsInStoredOrder) {
  ObjectRef fields = session->openTable()->getObject("Fields");
  ASSERT_EQ(fields->get("Count").asInt32(), 6);  // the engine's own columns stay hidden
  struct Expected {
    const char* name;
    int type, size, attributes;
    bool required;
    const char* defaultValue;
  };
  const Expected expected[] = {
      {"ID", 4, 4, 1 | 16, false, ""},        {"Name", 10, 10, 2 | 32, true, ""},
      {"Age", 4, 4, 1 | 32, false, "0"},      {"Code", 10, 8, 2 | 32, false, ""},
      {"Note", 12, 0, 2 | 32, false, ""},     {"Stamp", 8, 8, 1 | 32, false, ""},
  };
  for (int i = 0; i < 6; ++i) {
    ObjectRef field = fields->getObject("Item", {i});
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(field->get("Name").asText(), expected[i].name);
    EXPECT_EQ(field->get("Type").asInt32(), expected[i].type);
    EXPECT_EQ(field->get("Size").asInt32(), expected[i].size);
    EXPECT_EQ(field->get("Attributes").asInt32(), expected[i].attributes);
    EXPECT_EQ(field->get("Required").asBoolean(), expected[i].required);
    EXPECT_EQ(field->get("DefaultValue").asText(), expected[i].defaultValue);
    EXPECT_EQ(field->get("OrdinalPosition").asInt32(), i);
  }
}

TEST_F(Fields, AreFoundByNameIgnoringCaseAndByIndex) {
  ObjectRef recordset = session->openTable();
  EXPECT_EQ(recordset->getObject("Fields", {"nAmE"})->get("Name").asText(), "Name");
  EXPECT_EQ(recordset->getObject("Fields")->getObject("Item", {1})->get("Value").asText(), "Ann");
  EXPECT_EQ(recordset->get("Fields", {1}).type(), VariantType::Object);
  expectEngineError([&] { recordset->getObject("Fields", {"zen_version"}); }, 3265,
                    "Item not found in this collection.");
  expectEngineError([&] { recordset->getObject("Fields", {6}); }, 3265, "Item not found in this collection.");
  expectEngineError([&] { recordset->getObject("Fields", {-1}); }, 3265, "Item not found in this collection.");
}

TEST_F(Fields, FieldObjectsFollowTheCursor) {
  ObjectRef recordset = session->openTable();
  ObjectRef name = recordset->getObject("Fields", {"Name"});
  EXPECT_EQ(recordset->getObject("Fields", {"Name"}), name);  // fetched once, kept
  EXPECT_EQ(name->get("Value").asText(), "Ann");
  recordset->call("MoveNext");
  expectEngineError([&] { name->get("Value"); }, 3021, "No current record.");
}

TEST_F(Fields, FormatPropertyOnlyWhereOneIsSet) {
  ObjectRef fields = session->openTable()->getObject("Fields");
  ObjectRef stampProperties = fields->getObject("Item", {"Stamp"})->getObject("Properties");
  EXPECT_EQ(stampProperties->getObject("Item", {"Format"})->get("Value").asText(), "Short Time");
  ObjectRef nameProperties = fields->getObject("Item", {"Name"})->getObject("Properties");
  expectEngineError([&] { nameProperties->getObject("Item", {"Format"}); }, 3265, "Item not found in this collection.");
  bool listed = false;
  for (int i = 0; i < stampProperties->get("Count").asInt32(); ++i) {
    listed = listed || stampProperties->getObject("Item", {i})->get("Name").asText() == "Format";
  }
  EXPECT_TRUE(listed);
}

TEST_F(Fields, ValuesComeInTheKindOfTheirType) {
  ObjectRef recordset = session->openTable("Types");
  EXPECT_EQ(fieldValue(recordset, "Flag"), Variant(false));
  EXPECT_EQ(fieldValue(recordset, "Small"), Variant(static_cast<std::int16_t>(-3)));
  EXPECT_EQ(fieldValue(recordset, "Tiny"), Variant(static_cast<std::int16_t>(200)));
  EXPECT_EQ(fieldValue(recordset, "Money"), Variant(automation::Currency{123456}));
  EXPECT_EQ(fieldValue(recordset, "Real"), Variant(0.5));
  EXPECT_EQ(fieldValue(recordset, "When").asText(), "2024-02-29 06:30:00");
  EXPECT_TRUE(fieldValue(recordset, "Blob").isNull());
  EXPECT_EQ(fieldValue(recordset, "Loose"), Variant("x"));
  EXPECT_EQ(recordset->getObject("Fields", {"Loose"})->get("Size").asInt32(), 0);
  EXPECT_EQ(recordset->getObject("Fields", {"Greeting"})->get("DefaultValue").asText(), "\"say \"\"hi\"\"\"");
  // The builder applied the defaults of the fields it was not given.
  EXPECT_EQ(fieldValue(recordset, "Greeting"), Variant("say \"hi\""));
}

// FieldValues: every field's Value in one call, in the order of Fields.
TEST_F(Fields, FieldValuesAreTheFieldsValuesInOrder) {
  ObjectRef recordset = session->openTable("Types");
  const ObjectRef fields = recordset->getObject("Fields");
  const auto valuesOneByOne = [&] {
    automation::VariantArray values;
    for (int i = 0; i < fields->get("Count").asInt32(); ++i) values.push_back(fields->getObject("Item", {i})->get("Value"));
    return values;
  };
  const Variant all = recordset->get("FieldValues");
  ASSERT_EQ(all.type(), VariantType::Array);
  EXPECT_EQ(*all.arrayIf(), valuesOneByOne());
  // During an edit, the values being edited.
  recordset->call("Edit");
  setField(recordset, "Loose", "changed");
  EXPECT_EQ(*recordset->get("FieldValues").arrayIf(), valuesOneByOne());
  const auto loose = static_cast<std::size_t>(fields->getObject("Item", {"Loose"})->get("OrdinalPosition").asInt32());
  EXPECT_EQ((*recordset->get("FieldValues").arrayIf())[loose], Variant("changed"));
  recordset->call("CancelUpdate");
  // Long values left out on request: Empty, where the field's Value is Null.
  const auto blob = static_cast<std::size_t>(fields->getObject("Item", {"Blob"})->get("OrdinalPosition").asInt32());
  EXPECT_TRUE((*recordset->get("FieldValues", {true, false}).arrayIf())[blob].isEmpty());
  EXPECT_TRUE((*recordset->get("FieldValues", {false, true}).arrayIf())[blob].isNull());
  EXPECT_EQ((*recordset->get("FieldValues", {false, false}).arrayIf())[loose], Variant("x"));
  recordset->call("MoveNext");
  expectEngineError([&] { recordset->get("FieldValues"); }, 3021, "No current record.");
}

TEST_F(Fields, NewRowsStartWithTheDefaults) {
  ObjectRef recordset = session->openTable("Types");
  recordset->call("AddNew");
  EXPECT_EQ(fieldValue(recordset, "Flag"), Variant(true));
  EXPECT_EQ(fieldValue(recordset, "When").asText(), "2024-01-31");
  EXPECT_EQ(fieldValue(recordset, "Greeting"), Variant("say \"hi\""));
  EXPECT_TRUE(fieldValue(recordset, "Small").isNull());
  setField(recordset, "Blob", automation::ByteArray{0, 1, 2, 255});
  setField(recordset, "Tiny", 255);
  expectEngineError([&] { setField(recordset, "Tiny", 256); }, 3349, "Numeric field overflow.");
  expectEngineError([&] { setField(recordset, "Small", 40000); }, 3349, "Numeric field overflow.");
  recordset->call("Update");
  recordset->put("Bookmark", recordset->get("LastModified"));
  EXPECT_EQ(fieldValue(recordset, "Blob"), Variant(automation::ByteArray{0, 1, 2, 255}));
  EXPECT_EQ(recordset->getObject("Fields", {"Blob"})->get("FieldSize").asInt32(), 4);
}

TEST_F(Fields, TextLongerThanTwoHundredFiftyFiveCharactersNeedsAMemo) {
  ObjectRef recordset = session->openTable("Types");
  recordset->call("Edit");
  setField(recordset, "Loose", std::string(256, 'x'));
  expectEngineError([&] { recordset->call("Update"); }, 3163,
                    "The field 'Loose' is too small to accept the amount of data you attempted to add.");
}
