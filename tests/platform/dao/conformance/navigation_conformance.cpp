// Positioning of dynaset recordsets, on every storage, against a plain model: a vector of the
// keyset's rows with their removed marks, and a cursor before, on or after
// them. Walks forwards, backwards and at random over several cursors that
// share one keyset (clones), across the chunks in which keys are read.
#include <random>

#include "tests/platform/dao/conformance/storage_conformance.h"

using namespace enginetest;
using automation::ObjectRef;
using automation::Variant;

namespace {

struct ModelRow {
  int id;
  bool removed = false;
};

class ModelCursor {
 public:
  enum class Place { BeforeFirst, OnRow, AfterLast };

  explicit ModelCursor(std::vector<ModelRow>& rows) : rows_(rows) {}

  std::size_t liveCount() const {
    return static_cast<std::size_t>(std::count_if(rows_.begin(), rows_.end(), [](const ModelRow& r) { return !r.removed; }));
  }
  bool bof() const { return place_ == Place::BeforeFirst || (place_ == Place::AfterLast && liveCount() == 0); }
  bool eof() const { return place_ == Place::AfterLast || (place_ == Place::BeforeFirst && liveCount() == 0); }

  // Each operation returns the engine error number it must raise, 0 for none.
  int moveFirst() {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (!rows_[i].removed) return land(i);
    }
    return 3021;
  }
  int moveLast() {
    for (std::size_t i = rows_.size(); i-- > 0;) {
      if (!rows_[i].removed) return land(i);
    }
    return 3021;
  }
  int moveNext() {
    if (eof()) return 3021;
    const std::size_t from = place_ == Place::BeforeFirst ? 0 : index_ + 1;
    for (std::size_t i = from; i < rows_.size(); ++i) {
      if (!rows_[i].removed) return land(i);
    }
    place_ = Place::AfterLast;
    return 0;
  }
  int movePrevious() {
    if (bof()) return 3021;
    const std::size_t before = place_ == Place::AfterLast ? rows_.size() : index_;
    for (std::size_t i = before; i-- > 0;) {
      if (!rows_[i].removed) return land(i);
    }
    place_ = Place::BeforeFirst;
    return 0;
  }
  int move(int rows) {
    if (place_ != Place::OnRow) return 3021;
    if (rows == 0) return rows_[index_].removed ? 3167 : 0;
    const int base = livesBefore(index_);
    const int target = !rows_[index_].removed || rows < 0 ? base + rows : base + rows - 1;
    if (target < 0) {
      place_ = Place::BeforeFirst;
    } else if (target >= static_cast<int>(liveCount())) {
      place_ = Place::AfterLast;
    } else {
      setAbsolutePosition(target);
    }
    return 0;
  }
  int absolutePosition() const {
    if (place_ != Place::OnRow || rows_[index_].removed) return -1;
    return livesBefore(index_);
  }
  int setAbsolutePosition(int position) {
    if (position < 0) return 3001;
    int seen = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (rows_[i].removed) continue;
      if (seen++ == position) return land(i);
    }
    return 3001;
  }
  // The current row's id, or the error reading it raises.
  std::pair<int, int> current() const {
    if (place_ != Place::OnRow) return {0, 3021};
    if (rows_[index_].removed) return {0, 3167};
    return {rows_[index_].id, 0};
  }
  int gotoId(int id) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      if (rows_[i].id == id) return rows_[i].removed ? 3159 : land(i);
    }
    return 3159;
  }
  int removeCurrent() {
    const auto [id, error] = current();
    if (error != 0) return error;
    rows_[index_].removed = true;
    return 0;
  }

 private:
  int land(std::size_t index) {
    place_ = Place::OnRow;
    index_ = index;
    return 0;
  }
  int livesBefore(std::size_t index) const {
    return static_cast<int>(std::count_if(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(index),
                                          [](const ModelRow& r) { return !r.removed; }));
  }

  std::vector<ModelRow>& rows_;
  Place place_ = Place::BeforeFirst;
  std::size_t index_ = 0;
};

