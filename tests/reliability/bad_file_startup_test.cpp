// The built program started on a bad "Lexora_Concept.mdb" in its working
// directory. Every start-up must end with a clear message: the
// "Application Error" box and exit code 1 when the connection fails, or
// the error box with the window open when a table or field is missing (the
// program is then stopped by the test, as it has no switch to quit). Never
// a crash or a sanitizer report, and the file's bytes stay as they were.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "platform/automation/class_registry.h"
#include "platform/automation/com_init.h"
#include "tests/data/data_test_support.h"
#include "tests/reliability/program_run.h"
#include "tests/reliability/reliability_support.h"

#ifndef ZENMORA_PROGRAM
#error "ZENMORA_PROGRAM must name the built program"
#endif

namespace {

namespace fs = std::filesystem;
using reliability::ProgramRun;

constexpr const char* kFileName = "Lexora_Concept.mdb";
constexpr const char* kConnectFailure = "Application Error\nException EReadError in module zenmora at ";

class BadFileStartup : public ::testing::Test {
 protected:
  void SetUp() override {
    // The copy of the program lies in a folder of its own, without any
    // database beside it; the working directory is another folder.
    fs::create_directory(bin);
    fs::create_directory(work);
    program = (bin / "zenmora").string();
    fs::copy_file(ZENMORA_PROGRAM, program);
    fs::permissions(folder.path(), fs::perms::all);
    fs::permissions(bin, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(work, fs::perms::all);
  }

  ProgramRun Start(std::optional<std::string> untilText = std::nullopt, std::optional<uid_t> user = std::nullopt,
                   std::optional<int> stopAfterMs = std::nullopt) {
    ProgramRun run = reliability::RunProgram({.program = program,
                                              .workingDirectory = work.string(),
                                              .untilText = untilText,
                                              .stopAfterMs = stopAfterMs,
                                              .user = user});
    // What each case showed, for the record.
    std::printf("---- %s: %s\n%s----\n", ::testing::UnitTest::GetInstance()->current_test_info()->name(),
                run.exited ? ("exit " + std::to_string(run.exitCode)).c_str()
                : run.sawText ? "window open after the message, stopped by the test"
                : run.stillRunning ? "still running without a message, stopped by the test"
                                   : "other",
                run.errorOutput.c_str());
    EXPECT_FALSE(run.signaled) << "the program crashed with signal " << run.signal << "\n" << run.errorOutput;
    EXPECT_FALSE(run.timedOut) << "the program neither ended nor showed the message\n" << run.errorOutput;
    EXPECT_EQ(reliability::SanitizerReport(run.errorOutput), "");
    return run;
  }

  // A start-up that fails to connect: the reading error in the
  // "Application Error" box, exit code 1, and `message` after the colon.
  void ExpectConnectFailure(const ProgramRun& run, const std::string& message) {
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errorOutput.find(kConnectFailure), std::string::npos) << run.errorOutput;
    EXPECT_NE(run.errorOutput.find("Error reading OrvDaoDatabase1.Connected: " + message), std::string::npos)
        << run.errorOutput;
  }

  fs::path File() const { return work / kFileName; }
  std::string Bytes() const { return reliability::ReadWholeFile(File()).value_or("<not a file>"); }

