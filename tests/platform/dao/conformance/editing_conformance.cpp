// Edit, AddNew, Update, CancelUpdate and Delete through the automation
// surface on every storage, with the errors each raises by number and text.
#include "tests/platform/dao/conformance/storage_conformance.h"

using namespace enginetest;
using automation::ObjectRef;
using automation::Variant;

namespace {

const std::string kTenIdeographs = "\xe4\xb8\x80\xe4\xb8\x81\xe4\xb8\x83\xe4\xb9\x83\xe4\xb9\x9d"
                                   "\xe4\xba\x86\xe4\xba\x8c\xe4\xba\xba\xe5\x84\xbf\xe5\x85\xa5";  // 一丁七乃九了二人儿入

const std::vector<Person> kThreePeople = {{"Ann", 30, "c1"}, {"Bob", 40, "c2"}, {"Cy", std::nullopt, "c3"}};

std::vector<std::string> namesOf(const std::vector<conformance::StoredRow>& rows) {
  std::vector<std::string> names;
  for (const auto& row : rows) names.push_back(row.name);
  return names;
}

}  // namespace

TEST_P(StorageEditing, EditAndUpdateStoreTheChange) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("MoveNext");
  EXPECT_EQ(recordset->get("EditMode").asInt32(), 0);
  recordset->call("Edit");
  EXPECT_EQ(recordset->get("EditMode").asInt32(), 1);
  setField(recordset, "Name", "Bert");
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Bert");
  recordset->call("Update");
  EXPECT_EQ(recordset->get("EditMode").asInt32(), 0);
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Bert");
  EXPECT_EQ(recordset->get("LastModified"), recordset->get("Bookmark"));
  EXPECT_EQ(namesOf(storedRows()), (std::vector<std::string>{"Ann", "Bert", "Cy"}));
}

TEST_P(StorageEditing, AddNewShowsDefaultsGetsAnIdAndJoinsTheEnd) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("MoveNext");
  recordset->call("AddNew");
  EXPECT_EQ(recordset->get("EditMode").asInt32(), 2);
  EXPECT_TRUE(fieldValue(recordset, "ID").isNull());
  EXPECT_EQ(fieldValue(recordset, "Age"), Variant(0));
  setField(recordset, "Name", "Dee");
  recordset->call("Update");
  EXPECT_EQ(recordset->get("EditMode").asInt32(), 0);
  // The cursor stays where it was; the new row is last.
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Bob");
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), 4);
  recordset->put("Bookmark", recordset->get("LastModified"));
  EXPECT_EQ(fieldValue(recordset, "ID"), Variant(4));
  EXPECT_EQ(fieldValue(recordset, "Age"), Variant(0));
  EXPECT_TRUE(fieldValue(recordset, "Code").isNull());
  EXPECT_EQ(recordset->get("AbsolutePosition").asInt32(), 3);
  EXPECT_EQ(namesOf(storedRows()), (std::vector<std::string>{"Ann", "Bob", "Cy", "Dee"}));
}

TEST_P(StorageEditing, NumbersOfDeletedRowsAreNotReused) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("MoveLast");
  recordset->call("Delete");
  recordset->call("AddNew");
  setField(recordset, "Name", "Eve");
  recordset->call("Update");
  recordset->put("Bookmark", recordset->get("LastModified"));
  EXPECT_EQ(fieldValue(recordset, "ID"), Variant(4));
}

TEST_P(StorageEditing, CancelUpdateDiscardsThePendingChange) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("Edit");
  setField(recordset, "Name", "Zed");
  recordset->call("CancelUpdate");
  EXPECT_EQ(recordset->get("EditMode").asInt32(), 0);
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Ann");
  recordset->call("AddNew");
  setField(recordset, "Name", "Zed");
  recordset->call("CancelUpdate");
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), 3);
  EXPECT_EQ(namesOf(storedRows()), (std::vector<std::string>{"Ann", "Bob", "Cy"}));
  const std::string text = "Update or CancelUpdate without AddNew or Edit.";
  expectEngineError([&] { recordset->call("Update"); }, 3020, text);
  expectEngineError([&] { recordset->call("CancelUpdate"); }, 3020, text);
  expectEngineError([&] { setField(recordset, "Name", "x"); }, 3020, text);
}

TEST_P(StorageEditing, MovingAwayDropsAPendingEdit) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("Edit");
  setField(recordset, "Name", "Lost");
  recordset->call("MoveNext");
  EXPECT_EQ(recordset->get("EditMode").asInt32(), 0);
  EXPECT_EQ(namesOf(storedRows()), (std::vector<std::string>{"Ann", "Bob", "Cy"}));
}

TEST_P(StorageEditing, TheAutoIncrementFieldCannotBeSet) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("Edit");
  expectEngineError([&] { setField(recordset, "ID", 99); }, 3164, "Field 'ID' cannot be updated.");
}

