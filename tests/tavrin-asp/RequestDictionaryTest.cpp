// The content of the Request collections: items in the order their names
// first came, one item per name in any letter case. (The form's limit of
// fields is checked over HTTP, in http-test.sh.)
#include "asp/RequestDictionary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DictionaryContent, NamesInAnyLetterCaseShareOneItem)
{
    DictionaryContent content;
    content.Add(L"Name", L"1");
    content.Add(L"other", L"2");
    content.Add(L"NAME", L"3");
    content.Add(L"\x00E9t\x00E9", L"4");
    content.Add(L"\x00C9T\x00C9", L"5");
    ASSERT_EQ(3u, content.Items().size());
    EXPECT_EQ(L"Name", content.Items()[0].name);
    EXPECT_EQ(L"other", content.Items()[1].name);
    const struct
    {
        const wchar_t* name;
        std::vector<std::wstring> values;
    } rows[] = {
        {L"name", {L"1", L"3"}},
        {L"OTHER", {L"2"}},
        {L"\x00C9t\x00E9", {L"4", L"5"}},
    };
    for (const auto& row : rows) {
        const DictionaryItem* item = content.Find(row.name);
        ASSERT_NE(nullptr, item) << "expected an item for the name";
        EXPECT_EQ(row.values, item->values);
    }
    EXPECT_EQ(nullptr, content.Find(L"nam"));
    EXPECT_EQ(nullptr, content.Find(L""));
}

} // namespace
