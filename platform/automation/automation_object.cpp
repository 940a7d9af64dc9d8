#include "platform/automation/automation_object.h"

#include <algorithm>

#include "platform/automation/call_observer.h"
#include "platform/automation/text_compare.h"

namespace automation {

namespace {

const Variant kEmptyArgument;

// FNV-1a over the name with ASCII letters lower-cased.
std::size_t nameHash(std::string_view name) noexcept {
  std::uint32_t hash = 2166136261u;
  for (char c : name) {
    hash ^= static_cast<unsigned char>(toLowerAscii(c));
    hash *= 16777619u;
  }
  return hash;
}

}  // namespace

const Variant& argumentOrEmpty(const Arguments& arguments, std::size_t index) {
  return index < arguments.size() ? arguments[index] : kEmptyArgument;
}

DispatchTable::DispatchTable(std::vector<MemberEntry> members) : members_(std::move(members)) {
  std::sort(members_.begin(), members_.end(), [](const MemberEntry& a, const MemberEntry& b) {
    return compareIgnoringAsciiCase(a.name, b.name) < 0;
  });
  std::size_t size = 8;
  while (size < members_.size() * 2) size *= 2;
  slots_.assign(size, 0);
  for (std::size_t i = 0; i < members_.size(); ++i) {
    std::size_t slot = nameHash(members_[i].name) & (size - 1);
    while (slots_[slot] != 0) slot = (slot + 1) & (size - 1);
    slots_[slot] = static_cast<std::uint16_t>(i + 1);
  }
}

const MemberEntry* DispatchTable::find(std::string_view name) const noexcept {
  // Callers mostly name members with literals, so the same text arrives at
  // the same address call after call: remember recent lookups per thread.
  struct RecentLookup {
    const DispatchTable* table;
    const char* text;
    std::size_t size;
    const MemberEntry* entry;
  };
  // Enough slots that the dozen or so members one operation of the table
  // dataset names (a Locate, a record read) seldom push each other out.
  constexpr std::size_t kRecentLookups = 64;
  thread_local RecentLookup recent[kRecentLookups] = {};
  const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(name.data());
  RecentLookup& slotForText =
      recent[(address >> 2 ^ address >> 8 ^ reinterpret_cast<std::uintptr_t>(this) >> 5) & (kRecentLookups - 1)];
  // The text at that address may have changed since (a reused buffer), so it
  // is compared again: exactly first, which is the common case and cheap.
  if (slotForText.table == this && slotForText.text == name.data() && slotForText.size == name.size() &&
      (slotForText.entry->name == name || equalsIgnoringAsciiCase(slotForText.entry->name, name))) {
    return slotForText.entry;
  }
  const MemberEntry* entry = findByHash(name);
  if (entry != nullptr) slotForText = RecentLookup{this, name.data(), name.size(), entry};
  return entry;
}

const MemberEntry* DispatchTable::findByHash(std::string_view name) const noexcept {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = nameHash(name) & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
    const MemberEntry& entry = members_[slots_[slot] - 1];
    if (entry.name == name || equalsIgnoringAsciiCase(entry.name, name)) return &entry;
  }
  return nullptr;
}

std::vector<std::string_view> DispatchTable::memberNames() const {
  std::vector<std::string_view> names;
  names.reserve(members_.size());
  for (const MemberEntry& entry : members_) names.push_back(entry.name);
  return names;
}

Variant AutomationObject::get(std::string_view name, const Arguments& arguments) {
  return invoke(InvokeKind::PropertyGet, name, arguments, nullptr);
}

void AutomationObject::put(std::string_view name, const Variant& value) {
  static const Arguments kNoArguments;
  invoke(InvokeKind::PropertyPut, name, kNoArguments, &value);
}

void AutomationObject::put(std::string_view name, const Arguments& arguments, const Variant& value) {
  invoke(InvokeKind::PropertyPut, name, arguments, &value);
}

Variant AutomationObject::call(std::string_view name, const Arguments& arguments) {
  return invoke(InvokeKind::Method, name, arguments, nullptr);
}

ObjectRef AutomationObject::getObject(std::string_view name, const Arguments& arguments) {
  Variant result = get(name, arguments);
  if (result.type() != VariantType::Object) {
    throw EOleException("'" + std::string(name) + "' of " + std::string(typeName()) + " is not an object",
                        hresult::typeMismatch);
  }
  return result.asObject();
}

Variant AutomationObject::invoke(InvokeKind kind, std::string_view name, const Arguments& arguments,
                                 const Variant* value) {
  notifyCallObservers(AutomationCall{*this, typeName(), name, kind, arguments, value});
  const MemberEntry* member = dispatchTable().find(name);
  if (member == nullptr) {
    throw EOleException("'" + std::string(name) + "' is not a member of " + std::string(typeName()),
                        hresult::unknownName);
  }
  try {
    return runMember(*member, kind, arguments, value);
  } catch (...) {
    raiseFailure(std::current_exception(), member->name);
    throw;  // raiseFailure never returns; an override that did would pass the failure on unchanged
  }
}

Variant AutomationObject::runMember(const MemberEntry& member, InvokeKind kind, const Arguments& arguments,
                                    const Variant* value) {
  const auto count = static_cast<int>(arguments.size());
  if (kind == InvokeKind::PropertyPut) {
    if (!member.write) {
      throw EOleException("'" + std::string(member.name) + "' of " + std::string(typeName()) +
                              " cannot be assigned",
                          hresult::memberNotFound);
    }
    if (count != 0) {
      throw EOleException("'" + std::string(member.name) + "' takes no arguments", hresult::badParameterCount);
    }
    member.write(*this, arguments, *value);
    return Variant();
  }
  if (!member.isMethod && member.maxArguments == 0 && count > 0) {
    // Fields(3) is Fields.Item(3): the arguments go to the value's default member.
    static const Arguments kNoArguments;
    const Variant holder = member.read(*this, kNoArguments);
    if (holder.type() != VariantType::Object) {
      throw EOleException("'" + std::string(member.name) + "' takes no arguments", hresult::badParameterCount);
    }
    const ObjectRef object = holder.asObject();
    return object->get(object->defaultMemberName(), arguments);
  }
  if (count < member.minArguments || count > member.maxArguments) {
    throw EOleException("Wrong number of arguments for '" + std::string(member.name) + "' of " +
                            std::string(typeName()),
                        hresult::badParameterCount);
  }
  return member.read(*this, arguments);
}

void AutomationObject::raiseFailure(std::exception_ptr failure, std::string_view member) {
  try {
    std::rethrow_exception(failure);
  } catch (const EOleException&) {
    throw;
  } catch (const VariantConversionError& error) {
    throw EOleException(std::string(error.what()) + " (in '" + std::string(member) + "')", hresult::typeMismatch);
  } catch (const std::exception& error) {
    throw EOleException(error.what(), hresult::failure);
  }
}

}  // namespace automation
