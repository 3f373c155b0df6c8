#include "support/CSmartArray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Thing : SmartObject {};

// A list that records every notification as text, in the order raised.
struct Recorded {
    CSmartArray List;
    std::vector<std::string> Events;
    explicit Recorded(std::initializer_list<const char*> texts = {}) {
        for (const char* text : texts)
            List.AddOneItem(std::string(text));
        List.Resized = [this](int64_t n) { Events.push_back("Resized " + std::to_string(n)); };
        List.Cleared = [this](bool b) { Events.push_back(std::string("Cleared ") + (b ? "true" : "false")); };
        List.Exceed = [this](int16_t n) { Events.push_back("Exceed " + std::to_string(n)); };
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> out;
        for (int64_t i = 1; i <= List.NumberOfItemInArray(); ++i)
            out.push_back(std::get<std::string>(List.GetOneItemByIndex(i)));
        return out;
    }
};

using Strings = std::vector<std::string>;

} // namespace

TEST(CSmartArray, AcceptsNumbersTruthValuesObjectsAndTextButNotEmptyTextOrEmptyReferences) {
    CSmartArray list;
    EXPECT_FALSE(list.AddOneItem(std::string()));
    EXPECT_FALSE(list.AddOneItem(std::shared_ptr<SmartObject>()));
    EXPECT_EQ(list.NumberOfItemInArray(), 0);
    for (const SmartValue& value :
         {SmartValue(0.0), SmartValue(false), SmartValue(std::string("x")), SmartValue()})
        EXPECT_TRUE(list.AddOneItem(value)); // the uninitialised value counts as numeric
    auto thing = std::make_shared<Thing>();
    EXPECT_TRUE(list.AddOneItem(std::shared_ptr<SmartObject>(thing)));
    EXPECT_EQ(list.ObjectAt<Thing>(5), thing); // shared, not copied
    EXPECT_EQ(list.ObjectAt<Thing>(1), nullptr);
}

TEST(CSmartArray, ChangesRaiseTheirNotificationsInOrder) {
    Recorded r;
    for (const char* text : {"x", "y", "z"})
        r.List.AddOneItem(std::string(text));
    EXPECT_TRUE(r.List.RemoveOneItemByIndex(2));
    r.List.AddOneItem(std::string("w"));
    EXPECT_EQ(r.Texts(), (Strings{"x", "z", "w"}));
    EXPECT_TRUE(r.List.RemoveOneItemByIndex(3)); // the last item: only shortens
    // Set replaces in place without resizing, and refuses an empty value.
    EXPECT_TRUE(r.List.SetOneItemByIndex(std::string("Z"), 2));
    EXPECT_FALSE(r.List.SetOneItemByIndex(std::string(), 1));
    EXPECT_EQ(r.Texts(), (Strings{"x", "Z"}));
    EXPECT_EQ(r.Events,
              (Strings{"Resized 0", "Resized 1", "Resized 2", "Resized 1", "Resized 2", "Resized 1"}));

    r.Events.clear();
    EXPECT_TRUE(r.List.ClearArray());
    EXPECT_EQ(r.List.NumberOfItemInArray(), 0);
    r.List.AddOneItem(std::string("first"));
    EXPECT_EQ(r.Texts(), (Strings{"first"}));
    EXPECT_EQ(r.Events, (Strings{"Cleared true", "Resized 0"}));
}

TEST(CSmartArray, PositionCheckNotifiesEmptyThenBelowThenAbove) {
    Recorded empty;
    EXPECT_TRUE(std::holds_alternative<std::monostate>(empty.List.GetOneItemByIndex(1)));
    EXPECT_EQ(empty.Events, (Strings{"Cleared false"}));

    Recorded r{"a", "b", "c"};
    EXPECT_TRUE(std::holds_alternative<std::monostate>(r.List.GetOneItemByIndex(4)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(r.List.GetOneItemByIndex(0)));
    EXPECT_FALSE(r.List.RemoveOneItemByIndex(-1));
    EXPECT_FALSE(r.List.SetOneItemByIndex(std::string("q"), 4));
    EXPECT_EQ(r.Events, (Strings{"Exceed 2", "Cleared true", "Cleared true", "Exceed 2"}));
    EXPECT_EQ(r.List.NumberOfItemInArray(), 3);
}

TEST(CSmartArray, IsValueThereFindsTheFirstEqualValue) {
    CSmartArray list;
    EXPECT_EQ(list.IsValueThere(0.0), -99);
    for (const SmartValue& value :
         {SmartValue(std::string("7")), SmartValue(7.0), SmartValue(true), SmartValue(7.0)})
        list.AddOneItem(value);
    EXPECT_EQ(list.IsValueThere(7.0), 2); // a number never equals a text
    EXPECT_EQ(list.IsValueThere(std::string("7")), 1);
    EXPECT_EQ(list.IsValueThere(-1.0), 3); // True is -1
    EXPECT_EQ(list.IsValueThere(0.0), -99);
    EXPECT_EQ(list.IsValueThere(std::string()), -99);
}
