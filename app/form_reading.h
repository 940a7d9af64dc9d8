#pragma once
// Reading a component's stored properties, as the stored layout of a form
// gives them: each property is set in stored order, and a property whose
// setting fails ends the reading of the whole form with EReadError, whose
// text names the component and the property before the setter's own
// message: "Error reading OrvDaoDatabase1.Connected: Cannot find Database:…".
#include <functional>
#include <stdexcept>
#include <vector>

namespace framework {
class TComponent;
}

class EReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct StoredProperty {
  const char* name;
  std::function<void()> apply;
};

// Sets the properties in order. Any std::exception of a setter is turned
// into EReadError; the properties after it are not set.
void ReadProperties(const framework::TComponent& component, const std::vector<StoredProperty>& properties);