// The number of the engine error `call` raises, 0 when it succeeds.
int errorOf(const std::function<void()>& call) {
  try {
    call();
    return 0;
  } catch (const automation::EOleException& error) {
    return error.errorNumber();
  }
}

int bookmarkId(const Variant& bookmark) {
  const automation::ByteArray bytes = bookmark.asBytes();
  EXPECT_EQ(bytes.size(), 4u);
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24;
}

Variant bookmarkOf(int id) {
  return Variant(automation::ByteArray{static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8),
                                       static_cast<std::uint8_t>(id >> 16), static_cast<std::uint8_t>(id >> 24)});
}

void expectSameState(const ObjectRef& recordset, const ModelCursor& model, const std::string& step) {
  SCOPED_TRACE(step);
  ASSERT_EQ(recordset->get("BOF").asBoolean(), model.bof());
  ASSERT_EQ(recordset->get("EOF").asBoolean(), model.eof());
  ASSERT_EQ(recordset->get("AbsolutePosition").asInt32(), model.absolutePosition());
  const auto [id, error] = model.current();
  int actualId = 0;
  const int actualError = errorOf([&] { actualId = fieldValue(recordset, "ID").asInt32(); });
  ASSERT_EQ(actualError, error);
  ASSERT_EQ(actualId, id);
  if (error == 0) {
    ASSERT_EQ(fieldValue(recordset, "Name").asText(), "P" + std::to_string(id));
    ASSERT_EQ(bookmarkId(recordset->get("Bookmark")), id);
  }
}

std::vector<ModelRow> modelRows(int count) {
  std::vector<ModelRow> rows;
  for (int id = 1; id <= count; ++id) rows.push_back({id});
  return rows;
}

}  // namespace

TEST_P(StorageNavigation, ForwardWalkVisitsEveryRowOnceInIdOrder) {
  createNumberedPeople(1100);
  std::vector<ModelRow> model = modelRows(1100);
  ObjectRef recordset = openTable();
  ModelCursor cursor(model);
  cursor.moveFirst();
  expectSameState(recordset, cursor, "open");
  int steps = 0;
  while (!recordset->get("EOF").asBoolean()) {
    ASSERT_EQ(fieldValue(recordset, "ID").asInt32(), ++steps);
    recordset->call("MoveNext");
    cursor.moveNext();
  }
  EXPECT_EQ(steps, 1100);
  expectSameState(recordset, cursor, "after last");
  EXPECT_EQ(errorOf([&] { recordset->call("MoveNext"); }), 3021);
}

TEST_P(StorageNavigation, BackwardWalkFromTheEnd) {
  createNumberedPeople(600);
  std::vector<ModelRow> model = modelRows(600);
  ObjectRef recordset = openTable();
  ModelCursor cursor(model);
  recordset->call("MoveLast");
  cursor.moveLast();
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), 600);
  while (!recordset->get("BOF").asBoolean()) {
    expectSameState(recordset, cursor, "backward");
    recordset->call("MovePrevious");
    cursor.movePrevious();
  }
  expectSameState(recordset, cursor, "before first");
  EXPECT_EQ(errorOf([&] { recordset->call("MovePrevious"); }), 3021);
  recordset->call("MoveNext");
  EXPECT_EQ(fieldValue(recordset, "ID").asInt32(), 1);
}

TEST_P(StorageNavigation, EmptyTableIsAtBothEnds) {
  createNumberedPeople(0);
  ObjectRef recordset = openTable();
  EXPECT_TRUE(recordset->get("BOF").asBoolean());
  EXPECT_TRUE(recordset->get("EOF").asBoolean());
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), 0);
  EXPECT_EQ(recordset->get("AbsolutePosition").asInt32(), -1);
  for (const char* move : {"MoveFirst", "MoveLast", "MoveNext", "MovePrevious"}) {
    expectEngineError([&] { recordset->call(move); }, 3021, "No current record.");
  }
  expectEngineError([&] { recordset->get("Bookmark"); }, 3021, "No current record.");
  expectEngineError([&] { fieldValue(recordset, "Name"); }, 3021, "No current record.");
}