  datatest::TemporaryFolder folder;
  fs::path bin = folder.path() / "bin";
  fs::path work = folder.path() / "work";
  std::string program;
};

TEST_F(BadFileStartup, Missing) {
  const ProgramRun run = Start();
  ExpectConnectFailure(run, "Cannot find Database:\r\n" + (bin / kFileName).string() + ".");
  EXPECT_FALSE(fs::exists(File())) << "nothing is created in its place";
  EXPECT_FALSE(fs::exists(bin / kFileName));
}

TEST_F(BadFileStartup, Empty) {
  reliability::WriteWholeFile(File(), "");
  const ProgramRun run = Start();
  ExpectConnectFailure(run, "Unrecognized database format 'Lexora_Concept.mdb': the file is empty.\n");
  EXPECT_EQ(Bytes(), "");
}

TEST_F(BadFileStartup, RandomBytes) {
  std::mt19937 random(77);
  std::string bytes(8192, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  reliability::WriteWholeFile(File(), bytes);
  const ProgramRun run = Start();
  ExpectConnectFailure(run, "Unrecognized database format 'Lexora_Concept.mdb'.\n");
  EXPECT_EQ(Bytes(), bytes);
}

TEST_F(BadFileStartup, TruncatedToHalf) {
  reliability::CreateCharacterDatabase(File().string(), {.characters = 8});
  std::string bytes = Bytes();
  bytes.resize(bytes.size() / 2);
  reliability::WriteWholeFile(File(), bytes);
  const ProgramRun run = Start();
  ExpectConnectFailure(run, "Cannot open database 'Lexora_Concept.mdb': the file is damaged or incomplete.\n");
  EXPECT_EQ(Bytes(), bytes);
}

TEST_F(BadFileStartup, AccessJetFile) {
  std::string bytes(4096, '\0');
  bytes.replace(0, 4, std::string("\x00\x01\x00\x00", 4));
  bytes.replace(4, 15, "Standard Jet DB");
  reliability::WriteWholeFile(File(), bytes);
  const ProgramRun run = Start();
  ExpectConnectFailure(run,
                       "Unrecognized database format 'Lexora_Concept.mdb': it is a Microsoft Access (Jet) database, "
                       "which this engine cannot open. To bring it across, run: zenmora-db import "
                       "'Lexora_Concept.mdb' NEW.mdb (then keep the old file elsewhere and give NEW.mdb its name).\n");
  EXPECT_EQ(Bytes(), bytes);
}

TEST_F(BadFileStartup, DirectoryOfThatName) {
  fs::create_directory(File());
  const ProgramRun run = Start();
  ExpectConnectFailure(run, "Cannot find Database:\r\n" + (bin / kFileName).string() + ".");
  EXPECT_TRUE(fs::is_directory(File()));
  EXPECT_TRUE(fs::is_empty(File()));
}

TEST_F(BadFileStartup, WithoutWritePermission) {
  reliability::CreateCharacterDatabase(File().string(), {.characters = 3});
  fs::permissions(File(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string bytes = Bytes();
  std::optional<uid_t> user;
  if (::geteuid() == 0) {
    // Permissions do not bind root: run the program as "nobody".
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) GTEST_SKIP() << "running as root and there is no user \"nobody\"";
    user = nobody->pw_uid;
  }
  // Either the connection is refused with the engine's message, or the
  // program runs on the file without changing it.
  const ProgramRun run = Start(std::nullopt, user, 20000);
  ExpectConnectFailure(run,
                       "Cannot open 'Lexora_Concept.mdb' for writing: the file is read-only or you have no "
                       "permission to change it.\n");
  EXPECT_EQ(Bytes(), bytes);
}

TEST_F(BadFileStartup, LockedExclusivelyByAnotherProcess) {
  reliability::CreateCharacterDatabase(File().string(), {.characters = 3});
  const std::string bytes = Bytes();
  const std::string path = File().string();
  // Another program holds the file open for exclusive use.
  reliability::ChildProcess holder([&](int toParent, int fromParent) {
    automation::ScopedComInitialization com;
    automation::ObjectRef engine = automation::createOleObject("DAO.DBEngine.36");
    automation::ObjectRef workspace = engine->getObject("CreateWorkspace", {"Holder", "Admin", "", 2});
    automation::ObjectRef database = workspace->getObject("OpenDatabase", {path, true, false, ";UID=Admin;PWD=;"});
    automation::ObjectRef recordset = database->getObject("OpenRecordset", {"0_Data_Input", 2, 0, 3});
    recordset->call("MoveFirst");
    reliability::WriteLine(toParent, "holding");
    reliability::ReadCommand(fromParent);  // until the parent closes the pipe
    recordset->call("Close");
    database->call("Close");
    return 0;
  });
  ASSERT_EQ(holder.ReadLine(), "holding");
  const ProgramRun run = Start();
  ExpectConnectFailure(run, "Could not use 'Lexora_Concept.mdb'; file already in use.\n");
  holder.CloseInput();
  EXPECT_EQ(holder.Wait(), 0);
  EXPECT_EQ(Bytes(), bytes);
}

TEST_F(BadFileStartup, MissingTable) {
  reliability::CreateCharacterDatabase(File().string(), {.characters = 3, .leaveOutTable = "3_Ren_Zhi"});
  const std::string bytes = Bytes();
  // The error box (caption: the application title), then the window.
  const ProgramRun run = Start("Cannot find table or query '3_Ren_Zhi'.\n");
  EXPECT_TRUE(run.sawText) << run.errorOutput;
  EXPECT_NE(run.errorOutput.find("Zenmora１．０版\nCannot find table or query '3_Ren_Zhi'.\n"), std::string::npos);
  EXPECT_EQ(run.errorOutput.find("Application Error"), std::string::npos);
  EXPECT_EQ(Bytes(), bytes);
}

TEST_F(BadFileStartup, MissingField) {
  reliability::CreateCharacterDatabase(File().string(), {.characters = 3, .leaveOutField = "CJ_Input"});
  const std::string bytes = Bytes();
  // The table opens; DBEdit6, bound to the missing field, shows an empty
  // text, and the field's absence surfaces only when something uses it
  // ("OrvDaoTable1: Field 'CJ_Input' not found"). At start-up: no box, the
  // window stays open until the test stops it.
  const ProgramRun run = Start(std::nullopt, std::nullopt, 8000);
  EXPECT_TRUE(run.stillRunning) << run.errorOutput;
  EXPECT_EQ(run.errorOutput.find("Error"), std::string::npos) << run.errorOutput;
  EXPECT_EQ(Bytes(), bytes);
}

}  // namespace
