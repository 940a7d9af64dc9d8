#include "framework/DbErrors.h"

#include "framework/TComponent.h"

namespace framework {

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string result;
  result.reserve(pattern.size() + 16);
  auto next = args.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size()) {
      if (pattern[i + 1] == 's') {
        if (next != args.end()) result.append(*next++);
        ++i;
        continue;
      }
      if (pattern[i + 1] == '%') {
        result.push_back('%');
        ++i;
        continue;
      }
    }
    result.push_back(pattern[i]);
  }
  return result;
}

void DatabaseError(std::string_view message, const TComponent* component) {
  if (component != nullptr && !component->Name().empty()) {
    std::string text = component->Name();
    text.append(": ");
    text.append(message);
    throw EDatabaseError(text);
  }
  throw EDatabaseError(std::string(message));
}

void DatabaseErrorFmt(std::string_view pattern, std::initializer_list<std::string_view> args,
                      const TComponent* component) {
  DatabaseError(FormatText(pattern, args), component);
}

void Abort() { throw EAbort(); }

}  // namespace framework
