// Files the import must refuse: each gives a clear message and a non-zero
// exit code, leaves no file beside the source and the source unchanged.
// The bounded fuzz run mutates the catalogue and the table definition of a
// good file; ZENMORA_IMPORT_FUZZ_RUNS sets how many runs (default 24).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "import/jet/jet_reader.h"
#include "tests/import/import_test_support.h"
#include "tests/import/jet_test_files.h"

namespace {

class BadFile : public ::testing::Test {
 protected:
  // Writes `bytes` as the source, imports it and checks what every refusal
  // must hold; returns the error text.
  std::string refused(const std::string& bytes, const std::string& name = "OLD.mdb") {
    const std::string source = folder_.path(name);
    jettest::writeBytes(source, bytes);
    jetimport::ImportCommand c;
    c.source = source;
    c.destination = folder_.path("NEW.mdb");
    c.timeLimitSeconds = 10;
    c.memoryLimitBytes = std::size_t{512} << 20;
    const jettest::ImportRun run = jettest::runImport(c);
    EXPECT_EQ(run.exitCode, jetimport::kExitFailed) << run.out;
    EXPECT_EQ(folder_.names(), std::vector<std::string>{name});
    EXPECT_EQ(jettest::readBytes(source), bytes);
    EXPECT_EQ(run.err.rfind("zenmora-db import: cannot import " + source + ": ", 0), 0u) << run.err;
    std::filesystem::remove(source);
    return run.err;
  }

  std::string goodJet3() {
    const std::string path = folder_.path("good.mdb");
    jettest::makeBig5Jet3File(path, "0_Data_Input", jettest::characterTableColumns(), jettest::fidelityRows());
    std::string bytes = jettest::readBytes(path);
    std::filesystem::remove(path);
    return bytes;
  }

