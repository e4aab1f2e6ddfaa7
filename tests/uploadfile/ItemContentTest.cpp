#include "uploadfile/ItemContent.h"

#include "util/SafeArrayHolder.h"
#include "util/VariantHolder.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string ArrayBytes(SAFEARRAY* array)
{
    LONG lower = -1, upper = -2;
    EXPECT_EQ(1u, SafeArrayGetDim(array));
    EXPECT_EQ(S_OK, SafeArrayGetLBound(array, 1, &lower));
    EXPECT_EQ(S_OK, SafeArrayGetUBound(array, 1, &upper));
    EXPECT_EQ(0, lower);
    SafeArrayDataLock lock(array);
    return std::string(static_cast<const char*>(lock.Data()), static_cast<size_t>(upper + 1));
}

TEST(ItemContent, ByteArrayIsAnExactCopyFromZero)
{
    const std::string rows[] = {std::string("a\0b\xFF", 4), "x", ""};
    for (const std::string& bytes : rows) {
        SCOPED_TRACE(bytes.size());
        VariantHolder result;
        ASSERT_EQ(S_OK, MakeByteArrayContent(reinterpret_cast<const uint8_t*>(bytes.data()),
                                             static_cast<int32_t>(bytes.size()), result.Get()));
        ASSERT_EQ(VT_ARRAY | VT_UI1, result->vt);
        EXPECT_EQ(bytes, ArrayBytes(result->parray));
    }
}

TEST(ItemContent, ChangingTheArrayLeavesTheSourceAlone)
{
    uint8_t source[3] = {1, 2, 3};
    VariantHolder result;
    ASSERT_EQ(S_OK, MakeByteArrayContent(source, 3, result.Get()));
    SafeArrayDataLock lock(result->parray);
    static_cast<uint8_t*>(lock.Data())[0] = 9;
    EXPECT_EQ(1, source[0]);
}

TEST(ItemContent, BadArgumentsLeaveTheResultUnset)
{
    const uint8_t byte = 1;
    VariantHolder result;
    EXPECT_EQ(E_INVALIDARG, MakeByteArrayContent(&byte, -1, result.Get()));
    EXPECT_EQ(E_POINTER, MakeByteArrayContent(nullptr, 1, result.Get()));
    EXPECT_EQ(E_POINTER, MakeByteArrayContent(&byte, 1, nullptr));
    EXPECT_EQ(VT_EMPTY, result->vt);
}

} // namespace
