#include "util/BstrHolder.h"

#include <gtest/gtest.h>

namespace {

const WCHAR kEmbeddedZero[] = {TU_WIDE('a'), 0, TU_WIDE('b')};

TEST(BstrHolder, CopyKeepsEmbeddedZeroUnits)
{
    BstrHolder source(SysAllocStringLen(kEmbeddedZero, 3));
    BstrHolder copy = BstrHolder::Copy(source.Get());
    ASSERT_TRUE(copy);
    EXPECT_NE(source.Get(), copy.Get());
    ASSERT_EQ(3u, copy.Length());
    EXPECT_EQ(0, copy.Get()[1]);
    EXPECT_EQ(TU_WIDE('b'), copy.Get()[2]);
    EXPECT_EQ(0, copy.Get()[3]);
}

TEST(BstrHolder, AppendFollowsTheNullAndEmptyRules)
{
    BstrHolder text;
    EXPECT_EQ(S_OK, text.Append(nullptr));
    EXPECT_FALSE(text) << "null text changes nothing";
    EXPECT_EQ(S_OK, text.Append(TU_WIDE("")));
    ASSERT_TRUE(text) << "empty text on a null string makes an empty string";
    EXPECT_EQ(0u, text.Length());
    BSTR before = text.Get();
    EXPECT_EQ(S_OK, text.Append(TU_WIDE("")));
    EXPECT_EQ(before, text.Get()) << "empty text on a string changes nothing";
    EXPECT_EQ(S_OK, text.Append(TU_WIDE("report")));
    EXPECT_EQ(S_OK, text.Append(TU_WIDE(".doc")));
    EXPECT_EQ(0, lstrcmpiW(TU_WIDE("report.doc"), text.Get()));
    EXPECT_EQ(10u, text.Length());
}

TEST(BstrHolder, AttachOfTheHeldStringKeepsIt)
{
    BstrHolder text;
    ASSERT_EQ(S_OK, text.FromText(TU_WIDE("x")));
    text.Attach(text.Get());
    ASSERT_TRUE(text);
    EXPECT_EQ(TU_WIDE('x'), text.Get()[0]);
}

} // namespace
