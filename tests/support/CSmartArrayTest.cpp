#include "support/CSmartArray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every notification as text, in the order raised.
struct Recorder {
    std::vector<std::string> Events;
    void Attach(CSmartArray& list) {
        list.Resized = [this](int64_t n) { Events.push_back("Resized " + std::to_string(n)); };
        list.Cleared = [this](bool b) { Events.push_back(std::string("Cleared ") + (b ? "true" : "false")); };
        list.Exceed = [this](int16_t n) { Events.push_back("Exceed " + std::to_string(n)); };
    }
};

struct Thing : SmartObject {};

std::vector<std::string> Texts(CSmartArray& list) {
    std::vector<std::string> out;
    for (int64_t i = 1; i <= list.NumberOfItemInArray(); ++i)
        out.push_back(std::get<std::string>(list.GetOneItemByIndex(i)));
    return out;
}

} // namespace

TEST(CSmartArray, AcceptsNumbersTruthValuesObjectsAndTextButNotEmptyTextOrEmptyReferences) {
    CSmartArray list;
    EXPECT_FALSE(list.AddOneItem(std::string()));
    EXPECT_FALSE(list.AddOneItem(std::shared_ptr<SmartObject>()));
    EXPECT_EQ(list.NumberOfItemInArray(), 0);

    EXPECT_TRUE(list.AddOneItem(0.0));
    EXPECT_TRUE(list.AddOneItem(false));
    EXPECT_TRUE(list.AddOneItem(std::string("x")));
    EXPECT_TRUE(list.AddOneItem(SmartValue{})); // the uninitialised value counts as numeric
    auto thing = std::make_shared<Thing>();
    EXPECT_TRUE(list.AddOneItem(std::shared_ptr<SmartObject>(thing)));
    EXPECT_EQ(list.NumberOfItemInArray(), 5);
    // Objects are shared, not copied.
    EXPECT_EQ(list.ObjectAt<Thing>(5), thing);
    EXPECT_EQ(list.ObjectAt<Thing>(1), nullptr);
}

TEST(CSmartArray, AddAndRemoveRaiseResizedWithTheNewCountLessOne) {
    CSmartArray list;
    Recorder r;
    r.Attach(list);
    list.AddOneItem(std::string("x"));
    list.AddOneItem(std::string("y"));
    list.AddOneItem(std::string("z"));
    EXPECT_TRUE(list.RemoveOneItemByIndex(2));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"x", "z"}));
    list.AddOneItem(std::string("w"));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"x", "z", "w"}));
    EXPECT_EQ(r.Events,
              (std::vector<std::string>{"Resized 0", "Resized 1", "Resized 2", "Resized 1", "Resized 2"}));

    r.Events.clear();
    EXPECT_TRUE(list.RemoveOneItemByIndex(3)); // the last item: only shortens
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"x", "z"}));
    EXPECT_EQ(r.Events, (std::vector<std::string>{"Resized 1"}));
}

TEST(CSmartArray, PositionCheckNotifiesEmptyThenBelowThenAbove) {
    CSmartArray list;
    Recorder r;
    r.Attach(list);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(list.GetOneItemByIndex(1)));
    EXPECT_EQ(r.Events, (std::vector<std::string>{"Cleared false"}));

    for (const char* s : {"a", "b", "c"})
        list.AddOneItem(std::string(s));
    r.Events.clear();
    EXPECT_TRUE(std::holds_alternative<std::monostate>(list.GetOneItemByIndex(4)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(list.GetOneItemByIndex(0)));
    EXPECT_FALSE(list.RemoveOneItemByIndex(-1));
    EXPECT_FALSE(list.SetOneItemByIndex(std::string("q"), 4));
    EXPECT_EQ(r.Events, (std::vector<std::string>{"Exceed 2", "Cleared true", "Cleared true", "Exceed 2"}));
    EXPECT_EQ(list.NumberOfItemInArray(), 3);
}

TEST(CSmartArray, SetReplacesInPlaceWithoutResizing) {
    CSmartArray list;
    list.AddOneItem(std::string("a"));
    list.AddOneItem(std::string("b"));
    Recorder r;
    r.Attach(list);
    EXPECT_TRUE(list.SetOneItemByIndex(std::string("B"), 2));
    EXPECT_FALSE(list.SetOneItemByIndex(std::string(), 1)); // refused value
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "B"}));
    EXPECT_TRUE(r.Events.empty());
}

TEST(CSmartArray, ClearEmptiesAndRaisesClearedTrue) {
    CSmartArray list;
    list.AddOneItem(1.0);
    list.AddOneItem(2.0);
    Recorder r;
    r.Attach(list);
    EXPECT_TRUE(list.ClearArray());
    EXPECT_EQ(list.NumberOfItemInArray(), 0);
    list.AddOneItem(std::string("first"));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"first"}));
    EXPECT_EQ(r.Events, (std::vector<std::string>{"Cleared true", "Resized 0"}));
}

TEST(CSmartArray, IsValueThereFindsTheFirstEqualValue) {
    CSmartArray list;
    EXPECT_EQ(list.IsValueThere(0.0), -99);
    EXPECT_EQ(list.IsValueThere(std::string()), -99);

    list.AddOneItem(std::string("7"));
    list.AddOneItem(7.0);
    list.AddOneItem(true);
    list.AddOneItem(7.0);
    EXPECT_EQ(list.IsValueThere(7.0), 2); // a number never equals a text
    EXPECT_EQ(list.IsValueThere(std::string("7")), 1);
    EXPECT_EQ(list.IsValueThere(-1.0), 3); // True is -1
    EXPECT_EQ(list.IsValueThere(0.0), -99);
    EXPECT_EQ(list.IsValueThere(std::string()), -99);

    auto a = std::make_shared<Thing>();
    list.AddOneItem(std::shared_ptr<SmartObject>(a));
    EXPECT_EQ(list.IsValueThere(std::shared_ptr<SmartObject>(a)), 5);
    EXPECT_EQ(list.IsValueThere(std::shared_ptr<SmartObject>(std::make_shared<Thing>())), -99);
}
