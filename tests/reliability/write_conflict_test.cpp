// Two copies of the data layer, each in its own process, edit the same row
// of "0_Data_Input" through TOrvDaoTable. The parent process schedules
// their steps (Edit, Post, Cancel) one at a time, so every interleaving is
// exact and its outcome known in advance.
//
// Both copies increment the shared counter in "Li_Chang" (read on Edit,
// written plus one on Post) and keep their own count of successful posts in
// a field of their own ("Xian_Xiang" for the first, "Ren_Zhi" for the
// second). A lost update would show as a counter behind the number of posts
// that reported success.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "framework/TDataSet.h"
#include "platform/automation/ole_exception.h"
#include "tests/data/data_test_support.h"
#include "tests/reliability/reliability_support.h"

namespace {

using reliability::ChildProcess;

constexpr const char* kTable = "0_Data_Input";
constexpr const char* kShared = "Li_Chang";
constexpr std::array<const char*, 2> kOwn = {"Xian_Xiang", "Ren_Zhi"};
constexpr int kWriteConflict = 3197;
constexpr const char* kWriteConflictText =
    "Write conflict: another user changed or deleted this record after you began editing it; your changes were "
    "not saved.";
// Rounds of the random interleavings; RELIABILITY_CONFLICT_ROUNDS overrides.
constexpr int kDefaultConflictRounds = 1000;

int Number(const std::string& text) { return text.empty() ? 0 : std::stoi(text); }

// The child: one data layer on `path`, answering one line per command.
//   E  -> Edit, type shared+1 and own count+1; answers "E <shared as read>"
//   P  -> Post; answers "OK <typed>" or
//         "FAIL <number> <state is edit 0/1> <typed values kept 0/1> <text>"
//   C  -> Cancel; answers "C <shared as shown now> <state is browse 0/1>"
//   Q  -> answers "N <successful posts>" and ends
int Worker(const std::string& path, const char* ownField, int toParent, int fromParent) {
  datatest::Form form(path);
  data::TOrvDaoTable& table = form.OpenTable(kTable);
  int successes = 0;
  std::string typed;
  std::string typedOwn;
  reliability::WriteLine(toParent, "ready");
  while (std::optional<std::string> command = reliability::ReadCommand(fromParent)) {
    try {
      if (*command == "E") {
        table.Edit();
        const std::string current = table.FieldByName(kShared).AsString();
        typed = std::to_string(Number(current) + 1);
        typedOwn = std::to_string(successes + 1);
        table.FieldByName(kShared).SetAsString(typed);
        table.FieldByName(ownField).SetAsString(typedOwn);
        reliability::WriteLine(toParent, "E " + std::to_string(Number(current)));
      } else if (*command == "P") {
        try {
          table.Post();
          ++successes;
          reliability::WriteLine(toParent, "OK " + typed);
        } catch (const automation::EOleException& error) {
          const bool editing = table.State() == framework::dsEdit;
          const bool kept =
              table.FieldByName(kShared).AsString() == typed && table.FieldByName(ownField).AsString() == typedOwn;
          reliability::WriteLine(toParent, "FAIL " + std::to_string(error.errorNumber()) + " " +
                                               (editing ? "1" : "0") + " " + (kept ? "1" : "0") + " " + error.what());
        }
      } else if (*command == "C") {
        table.Cancel();
        reliability::WriteLine(toParent, "C " + std::to_string(Number(table.FieldByName(kShared).AsString())) + " " +
                                             (table.State() == framework::dsBrowse ? "1" : "0"));
      } else if (*command == "Q") {
        reliability::WriteLine(toParent, "N " + std::to_string(successes));
        return 0;
      }
    } catch (const std::exception& error) {
      reliability::WriteLine(toParent, std::string("ERROR ") + error.what());
    }
  }
  return 0;
}

class WriteConflict : public ::testing::Test {
 protected:
  void SetUp() override {
    reliability::CreateCharacterDatabase(path, {.characters = 3});
    for (int i = 0; i < 2; ++i) {
      users[i] = std::make_unique<ChildProcess>(
          [this, i](int toParent, int fromParent) { return Worker(path, kOwn[i], toParent, fromParent); });
      ASSERT_EQ(users[i]->ReadLine(), "ready") << "user " << i << " could not open the table";
    }
  }

  void TearDown() override {
    for (auto& user : users) {
      if (!user) continue;
      user->CloseInput();
      user->Wait();
    }
  }

  std::string Ask(int user, const std::string& command) {
    users[user]->Send(command + "\n");
    const std::optional<std::string> answer = users[user]->ReadLine();
    return answer.value_or("<no answer>");
  }

  // The shared counter and the users' own fields as stored in the file.
  std::optional<std::string> Stored(const std::string& field) {
    return reliability::ReadColumn(path, kTable, field).at(0);
  }

