// The read-only collections of the Request object: IRequestDictionary
// (QueryString, Form, ServerVariables, Cookies: named items, each with one
// or more values) and IStringList (the values of one item). An item's
// default value is its values joined with ", " (Empty when it has none), so
// that Request.QueryString("a") reads as text; Item(i) gives value i, from
// 1. The collections share their content, which never changes once built:
// they stay valid after the page.
#pragma once

#include "asp/AspObject.h"

#include "core/UrlCoding.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

struct DictionaryItem
{
    std::wstring name;
    std::vector<std::wstring> values;
};

// The items of one collection in the order their names first came, with an
// index by name in any letter case, so that building a collection of n
// pairs costs O(n) whatever the names.
class DictionaryContent
{
public:
    // Adds a value, to the item of that name in any letter case if there is one.
    void Add(std::wstring name, std::wstring value);
    // The item of that name in any letter case, or null.
    const DictionaryItem* Find(const std::wstring& name) const;
    const std::vector<DictionaryItem>& Items() const { return m_items; }

    // The default value of the collection itself (the raw query, the raw
    // body), kept as bytes and decoded under wholeCodePage when asked for.
    std::string whole;
    unsigned wholeCodePage = 0;

private:
    std::vector<DictionaryItem> m_items;
    std::unordered_map<std::wstring, size_t> m_index; // name in upper case -> position
};

// The most pairs that parsing a form may make into a collection; past it
// Request.Form fails. Each pair costs memory beyond its bytes, so that a
// body of short names would otherwise cost many times its size.
constexpr size_t kMaxFormFields = 10000;

// Decodes name/value bytes under codePage.
DictionaryContent ContentOf(const NameValueList& pairs, unsigned codePage);
// Parses an application/x-www-form-urlencoded body under codePage into
// content, pair by pair; false (content partly filled) when it holds more
// than kMaxFormFields pairs.
bool FormContentOf(std::string_view body, unsigned codePage, DictionaryContent& content);

// Makes a collection over shared content; one reference for the caller.
HRESULT CreateRequestDictionary(std::shared_ptr<const DictionaryContent> content,
                                IRequestDictionary** dictionary);
// The values of one item, kept alive by (and sharing the memory of) the
// collection that holds them; an empty list for a missing item.
using SharedValues = std::shared_ptr<const std::vector<std::wstring>>;
SharedValues ValuesOf(const std::shared_ptr<const DictionaryContent>& content,
                      const std::wstring& name);

// Makes the value list of one item.
HRESULT CreateStringList(SharedValues values, IStringList** list);
// An enumerator over strings, for For Each.
HRESULT CreateTextEnum(std::vector<std::wstring> texts, IUnknown** enumerator);
