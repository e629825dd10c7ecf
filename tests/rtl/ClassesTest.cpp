#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rtl/Classes.h"
#include "rtl/SysUtils.h"

namespace {

struct Probe : TComponent {
    Probe(TComponent* owner, std::vector<std::string>& log, std::string name)
        : TComponent(owner), log_(log), name_(std::move(name)) {}
    ~Probe() override { log_.push_back(name_); }
    std::vector<std::string>& log_;
    std::string name_;
};

TEST(Component, OwnerFreesWhatItOwnsNewestFirst) {
    std::vector<std::string> freed;
    auto* owner = new Probe(nullptr, freed, "owner");
    new Probe(owner, freed, "a");
    new Probe(owner, freed, "b");
    EXPECT_EQ(owner->ComponentCount(), 2);
    delete owner;
    EXPECT_EQ(freed, (std::vector<std::string>{"owner", "b", "a"}));
}

TEST(Component, FreedEarlyLeavesItsOwner) {
    std::vector<std::string> freed;
    Probe owner(nullptr, freed, "owner");
    auto* child = new Probe(&owner, freed, "child");
    delete child;
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_EQ(freed, (std::vector<std::string>{"child"}));
}

TEST(StringList, KeepsOrderAndDuplicates) {
    TStringList list;
    EXPECT_EQ(list.Add("x"), 0);
    EXPECT_EQ(list.Add("x"), 1);
    EXPECT_EQ(list.Add("y"), 2);
    list.Delete(0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], "x");
    EXPECT_EQ(list[1], "y");
}

TEST(StringList, IndexOutOfRangeRaisesAndChangesNothing) {
    TStringList list;
    list.Add("a");
    for (int index : {-1, 1, 5}) {
        SCOPED_TRACE(index);
        try {
            list.Delete(index);
            ADD_FAILURE();
        } catch (const EStringListError& e) {
            EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(index) + ")");
            EXPECT_STREQ(e.ClassName(), "EStringListError");
        }
        EXPECT_THROW(list.Get(index), EListError);
        EXPECT_EQ(list.Count(), 1);
    }
}

} // namespace
