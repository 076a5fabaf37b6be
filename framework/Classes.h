// Base classes of the window framework: errors, components with ownership,
// the loading state and free notifications, and a plain string list.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vcl {

// The general error class. Its message is a code page 932 byte string.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Misuse of a component, or a platform refusal that a component reports.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

enum TOperation { opInsert, opRemove };

// Component state flags.
enum : unsigned {
    csLoading = 1u << 0,    // the stored properties are being read from a layout
    csDesigning = 1u << 1,  // the component lives in a designer, not in a running program
    csDestroying = 1u << 2, // the component is being destroyed
};

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    void SetName(const std::string& name) { FName = name; }

    unsigned ComponentState() const { return FComponentState; }
    bool IsLoading() const { return (FComponentState & csLoading) != 0; }
    bool IsDesigning() const { return (FComponentState & csDesigning) != 0; }
    bool IsDestroying() const { return (FComponentState & csDestroying) != 0; }

    // Marks this component and every component it owns as loading (or not).
    void SetLoading(bool loading);
    // Puts this component and every component it owns into design state.
    void SetDesigning(bool designing);

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(index); }
    TComponent* FindComponent(const std::string& name) const;

    // Asks `other` to tell this component (through Notification) when it goes away,
    // and the other way round.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // Runs once the component's stored properties have been read.
    virtual void Loaded();

protected:
    virtual void Notification(TComponent* component, TOperation operation);

private:
    void InsertComponent(TComponent* child);
    void RemoveComponent(TComponent* child);
    void RemoveNotificationLink(TComponent* other);

    TComponent* FOwner = nullptr;
    std::string FName;
    unsigned FComponentState = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

// An ordered list of code page 932 strings.
class TStringList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& operator[](int index) const { return FItems.at(index); }
    std::string& operator[](int index) { return FItems.at(index); }
    void Add(const std::string& s) { FItems.push_back(s); }
    void Insert(int index, const std::string& s) { FItems.insert(FItems.begin() + index, s); }
    void Delete(int index) { FItems.erase(FItems.begin() + index); }
    void Clear() { FItems.clear(); }
    void Assign(const TStringList& other) { FItems = other.FItems; }
    const std::vector<std::string>& Items() const { return FItems; }
    bool operator==(const TStringList& other) const { return FItems == other.FItems; }

private:
    std::vector<std::string> FItems;
};

} // namespace vcl