TEST_P(StorageEditing, TextLimitsCountCharactersNotBytes) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("Edit");
  setField(recordset, "Name", kTenIdeographs);
  recordset->call("Update");
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), kTenIdeographs);

  recordset->call("Edit");
  setField(recordset, "Name", kTenIdeographs + "x");
  expectEngineError([&] { recordset->call("Update"); }, 3163,
                    "The field 'Name' is too small to accept the amount of data you attempted to add.");
  // Nothing was stored; the edit and the typed value are still there.
  EXPECT_EQ(recordset->get("EditMode").asInt32(), 1);
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), kTenIdeographs + "x");
  EXPECT_EQ(namesOf(storedRows())[0], kTenIdeographs);
  setField(recordset, "Name", "Short");
  recordset->call("Update");
  EXPECT_EQ(namesOf(storedRows())[0], "Short");
}

TEST_P(StorageEditing, ARequiredFieldRefusesNull) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("AddNew");
  setField(recordset, "Age", 5);
  const std::string text = "The field 'Name' cannot contain a Null value because it requires a value.";
  expectEngineError([&] { recordset->call("Update"); }, 3314, text);
  EXPECT_EQ(recordset->get("EditMode").asInt32(), 2);
  recordset->call("CancelUpdate");
  recordset->call("Edit");
  setField(recordset, "Name", Variant::null());
  expectEngineError([&] { recordset->call("Update"); }, 3314, text);
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), 3);
}

TEST_P(StorageEditing, AUniqueFieldRefusesDuplicatesIgnoringCase) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("Edit");
  setField(recordset, "Code", "C2");
  const std::string text =
      "The changes were not saved: the value of field 'Code' is already in another record, and the field does not "
      "allow duplicates.";
  expectEngineError([&] { recordset->call("Update"); }, 3022, text);
  recordset->call("CancelUpdate");
  recordset->call("AddNew");
  setField(recordset, "Name", "Dup");
  setField(recordset, "Code", "c3");
  expectEngineError([&] { recordset->call("Update"); }, 3022, text);
  EXPECT_EQ(namesOf(storedRows()), (std::vector<std::string>{"Ann", "Bob", "Cy"}));
}

TEST_P(StorageEditing, ValuesAreConvertedToTheFieldsType) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("Edit");
  expectEngineError([&] { setField(recordset, "Age", "abc"); }, 3421, "Data type conversion error.");
  expectEngineError([&] { setField(recordset, "Age", 3e10); }, 3349, "Numeric field overflow.");
  setField(recordset, "Age", "12.6");
  setField(recordset, "Name", 42);
  recordset->call("Update");
  EXPECT_EQ(fieldValue(recordset, "Age"), Variant(13));
  EXPECT_EQ(fieldValue(recordset, "Name"), Variant("42"));
}

TEST_P(StorageEditing, EmptyTextAndNullAreKeptApart) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("Edit");
  setField(recordset, "Code", "");
  setField(recordset, "Age", Variant());
  recordset->call("Update");
  EXPECT_EQ(fieldValue(recordset, "Code"), Variant(""));
  EXPECT_TRUE(fieldValue(recordset, "Age").isNull());
}

TEST_P(StorageEditing, DeletedRowsAreSkippedAndTheCursorStaysOnTheHole) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  recordset->call("MoveNext");
  recordset->call("Delete");
  expectEngineError([&] { fieldValue(recordset, "Name"); }, 3167, "Record is deleted.");
  expectEngineError([&] { recordset->call("Delete"); }, 3167, "Record is deleted.");
  expectEngineError([&] { recordset->call("Edit"); }, 3167, "Record is deleted.");
  EXPECT_EQ(recordset->get("AbsolutePosition").asInt32(), -1);
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), 2);
  recordset->call("MoveNext");
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Cy");
  recordset->call("MovePrevious");
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "Ann");
  EXPECT_EQ(namesOf(storedRows()), (std::vector<std::string>{"Ann", "Cy"}));
  recordset->call("MoveLast");
  recordset->call("MoveNext");
  expectEngineError([&] { recordset->call("Delete"); }, 3021, "No current record.");
}

TEST_P(StorageEditing, DeletingEveryRowLeavesAnEmptyRecordset) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  while (!recordset->get("EOF").asBoolean()) {
    recordset->call("Delete");
    recordset->call("MoveNext");
  }
  EXPECT_TRUE(recordset->get("BOF").asBoolean());
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), 0);
  EXPECT_TRUE(namesOf(storedRows()).empty());
}

TEST_P(StorageEditing, AnUpdateWithoutAssignmentsChangesNothing) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  ObjectRef other = openTable();
  recordset->call("Edit");
  other->call("Edit");
  recordset->call("Update");
  setField(other, "Name", "Other");
  EXPECT_NO_THROW(other->call("Update"));
  EXPECT_EQ(namesOf(storedRows())[0], "Other");
}

TEST_P(StorageEditing, MemoTextAndItsFieldSize) {
  createPeople(kThreePeople);
  ObjectRef recordset = openTable();
  const std::string note = std::string(5000, 'n') + kTenIdeographs;
  recordset->call("Edit");
  setField(recordset, "Note", note);
  recordset->call("Update");
  ObjectRef field = recordset->getObject("Fields", {"Note"});
  EXPECT_EQ(field->get("Value").asText(), note);
  EXPECT_EQ(field->get("FieldSize").asInt32(), static_cast<int>(note.size()));
  recordset->call("MoveNext");
  EXPECT_EQ(field->get("FieldSize").asInt32(), 0);
}
