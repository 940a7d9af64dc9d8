#pragma once
// TComponent: the base of every named part of a form (connection, tables,
// data sources, controls).
//
// Contract:
//  - A component has a name (may be empty) and an optional owner. The owner
//    keeps a registry of its components in creation order: it does not free
//    them (their storage is the owner's members or smart pointers), and when
//    the owner goes first its components simply lose their owner.
//  - Loading: while a form reads its stored layout, its components are in
//    the loading state (BeginLoading on the owner marks the owner and all its
//    components). Setters of data components only store values while
//    loading; EndLoading then calls Loaded() on every component in creation
//    order, and last on the owner, so a component can act on its stored
//    values (a table opens, a connection connects). Overrides of Loaded()
//    call the base first, which leaves the loading state.
//  - Free notification: a component that keeps a pointer to another asks
//    for FreeNotification(other); when either is destroyed the other gets
//    Notification(dying, opRemove). The owner is always told when one of its
//    components goes and gets opInsert when one is created. Notification runs
//    while the component is being constructed or destroyed: receivers may
//    only compare its address, never call it.
//  - Components are not copyable or movable: others keep pointers to them.
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace framework {

enum TOperation { opInsert, opRemove };

class TComponent {
 public:
  explicit TComponent(std::string name = {}, TComponent* owner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const noexcept { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  TComponent* Owner() const noexcept { return owner_; }
  int ComponentCount() const noexcept { return static_cast<int>(components_.size()); }
  // The index-th component owned by this one, in creation order.
  TComponent& Component(int index) const { return *components_.at(static_cast<std::size_t>(index)); }
  // The owned component with this name (letter case ignored), or nullptr.
  TComponent* FindComponent(std::string_view name) const;

  bool IsLoading() const noexcept { return loading_; }

  // Marks this component and every component it owns as loading.
  void BeginLoading();
  // Calls Loaded() on every owned component that is loading, in creation
  // order, then on this one. A failing Loaded() goes to onError when given
  // (and the next component follows); without onError it propagates and the
  // components after it stay in the loading state.
  void EndLoading(const std::function<void(std::exception_ptr)>& onError = {});

  // Called once the stored properties have all been read. The base leaves
  // the loading state; overrides call it first.
  virtual void Loaded();

  // Asks to be told (Notification opRemove) when `other` is destroyed, and
  // tells `other` when this one is.
  void FreeNotification(TComponent& other);
  void RemoveFreeNotification(TComponent& other);

 protected:
  // `component` is being created (opInsert, sent to its owner) or destroyed
  // (opRemove). The base does nothing.
  virtual void Notification(TComponent& component, TOperation operation);

 private:
  void InsertComponent(TComponent& component);
  void RemoveComponent(TComponent& component);

  std::string name_;
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  bool loading_ = false;
};

}  // namespace framework
