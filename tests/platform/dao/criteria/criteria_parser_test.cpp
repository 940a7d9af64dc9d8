// Tokens and syntax trees of criteria texts.
#include <gtest/gtest.h>

#include <string>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/criteria/criteria_parser.h"

namespace {

using namespace dao::criteria::detail;
using dao::criteria::CriteriaError;

// A compact rendering of a tree, to state expected shapes in one line.
std::string show(const Node& n) {
  std::string children;
  for (const auto& c : n.children) children += (children.empty() ? "" : " ") + show(*c);
  switch (n.kind) {
    case NodeKind::Or: return "(or " + children + ")";
    case NodeKind::And: return "(and " + children + ")";
    case NodeKind::Not: return "(not " + children + ")";
    case NodeKind::Compare: {
      static const char* const kOps[] = {"=", "<>", "<", "<=", ">", ">="};
      return "(" + std::string(kOps[static_cast<int>(n.op)]) + " " + children + ")";
    }
    case NodeKind::Like: return std::string(n.negated ? "(notlike " : "(like ") + children + ")";
    case NodeKind::IsNull: return std::string(n.negated ? "(notnull " : "(null? ") + children + ")";
    case NodeKind::Negate: return "(- " + children + ")";
    case NodeKind::Call: return "(" + n.text + " " + children + ")";
    case NodeKind::Column: return "[" + n.text + "]";
    case NodeKind::Text: return "\"" + n.text + "\"";
    case NodeKind::Number: return n.text;
    case NodeKind::Date: return "#" + std::to_string(n.number) + "#";
    case NodeKind::Guid: return "guid" + n.text;
    case NodeKind::Boolean: return n.boolean ? "true" : "false";
    case NodeKind::Null: return "null";
  }
  return "?";
}

std::string tree(const std::string& criteria) { return show(*parseCriteria(criteria)); }

std::string errorOf(const std::string& criteria) {
  try {
    parseCriteria(criteria);
  } catch (const CriteriaError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(CriteriaParser, AndBindsTighterThanOrAndListsStayFlat) {
  EXPECT_EQ(tree("a = 1 OR b = 2 AND c = 3"), "(or (= [a] 1) (and (= [b] 2) (= [c] 3)))");
  EXPECT_EQ(tree("a = 1 AND b = 2 AND c = 3"), "(and (= [a] 1) (= [b] 2) (= [c] 3))");
  EXPECT_EQ(tree("(a = 1 OR b = 2) AND c = 3"), "(and (or (= [a] 1) (= [b] 2)) (= [c] 3))");
}

TEST(CriteriaParser, NotCoversOneComparisonAndRepeatedNotsCancel) {
  EXPECT_EQ(tree("NOT a = 1 AND b = 2"), "(and (not (= [a] 1)) (= [b] 2))");
  EXPECT_EQ(tree("not not a = 1"), "(= [a] 1)");
  EXPECT_EQ(tree("NOT NOT NOT a"), "(not [a])");
  EXPECT_EQ(tree("a NOT LIKE \"x*\""), "(notlike [a] \"x*\")");
  EXPECT_EQ(tree("a Is Not Null"), "(notnull [a])");
  EXPECT_EQ(tree("a IS NULL"), "(null? [a])");
}

TEST(CriteriaParser, KeywordsInAnyCaseButNotInBrackets) {
  EXPECT_EQ(tree("a=1 aNd b=2 oR c liKe 'x'"), "(or (and (= [a] 1) (= [b] 2)) (like [c] \"x\"))");
  EXPECT_EQ(tree("[Not] = [And]"), "(= [Not] [And])");
  EXPECT_EQ(tree("x = true OR y = FALSE"), "(or (= [x] true) (= [y] false))");
}

TEST(CriteriaParser, BracketedDottedAndDigitLedNames) {
  EXPECT_EQ(tree("[My Field] = 1"), "(= [My Field] 1)");
  EXPECT_EQ(tree("[a].[b] = 1"), "(= [a.b] 1)");
  EXPECT_EQ(tree("a.b.c = 1"), "(= [a.b.c] 1)");
  EXPECT_EQ(tree("[t]![f] = 1"), "(= [t.f] 1)");
  EXPECT_EQ(tree("8_XI_B = 1"), "(= [8_XI_B] 1)");
  EXPECT_EQ(tree("[0_Data_Input].[B5_Hex] = 1"), "(= [0_Data_Input.B5_Hex] 1)");
  EXPECT_EQ(tree("字段 = 1"), "(= [字段] 1)");
}

TEST(CriteriaParser, StringNumberDateAndGuidLiterals) {
  EXPECT_EQ(tree(R"(a = "say ""hi""")"), R"((= [a] "say "hi""))");
  EXPECT_EQ(tree("a = 'it''s'"), "(= [a] \"it's\")");
  EXPECT_EQ(tree("a = \"\""), "(= [a] \"\")");
  EXPECT_EQ(tree("a = 'x\"y'"), "(= [a] \"x\"y\")");
  EXPECT_EQ(tree("a = 1.5 OR a = 2E3 OR a = 1e-2 OR a = .5"),
            "(or (= [a] 1.5) (= [a] 2E3) (= [a] 1e-2) (= [a] .5))");
  EXPECT_EQ(tree("a = -5"), "(= [a] (- 5))");
  EXPECT_EQ(tree("a = - - +5"), "(= [a] 5)");
  EXPECT_EQ(tree("a = #12/31/2020#"), "(= [a] #44196.000000#)");
  EXPECT_EQ(tree("a = {guid {0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}}"),
            "(= [a] guid{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9})");
  EXPECT_EQ(tree("a = {GUID 0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9 }"),
            "(= [a] guid{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9})");
}

TEST(CriteriaParser, FunctionCallsTakeArgumentLists) {
  EXPECT_EQ(tree("([B5_Hex]  LIKE LCASE(\"a4a4*\"))"), "(like [B5_Hex] (LCASE \"a4a4*\"))");
  EXPECT_EQ(tree("UCase$(a) = 'X'"), "(= (UCase$ [a]) \"X\")");
  EXPECT_EQ(tree("f(1, 2) = f()"), "(= (f 1 2) (f ))");
}

TEST(CriteriaParser, ErrorsNameThePositionAndTheProblem) {
  EXPECT_EQ(errorOf("([B5_Hex] = 1"),
            "Syntax error in criteria at position 14: missing closing parenthesis for the '(' at position 1 "
            "(found the end of the criteria).");
  EXPECT_EQ(errorOf("[a] = 1)"), "Syntax error in criteria at position 8: ')' without a matching '('.");
  EXPECT_EQ(errorOf("[a] = \"abc"), "Syntax error in criteria at position 7: the text is missing its closing quote.");
  EXPECT_EQ(errorOf("[a = 1"), "Syntax error in criteria at position 1: missing ']' closing the name.");
  EXPECT_EQ(errorOf("[] = 1"), "Syntax error in criteria at position 1: empty name [].");
  EXPECT_EQ(errorOf("中 = #1/1/2020"), "Syntax error in criteria at position 5: the date is missing its closing '#'.");
  EXPECT_EQ(errorOf("a = #2/30/2020#"), "Syntax error in criteria at position 5: invalid date #2/30/2020#.");
  EXPECT_EQ(errorOf("a = 1 2"), "Syntax error in criteria at position 7: expected AND, OR or the end of the criteria "
                                "but found the number 2.");
  EXPECT_EQ(errorOf("a = "), "Syntax error in criteria at position 5: expected a value or a field name but found "
                             "the end of the criteria.");
  EXPECT_EQ(errorOf("a IS 5"), "Syntax error in criteria at position 6: expected NULL after IS but found the number 5.");
  EXPECT_EQ(errorOf("a = 1 = 2"), "Syntax error in criteria at position 7: expected AND, OR or the end of the "
                                  "criteria but found '='.");
  EXPECT_EQ(errorOf("a.= 1"), "Syntax error in criteria at position 3: expected a name after '.' but found '='.");
  EXPECT_EQ(errorOf("a ~ 1"), "Syntax error in criteria at position 3: unexpected character '~'.");
  EXPECT_EQ(errorOf("a = 1.2.3"), "Syntax error in criteria at position 5: malformed number '1.2.'.");
  EXPECT_EQ(errorOf("a = {guid 123}"), "Syntax error in criteria at position 5: malformed GUID.");
  EXPECT_EQ(errorOf(""), "Syntax error in criteria at position 1: the criteria is empty.");
  EXPECT_EQ(errorOf("  \t "), "Syntax error in criteria at position 5: the criteria is empty.");
}

TEST(CriteriaParser, NestingIsBoundedButNotRunsOfNotOrSigns) {
  const auto nested = [](int depth) { return std::string(depth, '(') + "a = 1" + std::string(depth, ')'); };
  EXPECT_EQ(tree(nested(kMaxNestingDepth)), "(= [a] 1)");
  EXPECT_NE(errorOf(nested(kMaxNestingDepth + 1)).find("nested more than 200 levels"), std::string::npos);
  std::string calls;
  for (int i = 0; i <= kMaxNestingDepth; ++i) calls += "LCASE(";
  calls += "a" + std::string(kMaxNestingDepth + 1, ')') + " = 'x'";
  EXPECT_NE(errorOf(calls).find("nested more than"), std::string::npos);

  std::string nots;
  for (int i = 0; i < 10000; ++i) nots += "NOT ";
  EXPECT_EQ(tree(nots + "a = 1"), "(= [a] 1)");
  EXPECT_EQ(tree("a = " + std::string(20001, '-') + "1"), "(= [a] (- 1))");
}

}  // namespace
