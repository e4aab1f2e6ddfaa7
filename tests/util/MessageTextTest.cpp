#include "util/MessageText.h"
#include "util/BstrHolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring TextOf(UINT id)
{
    BstrHolder text(LoadMessageText(id));
    return text ? std::wstring(text.Get(), text.Length()) : L"<absent>";
}

TEST(MessageText, IdsWithoutTextAreAbsent)
{
    // 96-102 and 109-111 share the block of the messages with an empty
    // count; block 1 and block 14 do not exist; the last id overflows the
    // block numbers.
    for (UINT id : {0u, 96u, 102u, 109u, 111u, 112u, 220u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(L"<absent>", TextOf(id));
    }
}

TEST(MessageText, EntryThatRunsPastItsBlockIsAbsent)
{
    // Block 13 of this test program (DamagedStrings.rc) is cut short: entry
    // 192 announces five units but holds one, so 193 lies outside the block.
    EXPECT_EQ(L"<absent>", TextOf(192));
    EXPECT_EQ(L"<absent>", TextOf(193));
    EXPECT_EQ(L"<absent>", TextOf(207));
}

TEST(MessageText, StringTableCarriesTheChineseLanguageTag)
{
    const HRSRC found = FindResourceExW(nullptr, RT_STRING, MAKEINTRESOURCEW(103 / 16 + 1),
                                        MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    EXPECT_NE(nullptr, found) << "no string block tagged 2052";
}

} // namespace
