#include "domain/UniqueHandle.h"

#include <gtest/gtest.h>

#include <vector>

namespace zelvorin {
namespace {

// A stand-in C library: "resources" are numbered slots, closing one records it.
std::vector<int> closed;

void closeSlot(int slot) {
    closed.push_back(slot);
}

struct Resource {
    int id;
};
void destroyResource(Resource* resource) {
    closed.push_back(resource->id);
}

using Slot = UniqueHandle<int, closeSlot, -1>;
using Owned = UniqueHandle<Resource*, destroyResource>;

class UniqueHandleTest : public ::testing::Test {
protected:
    void SetUp() override { closed.clear(); }
};

TEST_F(UniqueHandleTest, AnEmptyOwnerReleasesNothing) {
    {
        Slot none;
        Owned nothing;
        EXPECT_FALSE(none);
        EXPECT_EQ(none.get(), -1);
        EXPECT_EQ(nothing.get(), nullptr);
        Slot zero(0);  // 0 is a valid descriptor; only the declared empty value is empty
        EXPECT_TRUE(zero);
    }
    EXPECT_EQ(closed, std::vector<int>{0});
}

TEST_F(UniqueHandleTest, MovingHandsTheResourceOverAndReleasesItOnce) {
    Resource a{1}, b{2};
    {
        Owned first(&a);
        Owned second(std::move(first));
        EXPECT_FALSE(first);  // NOLINT(bugprone-use-after-move): the moved-from state is defined
        EXPECT_EQ(second.get(), &a);

        Owned third(&b);
        third = std::move(second);  // b is released now, a moves over
        EXPECT_EQ(closed, std::vector<int>{2});
        EXPECT_EQ(third.get(), &a);

        auto& alias = third;
        third = std::move(alias);  // self-move keeps the resource
        EXPECT_EQ(third.get(), &a);
    }
    EXPECT_EQ(closed, (std::vector<int>{2, 1}));
}

TEST_F(UniqueHandleTest, ResetReleaseAndOut) {
    Slot slot(3);
    slot.reset(4);
    EXPECT_EQ(closed, std::vector<int>{3});

    const int given = slot.release();
    EXPECT_EQ(given, 4);
    EXPECT_FALSE(slot);

    slot.reset(5);
    int* place = slot.out();  // as sqlite3_open_v2(&db) would fill it
    EXPECT_EQ(closed, (std::vector<int>{3, 5}));
    *place = 6;
    EXPECT_EQ(slot.get(), 6);
    slot.reset();
    EXPECT_EQ(closed, (std::vector<int>{3, 5, 6}));
    EXPECT_FALSE(slot);
}

static_assert(!std::is_copy_constructible_v<Owned> && !std::is_copy_assignable_v<Owned>);
static_assert(std::is_nothrow_move_constructible_v<Owned> && std::is_nothrow_move_assignable_v<Owned>);
static_assert(std::is_nothrow_destructible_v<Owned>);

}  // namespace
}  // namespace zelvorin