TEST_P(StorageNavigation, MovesPastTheEndsStopAtBofAndEof) {
  createNumberedPeople(10);
  ObjectRef recordset = openTable();
  recordset->call("MoveFirst");
  recordset->call("Move", {9});
  EXPECT_EQ(fieldValue(recordset, "ID").asInt32(), 10);
  recordset->call("Move", {1});
  EXPECT_TRUE(recordset->get("EOF").asBoolean());
  expectEngineError([&] { recordset->call("Move", {-1}); }, 3021, "No current record.");
  recordset->call("MoveFirst");
  recordset->call("Move", {-5});
  EXPECT_TRUE(recordset->get("BOF").asBoolean());
  EXPECT_FALSE(recordset->get("EOF").asBoolean());
  recordset->call("MoveFirst");
  recordset->call("Move", {10});
  EXPECT_TRUE(recordset->get("EOF").asBoolean());
  // Move with a start bookmark counts from that row.
  recordset->call("Move", {2, bookmarkOf(4)});
  EXPECT_EQ(fieldValue(recordset, "ID").asInt32(), 6);
}

TEST_P(StorageNavigation, BookmarksAreFourBytesAndFindTheirRow) {
  createNumberedPeople(300);
  ObjectRef recordset = openTable();
  recordset->put("AbsolutePosition", 257);
  const Variant bookmark = recordset->get("Bookmark");
  ASSERT_EQ(bookmark.type(), automation::VariantType::Bytes);
  EXPECT_EQ(bookmark.asBytes().size(), 4u);
  recordset->call("MoveFirst");
  recordset->put("Bookmark", bookmark);
  EXPECT_EQ(fieldValue(recordset, "ID").asInt32(), 258);
  EXPECT_EQ(recordset->get("AbsolutePosition").asInt32(), 257);
  expectEngineError([&] { recordset->put("Bookmark", bookmarkOf(301)); }, 3159, "Not a valid bookmark.");
  expectEngineError([&] { recordset->put("Bookmark", automation::ByteArray{1, 0, 0}); }, 3159, "Not a valid bookmark.");
  expectEngineError([&] { recordset->put("Bookmark", bookmarkOf(0)); }, 3159, "Not a valid bookmark.");
  expectEngineError([&] { recordset->put("AbsolutePosition", 300); }, 3001, "Invalid argument.");
  EXPECT_TRUE(recordset->get("Bookmarkable").asBoolean());
}

TEST_P(StorageNavigation, BookmarkJumpFarAheadThenStepBothWays) {
  createNumberedPeople(2000);
  ObjectRef recordset = openTable();
  recordset->put("Bookmark", bookmarkOf(1800));
  recordset->call("MoveNext");
  EXPECT_EQ(fieldValue(recordset, "ID").asInt32(), 1801);
  recordset->put("Bookmark", bookmarkOf(1500));
  recordset->call("MovePrevious");
  EXPECT_EQ(fieldValue(recordset, "ID").asInt32(), 1499);
  EXPECT_EQ(recordset->get("AbsolutePosition").asInt32(), 1498);
}

