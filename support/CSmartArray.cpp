#include "support/CSmartArray.h"

#include <algorithm>
#include <limits>

namespace {

// Text values compare with text, everything else (empty, number, truth value) as a number: an empty
// value reads as 0 beside a number and as "" beside a text; a truth value as -1 or 0.
bool IsText(const SmartValue& v) {
    return std::holds_alternative<std::string>(v);
}
bool IsObject(const SmartValue& v) {
    return std::holds_alternative<std::shared_ptr<SmartObject>>(v);
}

double NumberOf(const SmartValue& v) {
    if (const double* d = std::get_if<double>(&v))
        return *d;
    if (const bool* b = std::get_if<bool>(&v))
        return *b ? -1.0 : 0.0;
    return 0.0; // empty
}

bool SameValue(const SmartValue& item, const SmartValue& wanted) {
    if (IsObject(item) || IsObject(wanted)) {
        // Our records carry no value of their own; an object matches only the very same object.
        if (!IsObject(item) || !IsObject(wanted))
            return false;
        const auto& a = std::get<std::shared_ptr<SmartObject>>(item);
        const auto& b = std::get<std::shared_ptr<SmartObject>>(wanted);
        return a != nullptr && a == b;
    }
    const bool itemEmpty = std::holds_alternative<std::monostate>(item);
    const bool wantedEmpty = std::holds_alternative<std::monostate>(wanted);
    if (IsText(item) && IsText(wanted))
        return std::get<std::string>(item) == std::get<std::string>(wanted);
    if (IsText(item) || IsText(wanted)) {
        // A number never equals a text; an empty value equals the empty text.
        const SmartValue& text = IsText(item) ? item : wanted;
        return (itemEmpty || wantedEmpty) && std::get<std::string>(text).empty();
    }
    return NumberOf(item) == NumberOf(wanted);
}

} // namespace

bool CSmartArray::IsAccepted(const SmartValue& value) {
    if (const auto* object = std::get_if<std::shared_ptr<SmartObject>>(&value))
        return *object != nullptr;
    if (const auto* text = std::get_if<std::string>(&value))
        return !text->empty();
    return true; // numbers, truth values and the uninitialised value all pass as numeric
}

bool CSmartArray::IsIndexValid(int64_t position) {
    if (items_.empty()) {
        if (Cleared)
            Cleared(false);
        return false;
    }
    if (position < 1) {
        if (Cleared)
            Cleared(true);
        return false;
    }
    if (position > NumberOfItemInArray()) {
        if (Exceed)
            Exceed(2);
        return false;
    }
    return true;
}

bool CSmartArray::AddOneItem(const SmartValue& AnyItem) {
    if (!IsAccepted(AnyItem))
        return false;
    items_.push_back(AnyItem);
    if (Resized)
        Resized(NumberOfItemInArray() - 1);
    return true;
}

bool CSmartArray::RemoveOneItemByIndex(int64_t AnyItemIndex) {
    if (!IsIndexValid(AnyItemIndex))
        return false;
    items_.erase(items_.begin() + (AnyItemIndex - 1));
    if (Resized)
        Resized(NumberOfItemInArray() - 1);
    return true;
}

SmartValue CSmartArray::GetOneItemByIndex(int64_t AnyItemIndex) {
    if (!IsIndexValid(AnyItemIndex))
        return SmartValue{};
    return items_[static_cast<size_t>(AnyItemIndex - 1)];
}

bool CSmartArray::SetOneItemByIndex(const SmartValue& AnyItem, int64_t AnyItemIndex) {
    // The position is always checked, so a bad position is notified whatever the value.
    const bool positionValid = IsIndexValid(AnyItemIndex);
    if (!positionValid || !IsAccepted(AnyItem))
        return false;
    items_[static_cast<size_t>(AnyItemIndex - 1)] = AnyItem;
    return true;
}

bool CSmartArray::ClearArray() {
    items_.clear();
    if (Cleared)
        Cleared(true);
    return true;
}

int16_t CSmartArray::IsValueThere(const SmartValue& AnyItem) const {
    // The answer is a 16-bit position, so only the first 32767 items can be found.
    const size_t searchable =
        std::min(items_.size(), static_cast<size_t>(std::numeric_limits<int16_t>::max()));
    for (size_t i = 0; i < searchable; ++i)
        if (SameValue(items_[i], AnyItem))
            return static_cast<int16_t>(i + 1);
    return -99;
}
