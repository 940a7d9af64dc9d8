#include <gtest/gtest.h>

#include "platform/automation/automation_object.h"
#include "platform/automation/call_observer.h"

namespace {

using automation::Arguments;
using automation::EOleException;
using automation::ObjectRef;
using automation::Variant;

// A collection of numbered items: Count and Item(i), as the engine's are.
class Items final : public automation::AutomationObject {
 public:
  std::string_view typeName() const noexcept override { return "Items"; }

 protected:
  const automation::DispatchTable& dispatchTable() const override {
    static const automation::DispatchTable table =
        automation::DispatchTable::Builder<Items>()
            .property("Count", [](Items&) { return 3; })
            .method("Item", 1, 1, [](Items&, const Arguments& arguments) {
              if (arguments[0].asInt32() > 2) throw std::out_of_range("no such item");
              return "item " + arguments[0].asText();
            })
            .build();
    return table;
  }
};

class Sample final : public automation::AutomationObject {
 public:
  std::string_view typeName() const noexcept override { return "Sample"; }
  int stored = 0;

 protected:
  const automation::DispatchTable& dispatchTable() const override {
    static const automation::DispatchTable table =
        automation::DispatchTable::Builder<Sample>()
            .property("Stored", [](Sample& self) { return self.stored; },
                      [](Sample& self, const Variant& value) { self.stored = value.asInt32(); })
            .property("Fixed", [](Sample&) { return "fixed"; })
            .property("Items", [](Sample&) { return std::make_shared<Items>(); })
            .method("Add", 1, 2,
                    [](Sample& self, const Arguments& arguments) {
                      self.stored += arguments[0].asInt32() + automation::argumentOrEmpty(arguments, 1).asInt32();
                      return self.stored;
                    })
            .method("Reset", 0, 0, [](Sample& self, const Arguments&) { self.stored = 0; })
            .build();
    return table;
  }
};

void expectOleError(const std::function<void()>& call, automation::HResult code) {
  try {
    call();
    ADD_FAILURE() << "no EOleException";
  } catch (const EOleException& error) {
    EXPECT_EQ(error.errorCode(), code) << error.what();
  }
}

}  // namespace

TEST(LateBinding, NamesIgnoreLetterCase) {
  auto object = std::make_shared<Sample>();
  object->put("STORED", 4);
  EXPECT_EQ(object->get("stored").asInt32(), 4);
  EXPECT_EQ(object->call("aDd", {1}).asInt32(), 5);
}

TEST(LateBinding, MethodsCanBeReadAndPropertiesCalled) {
  auto object = std::make_shared<Sample>();
  EXPECT_EQ(object->get("Add", {2, 3}).asInt32(), 5);
  EXPECT_EQ(object->call("Fixed").asText(), "fixed");
  EXPECT_TRUE(object->call("Reset").isEmpty());
}

TEST(LateBinding, ArgumentsOnAPlainPropertyGoToTheDefaultMember) {
  auto object = std::make_shared<Sample>();
  EXPECT_EQ(object->get("Items", {1}).asText(), "item 1");
  EXPECT_EQ(object->getObject("Items")->get("Item", {2}).asText(), "item 2");
  EXPECT_EQ(object->getObject("Items")->get("Count").asInt32(), 3);
}

TEST(LateBinding, FailuresAreAutomationExceptions) {
  auto object = std::make_shared<Sample>();
  expectOleError([&] { object->get("Missing"); }, automation::hresult::unknownName);
  expectOleError([&] { object->put("Fixed", 1); }, automation::hresult::memberNotFound);
  expectOleError([&] { object->call("Add"); }, automation::hresult::badParameterCount);
  expectOleError([&] { object->call("Add", {1, 2, 3}); }, automation::hresult::badParameterCount);
  expectOleError([&] { object->get("Fixed", {1}); }, automation::hresult::badParameterCount);
  expectOleError([&] { object->call("Add", {"x"}); }, automation::hresult::typeMismatch);
  expectOleError([&] { object->put("Stored", Variant::null()); }, automation::hresult::typeMismatch);
  try {
    object->get("Items", {7});
    FAIL();
  } catch (const EOleException& error) {
    EXPECT_STREQ(error.what(), "no such item");
    EXPECT_EQ(error.errorCode(), automation::hresult::failure);
  }
}

TEST(LateBinding, UnknownMemberNamesTheMemberAndClass) {
  auto object = std::make_shared<Sample>();
  try {
    object->get("Nothing");
    FAIL();
  } catch (const EOleException& error) {
    EXPECT_STREQ(error.what(), "'Nothing' is not a member of Sample");
  }
}

TEST(CallRecording, EveryCallIsRecordedInOrderIncludingFailures) {
  auto object = std::make_shared<Sample>();
  automation::CallRecorder recorder;
  object->put("Stored", 2);
  object->call("add", {1});
  EXPECT_THROW(object->get("Nope"), EOleException);
  (void)object->get("Items", {0});
  EXPECT_EQ(recorder.sequence(),
            (std::vector<std::string>{"Sample.Stored", "Sample.add", "Sample.Nope", "Sample.Items", "Items.Item"}));
  EXPECT_EQ(recorder.count("ADD"), 1u);
  EXPECT_EQ(recorder.count("Item", "Items"), 1u);
  EXPECT_EQ(recorder.count("Item", "Sample"), 0u);
  EXPECT_EQ(recorder.calls()[0].kind, automation::InvokeKind::PropertyPut);
  EXPECT_EQ(recorder.calls()[0].assignedValue, Variant(2));
  EXPECT_EQ(recorder.calls()[1].arguments, (Arguments{1}));
}

TEST(CallRecording, NothingIsRecordedOutsideARecorder) {
  auto object = std::make_shared<Sample>();
  {
    automation::CallRecorder first;
    object->get("Stored");
    EXPECT_EQ(first.calls().size(), 1u);
  }
  automation::CallRecorder second;
  EXPECT_TRUE(second.calls().empty());
  object->get("Stored");
  EXPECT_EQ(second.calls().size(), 1u);
}
