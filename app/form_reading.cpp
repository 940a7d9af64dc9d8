#include "app/form_reading.h"

#include "framework/DbErrors.h"
#include "framework/TComponent.h"

void ReadProperties(const framework::TComponent& component, const std::vector<StoredProperty>& properties) {
  for (const StoredProperty& property : properties) {
    try {
      property.apply();
    } catch (const std::exception& error) {
      throw EReadError(
          framework::FormatText("Error reading %s%s%s: %s", {component.Name(), ".", property.name, error.what()}));
    }
  }
}
