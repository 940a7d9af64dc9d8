// A process that appends rows through the data layer in a loop is killed
// with SIGKILL at random moments. After every kill the file must pass
// SQLite's integrity check (opened with SQLite directly, not the engine) and
// hold every row whose post the process had reported as completed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "tests/data/data_test_support.h"
#include "tests/reliability/reliability_support.h"

namespace {

constexpr const char* kTable = "0_Data_Input";
constexpr const char* kMarkField = "CJ_Input";
// Kills; RELIABILITY_KILL_ROUNDS overrides.
constexpr int kDefaultKillRounds = 100;
// The longest wait between the child's "ready" and the kill.
constexpr int kLongestDelayMicroseconds = 40'000;

// The child: connects, opens the table, then appends rows marked
// "<round>-<n>" forever, writing "B <mark>" before and "D <mark>" after
// each post.
int Poster(const std::string& path, int round, int toParent) {
  datatest::Form form(path);
  data::TOrvDaoTable& table = form.OpenTable(kTable);
  reliability::WriteLine(toParent, "ready");
  for (int n = 1; n < 1'000'000; ++n) {
    const std::string mark = std::to_string(round) + "-" + std::to_string(n);
    reliability::WriteLine(toParent, "B " + mark);
    table.Append();
    table.FieldByName("B5_Word").SetAsString("K");
    table.FieldByName(kMarkField).SetAsString(mark);
    table.Post();
    reliability::WriteLine(toParent, "D " + mark);
  }
  return 0;
}

TEST(KillDuringPosts, EveryReportedPostSurvivesAndTheFileStaysSound) {
  datatest::TemporaryFolder folder;
  const std::string path = folder.file("Lexora_Concept.mdb");
  reliability::CreateCharacterDatabase(path, {.characters = 3});
  const int rounds = reliability::CountFromEnvironment("RELIABILITY_KILL_ROUNDS", kDefaultKillRounds);
  std::mt19937 random(8);
  std::uniform_int_distribution<int> delay(0, kLongestDelayMicroseconds);
  std::set<std::string> completed;  // every post reported as completed, all rounds
  int begun = 0;
  int killedMidPost = 0;  // kills that came between a "B" and its "D"
  for (int round = 1; round <= rounds; ++round) {
    reliability::ChildProcess poster(
        [&](int toParent, int) { return Poster(path, round, toParent); });
    ASSERT_EQ(poster.ReadLine(), "ready") << "round " << round << ": the poster could not open the table";
    ::usleep(static_cast<useconds_t>(delay(random)));
    poster.Kill(SIGKILL);
    const int status = poster.Wait();
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "round " << round << ": the poster ended by itself (status " << status << ")";
    std::optional<std::string> open;
    for (const std::string& line : poster.DrainLines()) {
      if (line.rfind("B ", 0) == 0) {
        ++begun;
        open = line.substr(2);
      } else if (line.rfind("D ", 0) == 0) {
        completed.insert(line.substr(2));
        open.reset();
      }
    }
    if (open) ++killedMidPost;

    ASSERT_EQ(reliability::IntegrityCheck(path), "ok") << "round " << round;
    std::set<std::string> stored;
    for (const auto& value : reliability::ReadColumn(path, kTable, kMarkField))
      if (value) stored.insert(*value);
    for (const std::string& mark : completed)
      ASSERT_TRUE(stored.count(mark)) << "round " << round << ": the completed post " << mark << " is lost";
    // Nothing but reported posts (and at most the one in flight) is there.
    ASSERT_LE(stored.size(), completed.size() + static_cast<std::size_t>(round));
  }
  std::printf("kills %d, posts begun %d, completed %zu, kills in the middle of a post %d\n", rounds, begun,
              completed.size(), killedMidPost);
  RecordProperty("completed", static_cast<int>(completed.size()));
  RecordProperty("killedMidPost", killedMidPost);
}

}  // namespace
