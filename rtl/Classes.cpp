#include "rtl/Classes.h"

#include <algorithm>

#include "rtl/IntText.h"
#include "rtl/SysUtils.h"

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_)
        owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    while (!components_.empty())
        delete components_.back(); // its destructor takes it off our list
    if (owner_) {
        auto& siblings = owner_->components_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

int TStringList::Add(std::string text) {
    items_.push_back(std::move(text));
    return Count() - 1;
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw EStringListError(FormatMessage("List index out of bounds (%d)", IntToStr(index)));
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
}

const std::string& TStringList::Get(int index) const {
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)];
}
