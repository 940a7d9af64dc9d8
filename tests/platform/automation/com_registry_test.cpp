#include <gtest/gtest.h>

#include <thread>

#include "platform/automation/class_registry.h"
#include "platform/automation/com_init.h"
#include "platform/automation/system_registry.h"

namespace {

using automation::EOleException;
using automation::RegistryRoot;
namespace hresult = automation::hresult;
namespace registry = automation::registry;

class Dummy final : public automation::AutomationObject {
 public:
  std::string_view typeName() const noexcept override { return "Dummy"; }

 protected:
  const automation::DispatchTable& dispatchTable() const override {
    static const automation::DispatchTable table =
        automation::DispatchTable::Builder<Dummy>().property("Kind", [](Dummy&) { return "dummy"; }).build();
    return table;
  }
};

void expectCreationFailure(std::string_view progId, automation::HResult code, const std::string& text) {
  try {
    automation::createOleObject(progId);
    ADD_FAILURE() << "created " << progId;
  } catch (const EOleException& error) {
    EXPECT_EQ(error.errorCode(), code);
    EXPECT_EQ(std::string(error.what()), text);
  }
}

}  // namespace

TEST(ComInitialisation, FirstCallIsOkThenAlreadyInitialisedUntilBalanced) {
  std::thread([] {
    EXPECT_FALSE(automation::isComInitializedOnThisThread());
    EXPECT_EQ(automation::CoInitialize(), hresult::ok);
    EXPECT_EQ(automation::CoInitialize(), hresult::alreadyInitialized);
    automation::CoUninitialize();
    EXPECT_TRUE(automation::isComInitializedOnThisThread());
    automation::CoUninitialize();
    EXPECT_FALSE(automation::isComInitializedOnThisThread());
    EXPECT_EQ(automation::CoInitialize(), hresult::ok);
    automation::CoUninitialize();
  }).join();
}

TEST(ComInitialisation, EachThreadIsInitialisedOnItsOwn) {
  automation::ScopedComInitialization here;
  std::thread([] { EXPECT_EQ(automation::CoInitialize(), hresult::ok); automation::CoUninitialize(); }).join();
}

TEST(ComInitialisation, AnInjectedFailureInitialisesNothing) {
  std::thread([] {
    {
      automation::ScopedCoInitializeFailure failure(hresult::changedMode);
      EXPECT_EQ(automation::CoInitialize(), hresult::changedMode);
      EXPECT_FALSE(automation::isComInitializedOnThisThread());
      EXPECT_THROW(automation::ScopedComInitialization(), EOleException);
    }
    EXPECT_EQ(automation::CoInitialize(), hresult::ok);
    automation::CoUninitialize();
  }).join();
}

TEST(ClassRegistry, CreationNeedsComOnTheThread) {
  std::thread([] { expectCreationFailure("DAO.DBEngine.36", hresult::notInitialized, "CoInitialize has not been called."); })
      .join();
}

TEST(ClassRegistry, UnknownProgIdIsAnInvalidClassString) {
  automation::ScopedComInitialization com;
  expectCreationFailure("DAO.DBEngine.35", hresult::invalidClassString, "Invalid class string");
  expectCreationFailure("", hresult::invalidClassString, "Invalid class string");
  EXPECT_FALSE(registry::keyExists(RegistryRoot::ClassesRoot, "DAO.DBEngine.35"));
}

TEST(ClassRegistry, RegisteredClassesAreCreatedAndHaveTheirRegistryKey) {
  automation::ScopedComInitialization com;
  {
    automation::ScopedClassRegistration registration("Test.Dummy.1", [] { return std::make_shared<Dummy>(); });
    EXPECT_TRUE(registry::keyExists(RegistryRoot::ClassesRoot, "test.dummy.1"));
    EXPECT_EQ(automation::createOleObject("TEST.DUMMY.1")->get("Kind").asText(), "dummy");
  }
  EXPECT_FALSE(registry::keyExists(RegistryRoot::ClassesRoot, "Test.Dummy.1"));
  expectCreationFailure("Test.Dummy.1", hresult::invalidClassString, "Invalid class string");
}

