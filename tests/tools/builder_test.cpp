// The builder command: its arguments, its refusal to touch an existing
// database, and what it leaves behind when it fails.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/tools/test_files.h"
#include "tools/dbbuild/builder_cli.h"
#include "tools/dbbuild/license_notices.h"

namespace dbbuild {
namespace {

using testing::TempFolder;

TEST(BuilderArgumentsTest, OptionsInAnyOrderAroundTheOutput) {
  const BuilderOptions defaults = parseBuilderArguments({"out.mdb"});
  EXPECT_EQ(defaults.output, "out.mdb");
  EXPECT_EQ(defaults.cangjie5, "/usr/share/ibus-table/tables/cangjie5.db");

  const BuilderOptions options = parseBuilderArguments(
      {"--unihan", "u.bz2", "--cangjie3", "3.db", "db/out.mdb", "--radicals", "r.txt", "--cangjie5", "5.db"});
  EXPECT_EQ(options.output, "db/out.mdb");
  EXPECT_EQ(options.cangjie5, "5.db");
  EXPECT_EQ(options.cangjie3, "3.db");
  EXPECT_EQ(options.unihan, "u.bz2");
  EXPECT_EQ(options.radicals, "r.txt");
}

TEST(BuilderArgumentsTest, RejectsIncompleteOrAmbiguousCommands) {
  EXPECT_THROW(parseBuilderArguments({}), UsageError);
  EXPECT_THROW(parseBuilderArguments({"--cangjie5", "5.db"}), UsageError);
  EXPECT_THROW(parseBuilderArguments({"out.mdb", "--cangjie5"}), UsageError);
  EXPECT_THROW(parseBuilderArguments({"a.mdb", "b.mdb"}), UsageError);
  EXPECT_THROW(parseBuilderArguments({"--output", "a.mdb"}), UsageError);
  EXPECT_THROW(parseBuilderArguments({""}), UsageError);

  std::ostringstream out, err;
  EXPECT_EQ(runBuilder({"a.mdb", "b.mdb"}, out, err), kExitFailed);
  EXPECT_NE(err.str().find("usage:"), std::string::npos);
}

// Whatever is at the output path is the user's: the builder stops before
// reading any data (the data paths here do not even exist) and touches nothing.
TEST(BuilderOverwriteTest, ExistingDatabaseIsLeftAlone) {
  TempFolder folder;
  const auto output = folder / "Lexora_Concept.mdb";
  testing::writeText(output, "a week of classification work");
  const auto before = std::filesystem::last_write_time(output);

  std::ostringstream out, err;
  const int code = runBuilder({"--cangjie5", (folder / "none.db").string(), output.string()}, out, err);
  EXPECT_EQ(code, kExitOutputExists);
  EXPECT_NE(err.str().find(output.string()), std::string::npos) << err.str();
  std::ifstream in(output);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "a week of classification work");
  EXPECT_EQ(std::filesystem::last_write_time(output), before);
  EXPECT_FALSE(std::filesystem::exists(licensePathFor(output)));
}

TEST(BuilderOverwriteTest, DanglingLinkAndFolderCountAsExisting) {
  TempFolder folder;
  const auto link = folder / "link.mdb";
  std::filesystem::create_symlink(folder / "gone.mdb", link);
  std::ostringstream out, err;
  EXPECT_EQ(runBuilder({link.string()}, out, err), kExitOutputExists);
  EXPECT_FALSE(std::filesystem::exists(folder / "gone.mdb"));

  std::filesystem::create_directory(folder / "dir.mdb");
  EXPECT_EQ(runBuilder({(folder / "dir.mdb").string()}, out, err), kExitOutputExists);
}

TEST(BuilderFailureTest, UnreadableDataLeavesNoFileBehind) {
  TempFolder folder;
  const auto output = folder / "Lexora_Concept.mdb";
  std::ostringstream out, err;
  const int code = runBuilder({"--cangjie5", (folder / "none.db").string(), output.string()}, out, err);
  EXPECT_EQ(code, kExitFailed);
  EXPECT_NE(err.str().find("none.db"), std::string::npos) << err.str();
  EXPECT_FALSE(std::filesystem::exists(output));
  EXPECT_FALSE(std::filesystem::exists(licensePathFor(output)));
}

TEST(LicenseNoticesTest, CopiesEachNoticeAndNamesMissingOnes) {
  TempFolder folder;
  testing::writeText(folder / "a", "Notice A\nline two");
  testing::writeText(folder / "empty", "");
  std::vector<std::filesystem::path> missing;
  const std::string text = composeLicenseText({{"Cangjie 5 table", "/data/5.db"}},
                                              {{"Source A", folder / "a"},
                                               {"Source B", folder / "b"},
                                               {"Source C", folder / "empty"},
                                               {"Source D", folder / "a"}},
                                              missing);
  EXPECT_NE(text.find("Cangjie 5 table: /data/5.db"), std::string::npos);
  EXPECT_NE(text.find("Source A"), std::string::npos);
  EXPECT_NE(text.find("Notice A\nline two\n"), std::string::npos);
  // An empty or missing notice does not swallow the ones after it.
  EXPECT_NE(text.find("Source D"), std::string::npos);
  EXPECT_NE(text.find("Notice A"), text.rfind("Notice A"));
  EXPECT_EQ(missing, (std::vector<std::filesystem::path>{folder / "b"}));
}

}  // namespace
}  // namespace dbbuild
