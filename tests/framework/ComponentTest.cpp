// Components: the owner's registry, loading and free notification.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "framework/DbErrors.h"
#include "framework/TComponent.h"

namespace framework::testing {
namespace {

class Watcher : public TComponent {
 public:
  using TComponent::TComponent;
  std::vector<std::string> removed;

 protected:
  void Notification(TComponent& component, TOperation operation) override {
    if (operation == opRemove) removed.push_back(component.Name());
  }
};

TEST(Component, OwnerKnowsItsComponentsUntilTheyGo) {
  Watcher form("Form1");
  {
    TComponent label("Label2", &form);
    MemoryDataSet table("OrvDaoTable1", CharacterColumns(), {}, &form);
    EXPECT_EQ(form.ComponentCount(), 2);
    EXPECT_EQ(form.FindComponent("orvdaotable1"), &table);
    EXPECT_EQ(label.Owner(), &form);
  }
  EXPECT_EQ(form.ComponentCount(), 0);
  EXPECT_EQ(form.removed, (std::vector<std::string>{"OrvDaoTable1", "Label2"}));
}

TEST(Component, FreeNotificationTellsBothWays) {
  Watcher table("OrvDaoTable1");
  {
    Watcher database("OrvDaoDatabase1");
    table.FreeNotification(database);
  }
  EXPECT_EQ(table.removed, (std::vector<std::string>{"OrvDaoDatabase1"}));
}

TEST(Component, StoredActiveOpensWhenLoadingEnds) {
  TComponent form("Form1");
  MemoryDataSet first("OrvDaoTable1", CharacterColumns(), CharacterRows(2), &form);
  MemoryDataSet second("OrvDaoTable2", CharacterColumns(), CharacterRows(1), &form);
  std::vector<std::string> opened;
  first.AfterOpen = second.AfterOpen = [&opened](TDataSet& ds) { opened.push_back(ds.Name()); };
  form.BeginLoading();
  EXPECT_TRUE(first.IsLoading());
  second.SetActive(true);
  first.SetActive(true);
  EXPECT_FALSE(first.Active());
  form.EndLoading();
  EXPECT_FALSE(first.IsLoading());
  EXPECT_EQ(opened, (std::vector<std::string>{"OrvDaoTable1", "OrvDaoTable2"}));
}

// Opens and fails, as a table whose file lacks it.
class FailingTable : public MemoryDataSet {
 public:
  using MemoryDataSet::MemoryDataSet;

 protected:
  void InternalOpen() override {
    MemoryDataSet::InternalOpen();
    throw EDatabaseError("Could not find table");
  }
};

TEST(Component, AFailingOpenLeavesTheDatasetClosedAndLoadingGoesOn) {
  TComponent form("Form1");
  FailingTable broken("OrvDaoTable1", CharacterColumns(), CharacterRows(1), &form);
  MemoryDataSet fine("OrvDaoTable2", CharacterColumns(), CharacterRows(1), &form);
  form.BeginLoading();
  broken.SetActive(true);
  fine.SetActive(true);
  std::vector<std::string> errors;
  form.EndLoading([&errors](std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      errors.push_back(e.what());
    }
  });
  EXPECT_EQ(errors, (std::vector<std::string>{"Could not find table"}));
  EXPECT_FALSE(broken.Active());
  EXPECT_EQ(broken.State(), dsInactive);
  EXPECT_EQ(broken.Fields().Count(), 0);
  EXPECT_TRUE(fine.Active());
}

TEST(Component, FieldDefinitionsAreReadWhileClosed) {
  MemoryDataSet table("T", CharacterColumns());
  ASSERT_EQ(table.FieldDefs().Count(), 5);
  EXPECT_EQ(table.FieldDefs()[2].Name(), "B5_Hex");
  EXPECT_EQ(table.FieldDefs().IndexOf("b5_hex"), 2);
  EXPECT_TRUE(table.FieldDefs()[2].Required());
  EXPECT_EQ(table.FieldDefs()[0].DataType(), ftAutoInc);
}

}  // namespace
}  // namespace framework::testing
