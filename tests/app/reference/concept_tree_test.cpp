// The concept tree: its exact lines, and that its branches and names line up
// on the cell grid of the pane.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reference/reference_texts.h"
#include "app/reference/text_cells.h"
#include "classify/concept_scheme.h"
#include "tests/app/reference/text_helpers.h"

namespace {

using reference::cellsOf;
using reference::decodeUtf8;
using namespace reference::testing;

// The tree written in make-up notation: ⟨n⟩ stands for n ideographic spaces,
// [n] for n ASCII spaces, every other character for itself.
const char* const kMakeUp[] = {
    "",
    "⟨14⟩[3]⟨1⟩概⟨7⟩念",
    "⟨10⟩[1]┌─────────┴─────────┐",
    "立場：⟨5⟩[1]靜態，客觀（體）⟨10⟩[1]⟨1⟩動態，主觀（用）",
    "⟨7⟩┌───┴────┐⟨8⟩┌────┴───┐",
    "現象：⟨2⟩[1]⟨1⟩抽象⟨7⟩具象⟨7⟩認識⟨7⟩行為",
    "⟨5⟩┌─┴─┐⟨4⟩┌─┴─┐⟨4⟩┌─┴─┐⟨4⟩┌─┴─┐",
    "認知：⟨1⟩[1]定義⟨2⟩應用⟨3⟩本存⟨2⟩人造⟨3⟩感知⟨2⟩狀態⟨3⟩能力⟨2⟩經驗",
    "⟨4⟩┌┴┐⟨1⟩┌┴┐⟨2⟩┌┴┐⟨1⟩┌┴┐⟨2⟩┌┴┐⟨1⟩┌┴┐⟨2⟩┌┴┐⟨1⟩┌┴┐⟨1⟩",
    "四別：⟨1⟩符⟨1⟩根⟨1⟩規⟨1⟩資⟨2⟩本⟨1⟩植⟨1⟩食⟨1⟩起⟨2⟩刺⟨1⟩心⟨1⟩化⟨1⟩界⟨2⟩官⟨1⟩技⟨1⟩生⟨1⟩行",
    "⟨4⟩號⟨1⟩源⟨1⟩範⟨1⟩訊⟨2⟩體⟨1⟩物⟨1⟩衣⟨1⟩居⟨2⟩激⟨1⟩緒⟨1⟩態⟨1⟩態⟨2⟩能⟨1⟩能⟨1⟩活⟨1⟩事",
    "⟨4⟩、⟨1⟩、⟨1⟩、⟨1⟩、⟨2⟩、⟨1⟩、⟨1⟩、⟨1⟩、⟨2⟩、⟨1⟩、⟨1⟩、⟨1⟩、⟨2⟩、⟨1⟩、⟨1⟩、⟨1⟩、",
    "⟨4⟩語⟨1⟩現⟨1⟩人⟨1⟩意⟨2⟩肢⟨1⟩動⟨1⟩住⟨1⟩工⟨2⟩感⟨1⟩認⟨1⟩動⟨1⟩知⟨2⟩體⟨1⟩智⟨1⟩溝⟨1⟩控",
    "⟨4⟩法⟨1⟩象⟨1⟩際⟨1⟩義⟨2⟩體⟨1⟩物⟨1⟩行⟨1⟩作⟨2⟩覺⟨1⟩知⟨1⟩態⟨1⟩態⟨2⟩能⟨1⟩能⟨1⟩通⟨1⟩制",
};

std::u32string expand(const char* makeUp) {
  const std::u32string in = decodeUtf8(makeUp);
  std::u32string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const char32_t close = in[i] == U'⟨' ? U'⟩' : in[i] == U'[' ? U']' : U'\0';
    if (close == U'\0') {
      out.push_back(in[i]);
      continue;
    }
    const std::size_t end = in.find(close, i);
    const int count = std::stoi(toUtf8(in.substr(i + 1, end - i - 1)));
    out.append(count, close == U'⟩' ? U'\u3000' : U' ');
    i = end;
  }
  return out;
}

const std::vector<std::u32string>& tree() {
  static const std::vector<std::u32string> lines = decodedLines(reference::conceptTree());
  return lines;
}

TEST(ConceptTree, HasFourteenLines) {
  EXPECT_EQ(tree().size(), 14u);
  EXPECT_EQ(static_cast<int>(tree().size()), reference::kConceptTreeLineCount);
}

TEST(ConceptTree, EveryLineIsExactlyItsMakeUp) {
  ASSERT_EQ(tree().size(), std::size(kMakeUp));
  for (std::size_t i = 0; i < tree().size(); ++i)
    EXPECT_EQ(toUtf8(tree()[i]), toUtf8(expand(kMakeUp[i]))) << "line " << i + 1;
}

