// The server storage as a module of its own (storage.h): a program that
// links the engine and the module's location (server_module_probe) loads
// the module, and with it the server's client library, only when it opens a
// server database; from the build folder it finds the module built there,
// and a copy of the program laid out as installed finds it in its private
// library folder beside itself. A missing or damaged module is the engine's
// 3170, and the files still open.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/dao/server/server_errors.h"
#include "tests/platform/dao/engine_test_support.h"
#include "tests/platform/dao/server/server_test_support.h"

namespace {

namespace fs = std::filesystem;

// What the probe prints, standard output and error together.
std::string run(const fs::path& program, const std::vector<std::string>& names) {
  std::string command = "'" + program.string() + "'";
  for (const std::string& name : names) command += " '" + name + "'";
  command += " 2>&1";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return "cannot run " + command;
  std::string output;
  std::array<char, 4096> buffer{};
  while (std::size_t read = fread(buffer.data(), 1, buffer.size(), pipe.get())) output.append(buffer.data(), read);
  return output;
}

class ServerModule : public ::testing::Test {
 protected:
  void SetUp() override {
    file = folder.file("people.mdb");
    enginetest::createNumberedPeople(file, 3);
    servertest::createServerDatabase(server, {enginetest::peopleTable()});
    servertest::insertNumberedPeople(server, 4);
  }

  // A copy of the probe in `root`/bin, as an installed program lies.
  fs::path installedProbe(const fs::path& root) {
    fs::create_directories(root / "bin");
    const fs::path program = root / "bin" / "server_module_probe";
    fs::copy_file(ZEN_SERVER_MODULE_PROBE, program);
    return program;
  }

  enginetest::TemporaryFolder folder;
  std::string file;
  servertest::ScratchDatabase server;
};

TEST_F(ServerModule, FromTheBuildFolderAServerNameLoadsTheModuleAndAFileDoesNot) {
  // The engine's errors made inside the module reach the program as its own.
  const std::string missing = servertest::testServer() + " dbname=" + server.name() + "_missing";
  const std::string output = run(ZEN_SERVER_MODULE_PROBE, {file, file, server.connectionString(), missing, file});
  const std::string before = "3 rows; client library not loaded\n"
                             "3 rows; client library not loaded\n"
                             "4 rows; client library loaded\n"
                             "3024 The database server has no such database (" +
                             dao::server::serverName(missing) + "): ";
  const std::string after = "; client library loaded\n3 rows; client library loaded\n";
  EXPECT_TRUE(output.starts_with(before) && output.ends_with(after)) << output;
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 5) << output;
}

// The start-up hint loads the storage on a thread of its own; an open that
// follows at once waits for that load and then works as without the hint. A
// file name loads nothing, and so does a hint whose load fails: the open
// tries again and reports it.
TEST_F(ServerModule, TheStartUpHintLoadsTheStorageAheadOnlyForAServer) {
  EXPECT_EQ(run(ZEN_SERVER_MODULE_PROBE, {"--prepare", file, file}), "3 rows; client library not loaded\n");
  EXPECT_EQ(run(ZEN_SERVER_MODULE_PROBE, {"--prepare", server.connectionString(), server.connectionString(), file}),
            "4 rows; client library loaded\n3 rows; client library loaded\n");
  EXPECT_EQ(run(ZEN_SERVER_MODULE_PROBE, {"--prepare", server.connectionString(), "--loaded", server.connectionString()}),
            "client library loaded\n4 rows; client library loaded\n");

  const fs::path program = installedProbe(folder.path() / "usr");
  const std::string output = run(program, {"--prepare", server.connectionString(), server.connectionString()});
  EXPECT_TRUE(output.starts_with("3170 Could not find installable ISAM.; client library not loaded\nmodule: ")) << output;
}

TEST_F(ServerModule, AnInstalledProgramFindsTheModuleInItsPrivateLibraryFolder) {
  const fs::path root = folder.path() / "usr";
  const fs::path program = installedProbe(root);
  const fs::path module = (program.parent_path() / ZEN_SERVER_MODULE_BESIDE_PROGRAM).lexically_normal();
  const std::string isam = "3170 Could not find installable ISAM.; client library not loaded\n";

  // None there: the engine's 3170, the reason where the engine keeps it, and
  // files open as before.
  EXPECT_EQ(run(program, {server.connectionString(), file}),
            isam + "module: " + module.string() + ": cannot open shared object file: No such file or directory\n" +
                "3 rows; client library not loaded\n");

  // A damaged one: the same, and it is looked for again at the next name.
  fs::create_directories(module.parent_path());
  std::ofstream(module) << "not a module";
  const std::string damaged = run(program, {server.connectionString()});
  EXPECT_TRUE(damaged.starts_with(isam + "module: " + module.string() + ": ")) << damaged;

  fs::copy_file(ZEN_SERVER_MODULE_BUILT, module, fs::copy_options::overwrite_existing);
  EXPECT_EQ(run(program, {file, server.connectionString()}),
            "3 rows; client library not loaded\n"
            "4 rows; client library loaded\n");
}

}  // namespace
