#include "schema/schema.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(Schema, SixTablesInOpeningOrderEachBeginningWithAnAutoIncrementId) {
  const auto tables = schema::allTables();
  ASSERT_EQ(tables.size(), 6u);
  const char* expected[] = {"0_Data_Input", "1_Li_Chang", "2_Xian_Xiang", "3_Ren_Zhi", "4_Si_Bei", "5_GN"};
  for (std::size_t i = 0; i < tables.size(); ++i) {
    EXPECT_EQ(tables[i].name, expected[i]);
    ASSERT_FALSE(tables[i].fields.empty());
    EXPECT_EQ(tables[i].fields[0].name, "ID");
    EXPECT_EQ(tables[i].fields[0].type, schema::FieldType::AutoInc);
    std::set<std::string> names;
    for (const auto& f : tables[i].fields) EXPECT_TRUE(names.insert(std::string(f.name)).second) << f.name;
  }
}

TEST(Schema, CharacterTableFieldsInStoredOrderWithTheirSizes) {
  const auto* table = schema::findTable("0_Data_Input");
  ASSERT_NE(table, nullptr);
  std::string order;
  for (const auto& f : table->fields) order += std::string(f.name) + ":" + std::to_string(f.size) + " ";
  EXPECT_EQ(order,
            "ID:0 B5_Word:8 B5_Hex:32 B5_Area:8 CJ_Code:32 CJ_Code_CN:32 Radical_Word:8 Note:0 "
            "Li_Chang:50 Li_Chang_B:8 Xian_Xiang:50 Xian_Xiang_B:8 Ren_Zhi:50 Ren_Zhi_B:8 "
            "Si_Bei:50 Si_Bei_B:8 Gai_Nian:50 Gai_Nian_Hex:50 CJ_Input:250 8_XI:50 8_XI_B:16 ");
  EXPECT_EQ(table->findField("Note")->type, schema::FieldType::Memo);
}

TEST(Schema, ConceptPositionFieldIsFoundUnderAnyLetterCase) {
  const auto* table = schema::findTable("0_Data_Input");
  const auto* upper = table->findField("8_XI_B");
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(table->findField(schema::fields::XI_B_8), upper);
  EXPECT_EQ(table->findField("8_xi_b"), upper);
  EXPECT_EQ(table->findField("8_XI"), table->findField("8_xi"));
  EXPECT_NE(table->findField("8_XI"), upper);
  EXPECT_EQ(table->findField("8_XI_"), nullptr);
  EXPECT_EQ(schema::findTable("0_data_input"), nullptr);  // table names are exact
}

TEST(Schema, LookupTablesHaveTheirOddColumnsWhereTheyStand) {
  const auto* siBei = schema::findTable("4_Si_Bei");
  ASSERT_EQ(siBei->fields.size(), 10u);
  EXPECT_EQ(siBei->fields[2].name, "Binary");
  EXPECT_EQ(siBei->fields[2].type, schema::FieldType::String);
  EXPECT_EQ(siBei->fields[2].size, 4);
  EXPECT_EQ(schema::findTable("2_Xian_Xiang")->findField("Binary")->type, schema::FieldType::Integer);

  const auto* gn = schema::findTable("5_GN");
  ASSERT_EQ(gn->fields.size(), 65u);
  EXPECT_EQ(gn->fields[1].name, "GN_01");
  EXPECT_EQ(gn->fields[1].size, 50);
  EXPECT_EQ(gn->fields[2].name, "Hex_01");
  EXPECT_EQ(gn->fields[2].size, 50);
  EXPECT_EQ(gn->fields[3].name, "GN_02");
  EXPECT_EQ(gn->fields[3].size, 16);
  EXPECT_EQ(gn->fields[4].size, 8);
  EXPECT_EQ(gn->fields[63].name, "GN_32");
  EXPECT_EQ(gn->fields[64].name, "Hex_32");
}

}  // namespace
