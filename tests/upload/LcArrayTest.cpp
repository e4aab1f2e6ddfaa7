#include "upload/LcArray.h"
#include "upload/FormField.h"

#include <gtest/gtest.h>

#include <vector>

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

// The capacity a growth from `size` full slots gives under the default rule
// as it stands below 8,200 elements.
int32_t ListedGrowth(int32_t capacity, int32_t size, int32_t newSize)
{
    int32_t growBy = size / 8;
    growBy = growBy < 4 ? 4 : (growBy > 1024 ? 1024 : growBy);
    return capacity + growBy > newSize ? capacity + growBy : newSize;
}

TEST(LcArray, AddGrowsByTheListedSteps)
{
    CLcArray<CAspUploadFormField> array;
    std::vector<int32_t> capacities;
    for (int i = 0; i < 100; ++i) {
        ASSERT_NE(nullptr, array.Add());
        if (capacities.empty() || capacities.back() != array.GetCapacity())
            capacities.push_back(array.GetCapacity());
    }
    const std::vector<int32_t> expected = {1,  5,  9,  13, 17, 21, 25, 29, 33, 37,
                                           41, 46, 51, 57, 64, 72, 81, 91, 102};
    EXPECT_EQ(expected, capacities);
    EXPECT_EQ(100, array.GetSize());
}

TEST(LcArray, GrowthKeepsTheListedCapacitiesBelow8200AndDoublesBeyond)
{
    CLcArray<Counted> array;
    int32_t expectedCapacity = 0;
    int growths = 0;
    for (int32_t size = 0; size < 1200000; ++size) {
        const int32_t before = array.GetCapacity();
        ASSERT_NE(nullptr, array.Add());
        if (array.GetCapacity() == before)
            continue;
        ++growths;
        if (size == 0)
            expectedCapacity = 1;
        else if (size < 8200)
            expectedCapacity = ListedGrowth(before, size, size + 1);
        else
            expectedCapacity = 2 * size;
        ASSERT_EQ(expectedCapacity, array.GetCapacity()) << "growing from " << size;
    }
    // 1,024 at a time would take over a thousand growths; doubling keeps
    // the number logarithmic.
    EXPECT_LT(growths, 120);
}

TEST(LcArray, GrowthMovesRecordsWithoutFreeingOrCopyingTheirStrings)
{
    CLcArray<CAspUploadFormField> array;
    std::vector<BSTR> names;
    for (int i = 0; i < 50; ++i) {
        CAspUploadFormField* record = array.Add();
        ASSERT_NE(nullptr, record);
        record->name = SysAllocString(TU_WIDE("field"));
        record->size = i;
        names.push_back(record->name);
    }
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(names[i], array.ElementAt(i)->name) << i;
        EXPECT_EQ(i, array.ElementAt(i)->size);
        EXPECT_EQ(5u, SysStringLen(array.ElementAt(i)->name));
    }
}

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
    }
    EXPECT_EQ(300, Counted::destroyed);
}

TEST(LcArray, SizeZeroWithGrowthKeepsAnEmptyBlock)
{
    CLcArray<Counted> array;
    ASSERT_TRUE(array.SetSize(0, 16));
    EXPECT_EQ(0, array.GetSize());
    EXPECT_EQ(16, array.GetCapacity());
    ASSERT_TRUE(array.SetSize(0, -1));
    EXPECT_EQ(0, array.GetCapacity());
    array.Empty();
    array.Empty();
    EXPECT_EQ(0, array.GetSize());
}

TEST(LcArray, FirstSizeWithGrowthReservesTheExtraSlots)
{
    CLcArray<Counted> array;
    ASSERT_TRUE(array.SetSize(3, 10));
    EXPECT_EQ(3, array.GetSize());
    EXPECT_EQ(13, array.GetCapacity());
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
