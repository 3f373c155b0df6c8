#pragma once
// A growable list of mixed values (numbers, text, truth values, object references) addressed by
// position 1 to count. It refuses empty values and reports changes and bad positions through three
// notifications.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

// Base of every object that a CSmartArray can hold by reference.
class SmartObject {
  public:
    virtual ~SmartObject() = default;
};

// Empty (uninitialised), number, text, truth value or object reference (possibly empty).
using SmartValue = std::variant<std::monostate, double, std::string, bool, std::shared_ptr<SmartObject>>;

class CSmartArray {
  public:
    // Notifications, raised in the order the operations describe.
    std::function<void(int64_t iItemNumber)> Resized;
    std::function<void(bool bCleared)> Cleared;
    std::function<void(int16_t iLimits)> Exceed;

    int64_t NumberOfItemInArray() const { return static_cast<int64_t>(items_.size()); }
    bool AddOneItem(const SmartValue& AnyItem);
    bool RemoveOneItemByIndex(int64_t AnyItemIndex);
    SmartValue GetOneItemByIndex(int64_t AnyItemIndex);
    bool SetOneItemByIndex(const SmartValue& AnyItem, int64_t AnyItemIndex);
    bool ClearArray();
    int16_t IsValueThere(const SmartValue& AnyItem) const;

    // Typed access for object items: the object at a valid position when it is a T, else null.
    // Unlike GetOneItemByIndex it raises no notification, so readers of the palette lists can use it freely.
    template <class T> std::shared_ptr<T> ObjectAt(int64_t position) const {
        if (position < 1 || position > NumberOfItemInArray())
            return nullptr;
        if (auto p = std::get_if<std::shared_ptr<SmartObject>>(&items_[static_cast<size_t>(position - 1)]))
            return std::dynamic_pointer_cast<T>(*p);
        return nullptr;
    }

    static bool IsAccepted(const SmartValue& value);

  private:
    bool IsIndexValid(int64_t position);
    std::vector<SmartValue> items_;
};
