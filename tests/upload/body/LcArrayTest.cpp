#include "upload/body/LcArray.h"
#include "upload/body/FormField.h"

#include <gtest/gtest.h>

namespace {

// Counts constructions and destructions, so that growth can be seen to move
// elements without constructing or destroying them again.
struct Counted
{
    static int constructed;
    static int destroyed;
    Counted() { ++constructed; }
    ~Counted() { ++destroyed; }
    int value = 0;
};
int Counted::constructed = 0;
int Counted::destroyed = 0;

TEST(LcArray, ElementsAreBuiltOnceAndDestroyedOnce)
{
    Counted::constructed = Counted::destroyed = 0;
    {
        CLcArray<Counted> array;
        for (int i = 0; i < 300; ++i)
            array.Add()->value = i;
        EXPECT_EQ(300, Counted::constructed);
        EXPECT_EQ(0, Counted::destroyed) << "growth must move, not destroy";
        ASSERT_TRUE(array.SetSize(100, -1));
        EXPECT_EQ(200, Counted::destroyed);
        EXPECT_EQ(99, array.ElementAt(99)->value);
        EXPECT_TRUE(array.SetSize(100, -1)) << "the same size again";
        ASSERT_TRUE(array.SetSize(0, 16));
        EXPECT_EQ(0, array.GetSize());
        EXPECT_TRUE(array.SetSize(0, 0));
        EXPECT_TRUE(array.SetSize(0, -1));
    }
    EXPECT_EQ(300, Counted::destroyed);
}

TEST(LcArray, SharedBlockLivesUntilTheLastArrayLetsGo)
{
    Counted::constructed = Counted::destroyed = 0;
    CLcArray<Counted> first;
    ASSERT_TRUE(first.SetSize(4, -1));
    {
        CLcArray<Counted> second;
        second.Assign(first);
        EXPECT_EQ(first.ElementAt(0), second.ElementAt(0));
        first.Empty();
        EXPECT_EQ(0, Counted::destroyed);
        EXPECT_EQ(4, second.GetSize());
    }
    EXPECT_EQ(4, Counted::destroyed);
}

TEST(LcArray, NegativeSizeIsRefused)
{
    CLcArray<CAspUploadFormField> array;
    EXPECT_FALSE(array.SetSize(-1, -1));
    EXPECT_EQ(0, array.GetSize());
    EXPECT_NE(nullptr, array.Add()) << "a refused size leaves the array usable";
}

} // namespace