TEST(ConceptTree, KeepsTheSpacesThatAreEasyToLose) {
  ASSERT_EQ(tree().size(), 14u);
  EXPECT_TRUE(tree()[0].empty());
  // Line 2: fourteen ideographic spaces, three ASCII spaces, one more
  // ideographic space before the title's first character.
  EXPECT_EQ(toUtf8(tree()[1]), "　　　　　　　　　　　　　　   　概　　　　　　　念");
  EXPECT_EQ(tree()[1].substr(14, 3), U"   ");
  // Line 9 ends with an ideographic space.
  EXPECT_EQ(toUtf8(tree()[8]), "　　　　┌┴┐　┌┴┐　　┌┴┐　┌┴┐　　┌┴┐　┌┴┐　　┌┴┐　┌┴┐　");
  EXPECT_EQ(tree()[8].back(), U'\u3000');
}

TEST(ConceptTree, DrawsWithFourBoxCharactersOnly) {
  for (int l : {2, 4, 6, 8})
    for (const Placed& p : nonBlank(tree()[l]))
      EXPECT_TRUE(p.c == U'┌' || p.c == U'─' || p.c == U'┴' || p.c == U'┐') << "line " << l + 1;
}

// Every split's corners stand over the names they lead to, and every split's
// joint under the name it splits (the root's joint is centred under the title).
TEST(ConceptTree, BranchesLineUpWithTheirNames) {
  for (int l : {2, 4, 6, 8}) {
    int corners = 0;
    for (const Placed& p : nonBlank(tree()[l])) {
      if (p.c == U'┌' || p.c == U'┐') {
        ++corners;
        const char32_t below = charAtCell(tree()[l + 1], p.cell);
        EXPECT_TRUE(below != U'\0' && below != U' ' && below != U'\u3000')
            << "corner of line " << l + 1 << " at cell " << p.cell << " has no name below";
      }
      if (p.c == U'┴' && l > 2) {
        const char32_t above = charAtCell(tree()[l - 1], p.cell);
        EXPECT_TRUE(above != U'\0' && above != U' ' && above != U'\u3000')
            << "joint of line " << l + 1 << " at cell " << p.cell << " has no name above";
      }
    }
    EXPECT_EQ(corners, 1 << (l / 2)) << "line " << l + 1;
  }
  const auto title = nonBlank(tree()[1]);
  ASSERT_EQ(title.size(), 2u);
  for (const Placed& p : nonBlank(tree()[2]))
    if (p.c == U'┴') {
      EXPECT_EQ(p.cell * 2, title[0].cell + title[1].cell);
    }
}

TEST(ConceptTree, LevelNamesAreTheSchemes) {
  const auto names = [](int l, std::size_t from) {
    std::vector<std::string> out;
    std::u32string word;
    for (std::size_t i = from; i <= tree()[l].size(); ++i) {
      const char32_t c = i < tree()[l].size() ? tree()[l][i] : U' ';
      if (c == U' ' || c == U'\u3000') {
        if (!word.empty()) out.push_back(toUtf8(word));
        word.clear();
      } else {
        word.push_back(c);
      }
    }
    return out;
  };
  EXPECT_EQ(toUtf8(tree()[3].substr(0, 3)), "立場：");
  EXPECT_EQ(names(3, 3), (std::vector<std::string>{"靜態，客觀（體）", "動態，主觀（用）"}));
  EXPECT_EQ(toUtf8(tree()[5].substr(0, 3)), "現象：");
  EXPECT_EQ(names(5, 3), std::vector<std::string>(classify::kFamilyNames.begin(), classify::kFamilyNames.end()));
  EXPECT_EQ(toUtf8(tree()[7].substr(0, 3)), "認知：");
  EXPECT_EQ(names(7, 3), std::vector<std::string>(classify::kClassNames.begin(), classify::kClassNames.end()));
  EXPECT_EQ(toUtf8(tree()[9].substr(0, 3)), "四別：");
}

// Lines 10 to 14 hold 16 columns; column k reads group 2k - 2 downwards in
// lines 10 and 11, a "、" in line 12, and group 2k - 1 in lines 13 and 14.
TEST(ConceptTree, GroupColumnsReadTheSchemesGroupNames) {
  std::vector<std::vector<Placed>> rows;
  for (int l = 9; l < 14; ++l) {
    auto placed = nonBlank(tree()[l]);
    if (l == 9) placed.erase(placed.begin(), placed.begin() + 3);  // "四別："
    ASSERT_EQ(placed.size(), 16u) << "line " << l + 1;
    rows.push_back(placed);
  }
  for (int k = 0; k < 16; ++k) {
    for (const auto& row : rows) EXPECT_EQ(row[k].cell, rows[0][k].cell) << "column " << k + 1;
    EXPECT_EQ(toUtf8(std::u32string{rows[0][k].c, rows[1][k].c}), classify::kGroupNames[2 * k]);
    EXPECT_EQ(rows[2][k].c, U'、');
    EXPECT_EQ(toUtf8(std::u32string{rows[3][k].c, rows[4][k].c}), classify::kGroupNames[2 * k + 1]);
  }
  // The corners of line 9 stand over the columns, one pair per class.
  const auto corners = nonBlank(tree()[8]);
  int column = 0;
  for (const Placed& p : corners)
    if (p.c == U'┌' || p.c == U'┐') {
      EXPECT_EQ(p.cell, rows[0][column++].cell);
    }
  EXPECT_EQ(column, 16);
}

}  // namespace
