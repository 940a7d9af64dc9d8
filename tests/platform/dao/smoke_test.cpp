#include "tests/platform/dao/engine_test_support.h"

using namespace enginetest;

TEST(Smoke, OpensAndWalks) {
  TemporaryFolder folder;
  createNumberedPeople(folder.file("a.db"), 5);
  EngineSession session(folder.file("a.db"));
  auto rs = session.openTable();
  int n = 0;
  while (!rs->get("EOF").asBoolean()) {
    ++n;
    EXPECT_EQ(fieldValue(rs, "Name").asText(), "P" + std::to_string(n));
    rs->call("MoveNext");
  }
  EXPECT_EQ(n, 5);
  EXPECT_EQ(rs->get("RecordCount").asInt32(), 5);
  auto clone = rs->getObject("Clone");
  clone->call("MoveFirst");
  clone->call("FindFirst", {"([Code]  LIKE LCASE(\"c3*\"))"});
  EXPECT_FALSE(clone->get("NoMatch").asBoolean());
  EXPECT_EQ(clone->get("AbsolutePosition").asInt32(), 2);
}
