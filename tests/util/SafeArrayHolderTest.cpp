#include "util/SafeArrayHolder.h"

#include <gtest/gtest.h>

// A host may hand over an array that claims elements but has no data; the
// lock on it succeeds, and must still be undone so the array can go.
TEST(SafeArrayDataLock, ArrayWithoutDataIsUnlockedAgain)
{
    SAFEARRAY* array = nullptr;
    ASSERT_EQ(S_OK, SafeArrayAllocDescriptor(1, &array));
    array->cbElements = 1;
    array->rgsabound[0].cElements = 4;
    {
        SafeArrayDataLock lock(array);
        EXPECT_EQ(S_OK, lock.Status());
        EXPECT_EQ(nullptr, lock.Data());
    }
    EXPECT_EQ(0u, array->cLocks);
    EXPECT_EQ(S_OK, SafeArrayDestroyDescriptor(array));
}