TEST_P(StorageNavigation, ClonesShareTheKeysetButNotThePosition) {
  createNumberedPeople(5);
  ObjectRef recordset = openTable();
  recordset->call("MoveLast");
  ObjectRef clone = recordset->getObject("Clone");
  EXPECT_TRUE(clone->get("BOF").asBoolean());
  expectEngineError([&] { fieldValue(clone, "ID"); }, 3021, "No current record.");
  clone->call("MoveFirst");
  EXPECT_EQ(fieldValue(clone, "ID").asInt32(), 1);
  EXPECT_EQ(fieldValue(recordset, "ID").asInt32(), 5);
  // A row added through the clone joins the shared keyset.
  clone->call("AddNew");
  setField(clone, "Name", "New");
  clone->call("Update");
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), 6);
  recordset->call("MoveNext");
  EXPECT_EQ(fieldValue(recordset, "Name").asText(), "New");
  // A row deleted through the original is gone for the clone too.
  recordset->call("MoveFirst");
  recordset->call("Delete");
  clone->call("MoveFirst");
  EXPECT_EQ(fieldValue(clone, "ID").asInt32(), 2);
  EXPECT_EQ(clone->get("RecordCount").asInt32(), 5);
  clone->put("Bookmark", clone->get("LastModified"));
  EXPECT_EQ(fieldValue(clone, "Name").asText(), "New");
  EXPECT_EQ(clone->get("AbsolutePosition").asInt32(), 4);
}

TEST_P(StorageNavigation, RandomOperationsOnSeveralCursorsMatchTheModel) {
  createNumberedPeople(900);
  std::vector<ModelRow> model = modelRows(900);
  std::mt19937 random(20240611);
  std::vector<ObjectRef> recordsets{openTable()};
  std::vector<ModelCursor> cursors{ModelCursor(model)};
  cursors[0].moveFirst();
  int nextId = 901;
  for (int step = 0; step < 3000; ++step) {
    const std::size_t which = random() % recordsets.size();
    ObjectRef& recordset = recordsets[which];
    ModelCursor& cursor = cursors[which];
    const int operation = static_cast<int>(random() % 100);
    std::string name;
    int expected = 0;
    int actual = 0;
    if (operation < 20) {
      name = "MoveNext";
      expected = cursor.moveNext();
      actual = errorOf([&] { recordset->call("MoveNext"); });
    } else if (operation < 35) {
      name = "MovePrevious";
      expected = cursor.movePrevious();
      actual = errorOf([&] { recordset->call("MovePrevious"); });
    } else if (operation < 40) {
      name = "MoveFirst";
      expected = cursor.moveFirst();
      actual = errorOf([&] { recordset->call("MoveFirst"); });
    } else if (operation < 45) {
      name = "MoveLast";
      expected = cursor.moveLast();
      actual = errorOf([&] { recordset->call("MoveLast"); });
    } else if (operation < 62) {
      const int rows = static_cast<int>(random() % 61) - 30;
      name = "Move " + std::to_string(rows);
      expected = cursor.move(rows);
      actual = errorOf([&] { recordset->call("Move", {rows}); });
    } else if (operation < 72) {
      const int position = static_cast<int>(random() % 960) - 20;
      name = "AbsolutePosition " + std::to_string(position);
      expected = cursor.setAbsolutePosition(position);
      actual = errorOf([&] { recordset->put("AbsolutePosition", position); });
    } else if (operation < 82) {
      const int id = static_cast<int>(random() % (nextId + 5));
      name = "Bookmark " + std::to_string(id);
      expected = cursor.gotoId(id);
      actual = errorOf([&] { recordset->put("Bookmark", bookmarkOf(id)); });
    } else if (operation < 86) {
      name = "Delete";
      expected = cursor.removeCurrent();
      actual = errorOf([&] { recordset->call("Delete"); });
    } else if (operation < 89) {
      name = "AddNew";
      actual = errorOf([&] {
        recordset->call("AddNew");
        setField(recordset, "Name", "P" + std::to_string(nextId));
        recordset->call("Update");
      });
      model.push_back({nextId++});
    } else if (operation < 91 && recordsets.size() < 4) {
      name = "Clone";
      recordsets.push_back(recordset->getObject("Clone"));
      cursors.push_back(ModelCursor(model));
    } else {
      name = "RecordCount";
      ASSERT_EQ(recordset->get("RecordCount").asInt32(), static_cast<int>(cursor.liveCount()));
    }
    ASSERT_EQ(actual, expected) << "step " << step << ": " << name;
    expectSameState(recordsets[which], cursors[which], "step " + std::to_string(step) + ": " + name);
    if (HasFatalFailure()) return;
  }
}