TEST(ClassRegistry, AKeyWithoutAFactoryIsNotRegistered) {
  automation::ScopedComInitialization com;
  automation::ScopedRegistryState restore;
  registry::createKey(RegistryRoot::ClassesRoot, "DAO.DBEngine.35");
  expectCreationFailure("DAO.DBEngine.35", hresult::classNotRegistered, "Class not registered");
}

TEST(ClassRegistry, TheEngineCanBeRemovedAndComesBack) {
  automation::ScopedComInitialization com;
  {
    automation::ScopedClassRemoval removal("DAO.DBEngine.36");
    expectCreationFailure("DAO.DBEngine.36", hresult::invalidClassString, "Invalid class string");
  }
  EXPECT_TRUE(registry::keyExists(RegistryRoot::ClassesRoot, "DAO.DBEngine.36"));
  EXPECT_EQ(automation::createOleObject("DAO.DBEngine.36")->get("Version").asText(), "3.6");
}

TEST(ClassRegistry, AFailingFactoryGivesAnAutomationException) {
  automation::ScopedComInitialization com;
  automation::ScopedClassRegistration registration("Test.Failing", []() -> automation::ObjectRef {
    throw std::runtime_error("server would not start");
  });
  expectCreationFailure("Test.Failing", hresult::failure, "server would not start");
}

TEST(RegistryStandIn, AnswersTheEngineKeysByDefault) {
  EXPECT_EQ(registry::readString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\Engines", "SystemDB"),
            "system.mdb");
  EXPECT_EQ(registry::readString(RegistryRoot::LocalMachine, "\\software\\microsoft\\jet\\4.0\\engines", "systemdb"),
            "system.mdb");
  EXPECT_TRUE(registry::keyExists(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\ISAM Formats"));
  EXPECT_TRUE(registry::subkeyNames(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\ISAM Formats").empty());
  EXPECT_FALSE(registry::keyExists(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\3.5\\Engines"));
  EXPECT_TRUE(registry::valueNames(RegistryRoot::LocalMachine, "SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers").empty());
  EXPECT_TRUE(registry::valueNames(RegistryRoot::CurrentUser, "SOFTWARE\\ODBC\\odbc.ini\\ODBC Data Sources").empty());
  EXPECT_EQ(registry::readString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\Engines", "Missing"),
            std::nullopt);
}

TEST(RegistryStandIn, TestsChangeItAndGetItBack) {
  {
    automation::ScopedRegistryState restore;
    registry::writeString(RegistryRoot::LocalMachine, "SOFTWARE\\ODBC\\odbc.ini\\ODBC Data Sources", "Sales",
                          "Microsoft Access Driver");
    registry::createKey(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\ISAM Formats\\dBASE IV");
    registry::createKey(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\ISAM Formats\\Excel 8.0");
    registry::deleteValue(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\Engines", "SystemDB");
    EXPECT_EQ(registry::valueNames(RegistryRoot::LocalMachine, "SOFTWARE\\ODBC\\odbc.ini\\ODBC Data Sources"),
              std::vector<std::string>{"Sales"});
    EXPECT_EQ(registry::subkeyNames(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\ISAM Formats"),
              (std::vector<std::string>{"dBASE IV", "Excel 8.0"}));
    EXPECT_EQ(registry::readString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\Engines", "SystemDB"),
              std::nullopt);
    registry::deleteKey(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET");
    EXPECT_FALSE(registry::keyExists(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0"));
    EXPECT_TRUE(registry::keyExists(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft"));
  }
  EXPECT_EQ(registry::readString(RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\JET\\4.0\\Engines", "SystemDB"),
            "system.mdb");
  EXPECT_FALSE(registry::keyExists(RegistryRoot::LocalMachine, "SOFTWARE\\ODBC"));
}
