// The zenmora-db command line: what it accepts, and a clear usage message
// (exit code 1, nothing done) for what it does not.
#include <gtest/gtest.h>

#include <sstream>

#include "tools/dbcli/zenmora_db_command.h"

namespace {

TEST(ImportArguments, OptionsAndTheTwoFilesInAnyOrder) {
  const jetimport::ImportCommand c = dbcli::parseImportArguments(
      {"--report", "r.txt", "OLD.mdb", "--replace-invalid", "NEW.mdb", "--time-limit", "30", "--memory-limit", "64"});
  EXPECT_EQ(c.source, "OLD.mdb");
  EXPECT_EQ(c.destination, "NEW.mdb");
  EXPECT_EQ(c.reportFile, "r.txt");
  EXPECT_TRUE(c.replaceInvalid);
  EXPECT_EQ(c.timeLimitSeconds, 30);
  EXPECT_EQ(c.memoryLimitBytes, std::size_t{64} << 20);
}

TEST(ImportArguments, MistakesAreNamed) {
  const auto message = [](std::vector<std::string> arguments) {
    try {
      dbcli::parseImportArguments(arguments);
      return std::string("accepted");
    } catch (const std::invalid_argument& e) {
      return std::string(e.what());
    }
  };
  EXPECT_EQ(message({"OLD.mdb"}), "import needs the old database and the name of the new one");
  EXPECT_EQ(message({"a", "b", "c"}), "import needs the old database and the name of the new one");
  EXPECT_EQ(message({"a", "b", "--report"}), "--report needs a value");
  EXPECT_EQ(message({"a", "b", "--time-limit", "0"}), "--time-limit needs a positive whole number");
  EXPECT_EQ(message({"a", "b", "--memory-limit", "12x"}), "--memory-limit needs a positive whole number");
  EXPECT_EQ(message({"a", "b", "--force"}), "unknown option --force");
}

TEST(ZenmoraDb, UnknownOrMissingCommandPrintsTheUsage) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, std::vector<std::string>{"convert", "a", "b"}, std::vector<std::string>{"import"}}) {
    std::ostringstream out, err;
    EXPECT_EQ(dbcli::runZenmoraDb(arguments, out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("usage: zenmora-db import [--report FILE]"), std::string::npos) << err.str();
  }
}

// This test program has no zenmora-db-copy beside it nor where an install
// puts it: the copy cannot start, says so, and copies nothing.
TEST(ZenmoraDb, CopyWithoutItsProgramSaysWhatIsMissing) {
  std::ostringstream out, err;
  EXPECT_EQ(dbcli::runZenmoraDb({"copy", "a.mdb", "postgresql:///b"}, out, err), 1);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("zenmora-db copy: cannot run zenmora-db-copy: No such file or directory (looked for "),
            std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find("nothing was copied"), std::string::npos) << err.str();
}

}  // namespace
