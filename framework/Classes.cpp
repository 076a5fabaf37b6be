#include "framework/Classes.h"

#include <algorithm>

namespace vcl {

TComponent::TComponent(TComponent* owner) {
    if (owner) {
        owner->InsertComponent(this);
        // A component created while its owner is being read is read as well.
        FComponentState |= owner->FComponentState & (csLoading | csDesigning);
    }
}

TComponent::~TComponent() {
    FComponentState |= csDestroying;
    // Tell everyone who asked that this component goes away.
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        other->RemoveNotificationLink(this);
        other->Notification(this, opRemove);
    }
    // The owner frees what it owns, last created first.
    while (!FComponents.empty()) {
        TComponent* child = FComponents.back();
        delete child; // removes itself from FComponents
    }
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::SetLoading(bool loading) {
    if (loading) FComponentState |= csLoading;
    else FComponentState &= ~csLoading;
    for (TComponent* c : FComponents) c->SetLoading(loading);
}

void TComponent::SetDesigning(bool designing) {
    if (designing) FComponentState |= csDesigning;
    else FComponentState &= ~csDesigning;
    for (TComponent* c : FComponents) c->SetDesigning(designing);
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    for (TComponent* c : FComponents)
        if (c->FName == name) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* child) {
    FComponents.push_back(child);
    child->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* child) {
    auto it = std::find(FComponents.begin(), FComponents.end(), child);
    if (it != FComponents.end()) FComponents.erase(it);
    child->FOwner = nullptr;
    Notification(child, opRemove);
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), other) == FFreeNotifies.end())
        FFreeNotifies.push_back(other);
    if (std::find(other->FFreeNotifies.begin(), other->FFreeNotifies.end(), this) ==
        other->FFreeNotifies.end())
        other->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    RemoveNotificationLink(other);
    other->RemoveNotificationLink(this);
}

void TComponent::RemoveNotificationLink(TComponent* other) {
    auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), other);
    if (it != FFreeNotifies.end()) FFreeNotifies.erase(it);
}

void TComponent::Loaded() { FComponentState &= ~csLoading; }

void TComponent::Notification(TComponent* component, TOperation operation) {
    // Every component that this one owns hears of it too, so that references
    // between siblings are cleared when one of them goes away.
    for (size_t i = FComponents.size(); i-- > 0;)
        if (i < FComponents.size()) FComponents[i]->Notification(component, operation);
}

} // namespace vcl