  int Successes(int user) {
    const std::string answer = Ask(user, "Q");
    EXPECT_EQ(answer.rfind("N ", 0), 0u) << answer;
    return answer.size() > 2 ? std::stoi(answer.substr(2)) : -1;
  }

  datatest::TemporaryFolder folder;
  std::string path = folder.file("Lexora_Concept.mdb");
  std::array<std::unique_ptr<ChildProcess>, 2> users;
};

std::string Failure() {
  return "FAIL " + std::to_string(kWriteConflict) + " 1 1 " + kWriteConflictText;
}

TEST_F(WriteConflict, TheSecondPostFailsKeepsTheTypedValuesAndTheRetryAfterReloadWins) {
  EXPECT_EQ(Ask(0, "E"), "E 0");
  EXPECT_EQ(Ask(1, "E"), "E 0");
  EXPECT_EQ(Ask(0, "P"), "OK 1");
  // The engine's conflict message; the second user is still editing with
  // what was typed.
  EXPECT_EQ(Ask(1, "P"), Failure());
  // The first change is the one in the file.
  EXPECT_EQ(Stored(kShared), "1");
  EXPECT_EQ(Stored(kOwn[0]), "1");
  EXPECT_EQ(Stored(kOwn[1]), std::nullopt);
  // Reload: Cancel shows the stored row, the retry posts on top of it.
  EXPECT_EQ(Ask(1, "C"), "C 1 1");
  EXPECT_EQ(Ask(1, "E"), "E 1");
  EXPECT_EQ(Ask(1, "P"), "OK 2");
  EXPECT_EQ(Stored(kShared), "2");
  EXPECT_EQ(Stored(kOwn[0]), "1");
  EXPECT_EQ(Stored(kOwn[1]), "1");
  EXPECT_EQ(Successes(0), 1);
  EXPECT_EQ(Successes(1), 1);
}

TEST_F(WriteConflict, RandomInterleavingsLoseNoUpdate) {
  const int rounds = reliability::CountFromEnvironment("RELIABILITY_CONFLICT_ROUNDS", kDefaultConflictRounds);
  std::mt19937 random(20261208);
  int shared = 0;                   // the counter as it must stand in the file
  std::array<int, 2> posted{0, 0};  // posts that reported success, per user
  int conflicts = 0;
  for (int round = 0; round < rounds && !HasFatalFailure(); ++round) {
    // One Edit and one Post per user, each user's Edit before its Post: pick
    // the order of the four steps at random.
    std::array<int, 4> steps{0, 0, 1, 1};
    std::shuffle(steps.begin(), steps.end(), random);
    std::array<bool, 2> edited{false, false};
    std::array<int, 2> readAt{0, 0};  // the counter each user read on Edit
    std::optional<int> loser;
    for (const int user : steps) {
      if (!edited[user]) {
        edited[user] = true;
        const std::string answer = Ask(user, "E");
        ASSERT_EQ(answer, "E " + std::to_string(shared)) << "round " << round << ": stale read";
        readAt[user] = shared;
        continue;
      }
      const std::string answer = Ask(user, "P");
      if (readAt[user] == shared) {
        ASSERT_EQ(answer, "OK " + std::to_string(shared + 1)) << "round " << round;
        ++shared;
        ++posted[user];
      } else {
        // The other user posted after this one began editing.
        ASSERT_EQ(answer, Failure()) << "round " << round;
        loser = user;
        ++conflicts;
      }
    }
    if (loser) {
      // The winner's change is what the file holds; reload and retry.
      ASSERT_EQ(Stored(kShared), std::to_string(shared)) << "round " << round;
      ASSERT_EQ(Ask(*loser, "C"), "C " + std::to_string(shared) + " 1") << "round " << round;
      ASSERT_EQ(Ask(*loser, "E"), "E " + std::to_string(shared)) << "round " << round;
      ASSERT_EQ(Ask(*loser, "P"), "OK " + std::to_string(shared + 1)) << "round " << round;
      ++shared;
      ++posted[*loser];
    }
  }
  // Every post that reported success is in the file.
  EXPECT_EQ(Successes(0), posted[0]);
  EXPECT_EQ(Successes(1), posted[1]);
  EXPECT_EQ(Stored(kShared), std::to_string(posted[0] + posted[1]));
  EXPECT_EQ(Stored(kOwn[0]), std::to_string(posted[0]));
  EXPECT_EQ(Stored(kOwn[1]), std::to_string(posted[1]));
  EXPECT_EQ(reliability::IntegrityCheck(path), "ok");
  EXPECT_GT(conflicts, 0);
  RecordProperty("rounds", rounds);
  RecordProperty("conflicts", conflicts);
  std::printf("rounds %d, posts %d + %d, write conflicts %d\n", rounds, posted[0], posted[1], conflicts);
}

}  // namespace
