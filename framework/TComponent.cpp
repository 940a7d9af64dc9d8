#include "framework/TComponent.h"

#include <algorithm>

#include "framework/TextRules.h"

namespace framework {

TComponent::TComponent(std::string name, TComponent* owner) : name_(std::move(name)) {
  if (owner != nullptr) {
    owner->InsertComponent(*this);
    owner->Notification(*this, opInsert);
  }
}

TComponent::~TComponent() {
  // Everyone who keeps a pointer to this component is told before it goes.
  const std::vector<TComponent*> watchers = freeNotifies_;
  for (TComponent* watcher : watchers) {
    std::erase(watcher->freeNotifies_, this);
    watcher->Notification(*this, opRemove);
  }
  for (TComponent* component : components_) component->owner_ = nullptr;
  if (owner_ != nullptr) {
    TComponent* owner = owner_;
    owner->RemoveComponent(*this);
    owner->Notification(*this, opRemove);
  }
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* component : components_) {
    if (SameName(component->Name(), name)) return component;
  }
  return nullptr;
}

void TComponent::BeginLoading() {
  loading_ = true;
  for (TComponent* component : components_) component->loading_ = true;
}

void TComponent::EndLoading(const std::function<void(std::exception_ptr)>& onError) {
  // A copy, since a Loaded() handler may create or destroy components.
  const std::vector<TComponent*> components = components_;
  for (TComponent* component : components) {
    if (std::find(components_.begin(), components_.end(), component) == components_.end()) continue;
    if (!component->loading_) continue;
    try {
      component->Loaded();
    } catch (...) {
      component->loading_ = false;
      if (!onError) throw;
      onError(std::current_exception());
    }
  }
  if (loading_) {
    try {
      Loaded();
    } catch (...) {
      loading_ = false;
      if (!onError) throw;
      onError(std::current_exception());
    }
  }
}

void TComponent::Loaded() { loading_ = false; }

void TComponent::FreeNotification(TComponent& other) {
  if (&other == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), &other) == freeNotifies_.end()) {
    freeNotifies_.push_back(&other);
  }
  if (std::find(other.freeNotifies_.begin(), other.freeNotifies_.end(), this) == other.freeNotifies_.end()) {
    other.freeNotifies_.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent& other) {
  std::erase(freeNotifies_, &other);
  std::erase(other.freeNotifies_, this);
}

void TComponent::Notification(TComponent&, TOperation) {}

void TComponent::InsertComponent(TComponent& component) {
  component.owner_ = this;
  components_.push_back(&component);
}

void TComponent::RemoveComponent(TComponent& component) {
  std::erase(components_, &component);
  component.owner_ = nullptr;
}

}  // namespace framework
