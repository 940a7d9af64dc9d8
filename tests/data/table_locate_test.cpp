// Locate: the criteria text handed to the engine, what it finds, and that
// nothing moves when nothing matches.
#include "platform/automation/call_observer.h"
#include "tests/data/data_test_support.h"

using namespace datatest;

namespace {

constexpr framework::TLocateOptions kSearchBox{.caseInsensitive = true, .partialKey = true};

class Locating : public ::testing::Test {
 protected:
  Locating() {
    CreateDatabase(path, {
                             {"W1", std::nullopt, "C1", "1", std::nullopt},
                             {"W2", "A440", "C2", "2", std::nullopt},
                             {"W3", "A4A4", "C3", "3", std::nullopt},
                             {"W4", "a4a4ff", "C4", "4", std::nullopt},
                             {"W5", "5x", "C5", "5", std::nullopt},
                             {"W6", "*6", "C6", "6", std::nullopt},
                             {"W7", "[7", "C7", "7", std::nullopt},
                             {"W8", "\"8", "C8", "8", std::nullopt},
                         });
    form = std::make_unique<Form>(path);
    words = &form->OpenTable("Words");
    words->BeforeScroll = [this](framework::TDataSet&) { trace += "BeforeScroll;"; };
    words->AfterScroll = [this](framework::TDataSet&) { trace += "AfterScroll(" + Text(*words, "B5_Word") + ");"; };
  }

  // Locates and answers the row found ("" for none) and the criteria text.
  std::pair<std::string, std::string> Find(const std::string& fields, const framework::TKeyValues& values,
                                           framework::TLocateOptions options = kSearchBox) {
    automation::CallRecorder calls;
    const bool found = words->Locate(fields, values, options);
    std::string criteria;
    for (const automation::RecordedCall& call : calls.calls()) {
      if (call.member == "FindFirst") criteria = call.arguments.at(0).asText();
    }
    return {found ? Text(*words, "B5_Word") : std::string(), criteria};
  }

  TemporaryFolder folder;
  std::string path = folder.file("Lexora_Concept.mdb");
  std::unique_ptr<Form> form;
  data::TOrvDaoTable* words = nullptr;
  std::string trace;
};

using Found = std::pair<std::string, std::string>;

}  // namespace

TEST_F(Locating, TheSearchBoxFindsTheFirstRowBeginningWithTheCodeInAnyCase) {
  EXPECT_EQ(Find("B5_Hex", {"a4a4"}), Found("W3", R"(([B5_Hex]  LIKE LCASE("a4a4*")))"));
  EXPECT_EQ(trace, "BeforeScroll;AfterScroll(W3);");
  EXPECT_EQ(words->RecNo(), 3);
  words->Last();
  EXPECT_EQ(Find("B5_Hex", {"A4A4"}), Found("W3", R"(([B5_Hex]  LIKE LCASE("a4a4*")))"));
  EXPECT_EQ(Find("B5_Hex", {"A4A4F"}), Found("W4", R"(([B5_Hex]  LIKE LCASE("a4a4f*")))"));
}

TEST_F(Locating, WildcardsAndQuotesInTheValueStandForThemselves) {
  EXPECT_EQ(Find("B5_Hex", {"*"}), Found("W6", R"(([B5_Hex]  LIKE LCASE("[*]*")))"));
  EXPECT_EQ(Find("B5_Hex", {"["}), Found("W7", R"(([B5_Hex]  LIKE LCASE("[[]*")))"));
  EXPECT_EQ(Find("B5_Hex", {"\""}), Found("W8", R"(([B5_Hex]  LIKE LCASE("""*")))"));
}

TEST_F(Locating, AnEmptyValueFindsTheFirstValueAndNullFindsNull) {
  words->Last();
  EXPECT_EQ(Find("B5_Hex", {""}), Found("W2", R"(([B5_Hex]  LIKE LCASE("*")))"));
  EXPECT_EQ(Find("B5_Hex", {"NULL"}), Found("W1", "([B5_Hex] IS NULL)"));
  words->Last();
  EXPECT_EQ(Find("B5_Hex", {std::nullopt}), Found("W1", "([B5_Hex] IS NULL)"));
}

TEST_F(Locating, SeveralFieldsAreJoinedAndExactTextsAndNumbersHaveTheirOwnForms) {
  EXPECT_EQ(Find(" B5_Word ; Amount ", {"W4", "4"}, {}), Found("W4", R"(([B5_Word]  = "W4") AND ([Amount]  = 4))"));
  EXPECT_EQ(Find("Code", {"c5"}, {.caseInsensitive = true}), Found("W5", R"(([Code]  = LCASE("c5")))"));
  EXPECT_EQ(Find("Code", {"C"}, {.partialKey = true}), Found("W1", R"(([Code]  LIKE "C*"))"));
  words->SetUseBrackets(false);
  EXPECT_EQ(Find("Amount", {"1,234"}, {}), Found("", "(Amount  = 1234)"));
}

TEST_F(Locating, NothingMovesWhenNothingMatches) {
  words->SetRecNo(4);
  trace.clear();
  EXPECT_EQ(Find("B5_Hex", {"ffff"}), Found("", R"(([B5_Hex]  LIKE LCASE("ffff*")))"));
  EXPECT_EQ(trace, "");
  EXPECT_EQ(words->RecNo(), 4);
  EXPECT_EQ(Text(*words, "B5_Word"), "W4");
  words->Next();
  EXPECT_EQ(Text(*words, "B5_Word"), "W5");
}

TEST_F(Locating, KeysAndValuesMustMatchAndNameFieldsTheTableHas) {
  ExpectDatabaseError([&] { words->Locate("B5_Hex;Code", {"a4"}, kSearchBox); },
                      "Number of elements in the KeyValues array must be equal to the number of fields.");
  ExpectDatabaseError([&] { words->Locate("Nope", {"a4"}, kSearchBox); }, "OrvDaoTable1: Field 'Nope' not found");
  EXPECT_EQ(trace, "");
}
