// Component ownership and the string list.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TComponent;

// A handler bound to its object; called with the component that raised it.
using TNotifyEvent = std::function<void(TComponent* sender)>;

// An owner frees what it owns: components still owned when the owner is
// destroyed are freed with it, the newest first. A component freed earlier
// leaves its owner's list, so nothing is freed twice.
class TComponent {
  public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }

  private:
    TComponent* owner_;
    std::vector<TComponent*> components_;
};

// Unsorted list of texts, duplicates allowed, indexed from 0. An index out of
// range raises EStringListError "List index out of bounds (%d)" and leaves the
// list unchanged.
class TStringList {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    int Add(std::string text);
    void Delete(int index);
    void Clear() { items_.clear(); }
    const std::string& Get(int index) const;
    const std::string& operator[](int index) const { return Get(index); }

  private:
    void CheckIndex(int index) const;
    std::vector<std::string> items_;
};
