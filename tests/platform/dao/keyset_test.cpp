// The keyset of a large table: sizes and the last rows without a pass over
// the whole table, keys read from the nearer end, and rows other programs
// delete before their keys were read.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "platform/dao/file_storage.h"
#include "platform/dao/keyset.h"
#include "platform/dao/table_schema.h"
#include "tests/platform/dao/engine_test_support.h"

using namespace enginetest;
using automation::ObjectRef;

namespace {

constexpr int kRows = 3000;

class LargeKeyset : public ::testing::Test {
 protected:
  void SetUp() override {
    createNumberedPeople(path, kRows);
    storage = dao::FileStorage::open(path, {});
    table = storage->openTable(storage->loadTableSchema("People"));
  }
  // As a dynaset opens it: the first 16 keys read with the bound.
  dao::Keyset openKeyset() {
    std::vector<std::int64_t> first;
    for (int id = 1; id <= 16; ++id) first.push_back(id);
    return dao::Keyset(*table, kRows, first, false);
  }
  void deleteElsewhere(const std::string& where) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, ("DELETE FROM People WHERE " + where).c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
  }

  TemporaryFolder folder;
  std::string path = folder.file("people.mdb");
  std::shared_ptr<dao::FileStorage> storage;
  std::shared_ptr<dao::StoredTable> table;
};

TEST_F(LargeKeyset, SizeLastRowAndRowsFarDownReadNoKeysInTheMiddle) {
  dao::Keyset keyset = openKeyset();
  EXPECT_EQ(keyset.size(), std::size_t{kRows});
  EXPECT_FALSE(keyset.isRead(1500));
  ASSERT_TRUE(keyset.hasIndex(kRows - 1));
  EXPECT_EQ(keyset.rowIdAt(kRows - 1), kRows);
  const dao::Keyset::Location farDown = keyset.locate(2900);
  EXPECT_EQ(farDown.index, 2899u);
  EXPECT_TRUE(farDown.exact);
  EXPECT_FALSE(keyset.isRead(1500)) << "a row near the end is found from the end";
  const dao::Keyset::Location early = keyset.locate(300);
  EXPECT_EQ(early.index, 299u);
  EXPECT_FALSE(keyset.isRead(1500)) << "a row near the start is found from the start";

  // Reading on from either end meets in the middle, every key in its place.
  for (std::size_t index = 0; index < kRows; ++index) {
    ASSERT_TRUE(keyset.hasIndex(index));
    ASSERT_EQ(keyset.rowIdAt(index), static_cast<std::int64_t>(index) + 1) << index;
  }
  EXPECT_FALSE(keyset.hasIndex(kRows));
  EXPECT_EQ(keyset.epoch(), 0u);
  EXPECT_EQ(keyset.size(), std::size_t{kRows});
}

TEST_F(LargeKeyset, RowsAddedAndRemovedThroughTheKeysetBeforeTheMiddleIsRead) {
  dao::Keyset keyset = openKeyset();
  keyset.append(kRows + 7);
  keyset.markRemoved(kRows);
  EXPECT_EQ(keyset.size(), std::size_t{kRows + 1});
  EXPECT_EQ(keyset.liveCount(), std::size_t{kRows});
  EXPECT_EQ(keyset.previousLive(kRows), std::optional<std::size_t>(kRows)) << "the added row is last";
  EXPECT_EQ(keyset.rowIdAt(kRows), kRows + 7);
  EXPECT_EQ(keyset.previousLive(kRows - 1), std::optional<std::size_t>(kRows - 2)) << "the removed row is skipped";
  EXPECT_EQ(keyset.locate(kRows + 7).index, std::size_t{kRows});
  EXPECT_EQ(keyset.liveEntry(kRows - 1), std::optional<std::size_t>(kRows)) << "the last live row";
  EXPECT_FALSE(keyset.isRead(1500));
}

TEST_F(LargeKeyset, RowsOthersDeleteBeforeTheirKeysAreReadLeaveWhenTheMiddleIsRead) {
  dao::Keyset keyset = openKeyset();
  ASSERT_EQ(keyset.size(), std::size_t{kRows});
  ASSERT_TRUE(keyset.hasIndex(kRows - 1));
  deleteElsewhere("ID IN (1000, 1001)");
  EXPECT_EQ(keyset.size(), std::size_t{kRows}) << "counted as holes until read";
  for (std::size_t index = 0; keyset.hasIndex(index); ++index) (void)keyset.rowIdAt(index);
  EXPECT_EQ(keyset.size(), std::size_t{kRows - 2});
  EXPECT_NE(keyset.epoch(), 0u) << "positions after them moved";
  EXPECT_EQ(keyset.rowIdAt(998), 999);
  EXPECT_EQ(keyset.rowIdAt(999), 1002);
  EXPECT_EQ(keyset.locate(kRows).index, std::size_t{kRows - 3});
  // Rows deleted before the count are simply not there.
  deleteElsewhere("ID = 2");
  dao::Keyset later = openKeyset();
  EXPECT_EQ(later.size(), std::size_t{kRows - 3} + 1) << "key 2 was read with the bound: a hole";
}

TEST_F(LargeKeyset, ACursorOnARowFarDownKeepsItsRowWhenEarlierPositionsMove) {
  EngineSession mine(path);
  ObjectRef recordset = mine.openTable();
  recordset->call("MoveLast");
  EXPECT_EQ(recordset->get("AbsolutePosition").asInt32(), kRows - 1);
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), kRows);
  deleteElsewhere("ID BETWEEN 1400 AND 1402");
  ObjectRef clone = recordset->getObject("Clone");
  clone->put("AbsolutePosition", 2000);  // read from the end: the rows gone are not met yet
  EXPECT_EQ(fieldValue(clone, "ID").asInt32(), 2001);
  clone->call("MoveFirst");
  int walked = 0;
  for (; !clone->get("EOF").asBoolean(); clone->call("MoveNext")) ++walked;
  EXPECT_EQ(walked, kRows - 3) << "reading the middle finds three rows gone";
  clone->put("AbsolutePosition", 2000);
  EXPECT_EQ(fieldValue(clone, "ID").asInt32(), 2004);
  EXPECT_EQ(recordset->get("RecordCount").asInt32(), kRows - 3);
  EXPECT_EQ(fieldValue(recordset, "ID").asInt32(), kRows);
  EXPECT_EQ(recordset->get("AbsolutePosition").asInt32(), kRows - 4);
  recordset->call("MovePrevious");
  EXPECT_EQ(fieldValue(recordset, "ID").asInt32(), kRows - 1);
  recordset->call("Move", {-(kRows - 5)});
  EXPECT_EQ(fieldValue(recordset, "ID").asInt32(), 1);
  EXPECT_EQ(recordset->get("AbsolutePosition").asInt32(), 0);
}

}  // namespace
