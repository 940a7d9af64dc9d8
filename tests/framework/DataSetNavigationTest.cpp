// Positioning, the buffer window and bookmarks, checked against a plain
// vector model of the rows.
#include <gtest/gtest.h>

#include <random>

#include "Fixtures.h"
#include "Recorders.h"
#include "framework/DbErrors.h"

namespace framework::testing {
namespace {

// What the user should see: the current row's index and the two end marks.
struct Model {
  int n = 0;
  int cur = 0;
  bool bof = true;
  bool eof = true;

  void Open() { First(); }
  void First() {
    cur = 0;
    bof = true;
    eof = n == 0;
  }
  void Last() {
    cur = n > 0 ? n - 1 : 0;
    eof = true;
    bof = n == 0;
  }
  int MoveBy(int d) {
    if (d == 0 || (d > 0 && eof) || (d < 0 && bof)) return 0;
    bof = eof = false;
    const int target = cur + d;
    int moved = d;
    if (target > n - 1) {
      moved = n - 1 - cur;
      eof = true;
    } else if (target < 0) {
      moved = -cur;
      bof = true;
    }
    cur += moved;
    return moved;
  }
  bool SetRecNo(int k) {
    if (k < 1 || k > n) return false;
    cur = k - 1;
    bof = eof = false;
    return true;
  }
};

class GridLink : public TDataLink {};

class Navigation : public ::testing::TestWithParam<int> {
 protected:
  void Use(int rows, int buffers) {
    table = std::make_unique<MemoryDataSet>("OrvDaoTable1", CharacterColumns(), CharacterRows(rows));
    source.SetDataSet(table.get());
    grid.SetBufferCount(buffers);
    grid.SetDataSource(&source);
    model.n = rows;
  }

  void ExpectSame(const std::string& step) {
    SCOPED_TRACE(step);
    ASSERT_EQ(table->Bof(), model.bof);
    ASSERT_EQ(table->Eof(), model.eof);
    if (model.n == 0) {
      ASSERT_TRUE(table->IsEmpty());
      ASSERT_EQ(table->RecNo(), -1);
      return;
    }
    ASSERT_EQ(table->FieldByName("b5_word").AsString(), "w" + std::to_string(model.cur + 1));
    ASSERT_EQ(table->RecNo(), model.cur + 1);
    ASSERT_GE(grid.ActiveRecord(), 0);
    ASSERT_LT(grid.ActiveRecord(), grid.BufferCount());
    ASSERT_EQ(grid.RecordCount(), std::min(model.n, grid.BufferCount()));
  }