  jettest::ScratchFolder folder_;
};

TEST_F(BadFile, EmptyTextRandomAndAccdbFilesAreRefusedByWhatTheyAre) {
  EXPECT_NE(refused("").find(": the file is empty\n"), std::string::npos);
  EXPECT_NE(refused("ID\tB5_Word\n1\t\xA4\xA4\n").find(": it is not an Access (Jet) database\n"), std::string::npos);
  std::mt19937 random(7);
  std::string noise(8192, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  EXPECT_NE(refused(noise).find(": it is not an Access (Jet) database\n"), std::string::npos);

  std::string accdb = goodJet3();
  accdb.replace(4, 15, "Standard ACE DB");
  accdb[0x14] = 0x02;
  EXPECT_NE(refused(accdb, "OLD.accdb").find("it is an Access 2007 or later (.accdb) database"), std::string::npos);
}

TEST_F(BadFile, TruncatedFilesAreRefused) {
  const std::string good = goodJet3();
  EXPECT_NE(refused(good.substr(0, good.size() - 1000)).find("the file is truncated"), std::string::npos);
  EXPECT_NE(refused(good.substr(0, 2048)).find("the file is truncated"), std::string::npos);
  // Cut at a page boundary, before the table's pages: the reading fails.
  const std::string cut = refused(good.substr(0, 4 * 2048));
  EXPECT_NE(cut.find("zenmora-db import: cannot import"), std::string::npos);
}

TEST_F(BadFile, EncryptedAndPasswordProtectedFilesAreRefused) {
  // The header's key and password sit in its RC4-encoded part; flipping an
  // encoded byte flips the decoded one.
  std::string encrypted = goodJet3();
  encrypted[0x3E] = static_cast<char>(encrypted[0x3E] ^ 0x5A);
  EXPECT_NE(refused(encrypted).find("it is encrypted"), std::string::npos);
  std::string password = goodJet3();
  password[0x42] = static_cast<char>(password[0x42] ^ 0x31);
  EXPECT_NE(refused(password).find("it is protected by a password"), std::string::npos);
}

TEST_F(BadFile, Jet4PasswordIsToldApartFromTheMaskOfTheCreationDate) {
  for (const char* sample : {"testUnicodeCompV2003.mdb", "test2V2003.mdb"}) {
    SCOPED_TRACE(sample);
    const std::string jet4 = jettest::readBytes(jettest::sampleFolder() + "/" + sample);
    // One character, a full 20 and characters beyond Latin-1: each refused
    // before the reader starts, and by the reader itself.
    for (const std::u16string& password : {std::u16string(u"a"), std::u16string(u"abcdefghijklmnopqrst"),
                                           std::u16string(u"\u5BC6\u78BC\uE000")}) {
      const std::string locked = jettest::withJet4Password(jet4, password);
      EXPECT_NE(refused(locked).find(": it is protected by a password; remove the password in Access first\n"),
                std::string::npos);
      const std::string path = folder_.path("locked.mdb");
      jettest::writeBytes(path, locked);
      try {
        jetimport::JetReader reader(path);
        ADD_FAILURE() << "the reader opened a file with a password";
      } catch (const jetimport::JetReadError& e) {
        EXPECT_STREQ(e.what(), "it is protected by a password; remove the password in Access first");
      }
      std::filesystem::remove(path);
    }
    // Without a password: the samples as Access wrote them, and the field
    // left zero as other writers leave it.
    for (const std::string& open : {jet4, jettest::withJet4Password(jet4, u"", false)}) {
      const std::string path = folder_.path("open.mdb");
      jettest::writeBytes(path, open);
      EXPECT_EQ(jetimport::refusalOfSource(path), std::nullopt);
      EXPECT_NO_THROW(jetimport::JetReader reader(path));
      std::filesystem::remove(path);
    }
  }
}

TEST_F(BadFile, MutatedCatalogueGivesAnErrorOrAWholeImportNeverAHangOrDebris) {
  const std::string good = goodJet3();
  const char* configured = std::getenv("ZENMORA_IMPORT_FUZZ_RUNS");
  const int runs = configured ? std::atoi(configured) : 24;
  std::mt19937 random(20261209);
  int failures = 0;
  for (int run = 0; run < runs; ++run) {
    std::string mutated = good;
    // Page 2 holds the catalogue's rows; the table definitions follow.
    const std::size_t first = 2 * 2048;
    const int flips = 1 + static_cast<int>(random() % 16);
    for (int f = 0; f < flips; ++f) {
      const std::size_t at = first + random() % (4 * 2048);
      mutated[at] = static_cast<char>(random());
    }
    const std::string source = folder_.path("OLD.mdb");
    const std::string destination = folder_.path("NEW.mdb");
    jettest::writeBytes(source, mutated);
    jetimport::ImportCommand c;
    c.source = source;
    c.destination = destination;
    c.timeLimitSeconds = 5;
    c.memoryLimitBytes = std::size_t{256} << 20;
    const jettest::ImportRun result = jettest::runImport(c);
    EXPECT_EQ(jettest::readBytes(source), mutated) << "run " << run;
    if (result.exitCode == 0) {
      EXPECT_EQ(folder_.names(), (std::vector<std::string>{"NEW.mdb", "OLD.mdb"})) << "run " << run;
      EXPECT_EQ(jettest::query(destination, "PRAGMA integrity_check")[0][0], "ok");
    } else {
      ++failures;
      EXPECT_TRUE(result.exitCode == jetimport::kExitFailed || result.exitCode == jetimport::kExitInvalidText)
          << "run " << run << ": " << result.exitCode;
      EXPECT_EQ(folder_.names(), std::vector<std::string>{"OLD.mdb"}) << "run " << run << ": " << result.err;
      EXPECT_EQ(result.err.rfind("zenmora-db import: ", 0), 0u) << result.err;
    }
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(destination + suffix);
    std::filesystem::remove(source);
  }
  RecordProperty("failures", failures);
}

}  // namespace
