// The content of the Request collections: items in the order their names
// first came, one item per name in any letter case, and a form parsed only
// up to its limit of fields.
#include "asp/RequestDictionary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "name=value&..." with count distinct names "f0", "f1", ...
std::string FormOf(size_t count)
{
    std::string body;
    for (size_t i = 0; i < count; ++i)
        body += (i ? "&f" : "f") + std::to_string(i) + "=v";
    return body;
}

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

TEST(DictionaryContent, FormOfTheMostFieldsIsParsedWhole)
{
    DictionaryContent content;
    EXPECT_TRUE(FormContentOf(FormOf(kMaxFormFields), 65001, content));
    ASSERT_EQ(kMaxFormFields, content.Items().size());
    const DictionaryItem* last = content.Find(L"F" + std::to_wstring(kMaxFormFields - 1));
    ASSERT_NE(nullptr, last);
    EXPECT_EQ(std::vector<std::wstring>{L"v"}, last->values);
}

TEST(DictionaryContent, FormOfOneFieldTooManyIsRefused)
{
    DictionaryContent content;
    EXPECT_FALSE(FormContentOf(FormOf(kMaxFormFields + 1), 65001, content));
    EXPECT_EQ(nullptr, content.Find(L"f" + std::to_wstring(kMaxFormFields)));
}

TEST(DictionaryContent, RepeatedNamesCountAsFields)
{
    // Repeats make no new item, but each costs a value: the limit counts
    // pairs, not names.
    std::string body = "a=1";
    for (size_t i = 0; i < kMaxFormFields; ++i)
        body += "&A=2";
    DictionaryContent content;
    EXPECT_FALSE(FormContentOf(body, 65001, content));
}

} // namespace