  std::unique_ptr<MemoryDataSet> table;
  TDataSource source;
  GridLink grid;
  Model model;
};

TEST_P(Navigation, WalksForwardsAndBackwardsLikeTheModel) {
  for (int rows : {0, 1, 2, 5, 12}) {
    SCOPED_TRACE("rows " + std::to_string(rows));
    Use(rows, GetParam());
    table->Open();
    model.Open();
    ExpectSame("open");
    for (int i = 0; i < rows + 1; ++i) {
      table->Next();
      model.MoveBy(1);
      ExpectSame("next " + std::to_string(i));
    }
    for (int i = 0; i < rows + 1; ++i) {
      table->Prior();
      model.MoveBy(-1);
      ExpectSame("prior " + std::to_string(i));
    }
    table->Last();
    model.Last();
    ExpectSame("last");
    table->First();
    model.First();
    ExpectSame("first");
    table->Close();
  }
}

TEST_P(Navigation, RandomMovesMatchTheModel) {
  std::mt19937 random(1234 + GetParam());
  for (int rows : {1, 3, 9, 20}) {
    SCOPED_TRACE("rows " + std::to_string(rows));
    Use(rows, GetParam());
    table->Open();
    model.Open();
    for (int step = 0; step < 400; ++step) {
      const int op = std::uniform_int_distribution<int>(0, 6)(random);
      const std::string name = "step " + std::to_string(step) + " op " + std::to_string(op);
      switch (op) {
        case 0: table->First(), model.First(); break;
        case 1: table->Last(), model.Last(); break;
        case 2: table->Next(), model.MoveBy(1); break;
        case 3: table->Prior(), model.MoveBy(-1); break;
        case 4: {
          const int d = std::uniform_int_distribution<int>(-rows - 2, rows + 2)(random);
          ASSERT_EQ(table->MoveBy(d), model.MoveBy(d)) << name << " by " << d;
          break;
        }
        default: {
          const int k = std::uniform_int_distribution<int>(-1, rows + 1)(random);
          if (model.SetRecNo(k)) {
            table->SetRecNo(k);
          } else {
            EXPECT_THROW(table->SetRecNo(k), EDatabaseError) << name << " recno " << k;
          }
          break;
        }
      }
      ExpectSame(name);
    }
    table->Close();
  }
}

TEST_P(Navigation, BookmarksReturnToTheirRows) {
  std::mt19937 random(99 + GetParam());
  Use(15, GetParam());
  table->Open();
  std::vector<std::pair<TBookmark, int>> marks;
  for (int i = 0; i < 10; ++i) {
    const int k = std::uniform_int_distribution<int>(1, 15)(random);
    table->SetRecNo(k);
    marks.emplace_back(table->Bookmark(), k);
  }
  std::shuffle(marks.begin(), marks.end(), random);
  for (const auto& [bookmark, k] : marks) {
    table->SetBookmark(bookmark);
    EXPECT_EQ(table->RecNo(), k);
    EXPECT_EQ(table->FieldByName("B5_Word").AsString(), "w" + std::to_string(k));
  }
}

// Rows changed at random: the stored rows, the shown row and the end marks
// must follow a plain vector of words. New rows go before the current one,
// appended rows at the end; after a post, cancel or delete the ends are
// unknown to the user (Bof and Eof both false) unless the table is empty.
TEST_P(Navigation, RandomChangesKeepRowsAndPositionInStep) {
  std::mt19937 random(777 + GetParam());
  Use(4, GetParam());
  table->Open();
  std::vector<std::string> words{"w1", "w2", "w3", "w4"};
  int cur = 0;
  bool bof = true;
  bool eof = false;
  int serial = 0;
  auto settle = [&] {
    if (words.empty()) {
      cur = 0;
      bof = eof = true;
    } else {
      bof = eof = false;
    }
  };
  for (int step = 0; step < 300; ++step) {
    const int op = std::uniform_int_distribution<int>(0, 7)(random);
    const std::string name = "step " + std::to_string(step) + " op " + std::to_string(op);
    const std::string word = "n" + std::to_string(++serial);
    auto fill = [&] {
      table->FieldByName("B5_Word").SetAsString(word);
      table->FieldByName("B5_Hex").SetAsString("41");
    };
    switch (op) {
      case 0:  // insert and post
        table->Insert();
        fill();
        table->Post();
        words.insert(words.begin() + cur, word);
        settle();
        break;
      case 1:  // append and post
        table->Append();
        fill();
        table->Post();
        words.push_back(word);
        cur = static_cast<int>(words.size()) - 1;
        settle();
        break;
      case 2:  // insert and cancel
        table->Insert();
        fill();
        table->Cancel();
        settle();
        break;
      case 3:  // edit and post through a move
        if (words.empty()) continue;
        table->Edit();
        fill();
        words[static_cast<std::size_t>(cur)] = word;
        {
          Model m{static_cast<int>(words.size()), cur, false, false};
          const int d = std::uniform_int_distribution<int>(-2, 2)(random);
          if (d == 0) {
            table->Post();
          } else {
            ASSERT_EQ(table->MoveBy(d), m.MoveBy(d)) << name;
          }
          cur = m.cur;
          bof = m.bof;
          eof = m.eof;
        }
        break;
      case 4:  // edit and cancel
        if (words.empty()) continue;
        table->Edit();
        fill();
        table->Cancel();
        settle();
        break;
      case 5:  // delete
        if (words.empty()) {
          EXPECT_THROW(table->Delete(), EDatabaseError);
          continue;
        }
        table->Delete();
        words.erase(words.begin() + cur);
        cur = std::min(cur, static_cast<int>(words.size()) - 1);
        settle();
        break;
      default: {  // move
        Model m{static_cast<int>(words.size()), cur, bof, eof};
        const int d = std::uniform_int_distribution<int>(-3, 3)(random);
        ASSERT_EQ(table->MoveBy(d), m.MoveBy(d)) << name;
        cur = m.cur;
        bof = m.bof;
        eof = m.eof;
        break;
      }
    }
    SCOPED_TRACE(name);
    ASSERT_EQ(table->Column(1), words);
    ASSERT_EQ(table->Bof(), bof);
    ASSERT_EQ(table->Eof(), eof);
    if (words.empty()) {
      ASSERT_TRUE(table->IsEmpty());
    } else {
      ASSERT_EQ(table->FieldByName("B5_Word").AsString(), words[static_cast<std::size_t>(cur)]);
      ASSERT_EQ(table->RecNo(), cur + 1);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BufferCounts, Navigation, ::testing::Values(1, 3, 7));

class Positioning : public ::testing::Test {
 protected:
  void SetUp() override {
    source.SetDataSet(&table);
    link.SetDataSource(&source);
    RecordEvents(table, trace);
  }
  std::string Word() { return table.FieldByName("B5_Word").AsString(); }

  Trace trace;
  MemoryDataSet table{"OrvDaoTable1", CharacterColumns(), CharacterRows(10)};
  TDataSource source;
  RecordingLink link{trace, "field"};
};

TEST_F(Positioning, RecNoOutsideTheRowsFailsAndLeavesTheRecord) {
  table.Open();
  table.SetRecNo(4);
  trace.Take();
  for (int k : {0, 11, -3}) {
    try {
      table.SetRecNo(k);
      FAIL() << "RecNo " << k;
    } catch (const EDatabaseError& e) {
      EXPECT_STREQ(e.what(), "OrvDaoTable1: Record not found");
    }
    EXPECT_EQ(trace.Take(), "BeforeScroll");
    EXPECT_EQ(Word(), "w4");
    EXPECT_EQ(table.RecNo(), 4);
  }
  // The cursor was moved away by the failed jumps; moving on starts from the shown row.
  table.Next();
  EXPECT_EQ(Word(), "w5");
}

TEST_F(Positioning, AWalkCostsOneReadPerRowAndTheRecNoNothing) {
  table.Open();
  table.getRecordCalls = table.setToRecordCalls = 0;
  int visited = 1;
  EXPECT_EQ(table.RecNo(), 1);
  while (true) {
    table.Next();
    if (table.Eof()) break;
    ++visited;
    EXPECT_EQ(table.RecNo(), visited);
  }
  EXPECT_EQ(visited, 10);
  EXPECT_EQ(table.getRecordCalls, 10);  // nine rows and the read that found the end
  EXPECT_EQ(table.setToRecordCalls, 0);
}

TEST_F(Positioning, AMultiRowLinkSeesItsOwnDistances) {
  RecordingLink gridLink{trace, "grid"};
  gridLink.SetBufferCount(3);
  gridLink.SetDataSource(&source);
  table.Open();
  trace.Take();
  table.Next();
  table.Next();
  table.Next();
  EXPECT_EQ(trace.Take(),
            "BeforeScroll;field:DataSetScrolled(1);grid:DataSetScrolled(0);AfterScroll;"
            "BeforeScroll;field:DataSetScrolled(1);grid:DataSetScrolled(0);AfterScroll;"
            "BeforeScroll;field:DataSetScrolled(1);grid:DataSetScrolled(1);AfterScroll");
  EXPECT_EQ(gridLink.ActiveRecord(), 2);
  EXPECT_EQ(link.ActiveRecord(), 0);
  table.MoveBy(-3);
  EXPECT_EQ(trace.Take(), "BeforeScroll;field:DataSetScrolled(-3);grid:DataSetScrolled(-1);AfterScroll");
  EXPECT_EQ(gridLink.ActiveRecord(), 0);
  // A jump centres the row in the window.
  table.SetRecNo(6);
  EXPECT_EQ(gridLink.ActiveRecord(), 1);
  EXPECT_EQ(Word(), "w6");
}

TEST_F(Positioning, AGrowingLinkWidensTheWindowAroundTheCurrentRow) {
  table.Open();
  table.SetRecNo(9);
  RecordingLink gridLink{trace, "grid"};
  gridLink.SetDataSource(&source);
  trace.Take();
  gridLink.SetBufferCount(4);
  EXPECT_EQ(trace.Take(), "field:DataSetChanged;grid:DataSetChanged");
  EXPECT_EQ(Word(), "w9");
  EXPECT_EQ(gridLink.RecordCount(), 4);
  EXPECT_EQ(gridLink.ActiveRecord(), 2);  // rows 7 to 10 are shown
  table.Next();
  EXPECT_EQ(Word(), "w10");
}

TEST_F(Positioning, BookmarksOfGoneRowsFailWithoutMoving) {
  table.Open();
  table.SetRecNo(3);
  const TBookmark third = table.Bookmark();
  table.SetRecNo(7);
  const TBookmark seventh = table.Bookmark();
  EXPECT_EQ(table.CompareBookmarks(third, third), 0);
  EXPECT_EQ(table.CompareBookmarks(TBookmark(), third), 1);
  EXPECT_EQ(table.CompareBookmarks(third, TBookmark()), -1);
  table.SetRecNo(3);
  table.Delete();
  EXPECT_EQ(Word(), "w4");
  trace.Take();
  table.GotoBookmark(seventh);
  EXPECT_EQ(trace.Take(), "BeforeScroll;field:DataSetChanged;AfterScroll");
  EXPECT_EQ(Word(), "w7");
  EXPECT_THROW(table.GotoBookmark(third), EDatabaseError);
  EXPECT_EQ(trace.Take(), "BeforeScroll");
  EXPECT_EQ(Word(), "w7");
  table.GotoBookmark(TBookmark());  // no bookmark: nothing happens
  EXPECT_EQ(trace.Take(), "");
  table.Insert();
  EXPECT_EQ(table.Bookmark(), TBookmark());
}

}  // namespace
}  // namespace framework::testing
