// The read-only collections of the Request object: IRequestDictionary
// (QueryString, Form, ServerVariables, Cookies: named items, each with one
// or more values) and IStringList (the values of one item). An item's
// default value is its values joined with ", " (Empty when it has none), so
// that Request.QueryString("a") reads as text; Item(i) gives value i, from
// 1. The collections copy their text: they stay valid after the page.
#pragma once

#include "asp/AspObject.h"

#include "core/UrlCoding.h"

#include <string>
#include <utility>
#include <vector>

struct DictionaryItem
{
    std::wstring name;
    std::vector<std::wstring> values;
};

struct DictionaryContent
{
    std::vector<DictionaryItem> items;
    std::wstring whole; // the default value of the collection itself (the raw query, ...)

    // Adds a value, to the item of that name in any letter case if there is one.
    void Add(const std::wstring& name, const std::wstring& value);
    // The item of that name in any letter case, or null.
    const DictionaryItem* Find(const std::wstring& name) const;
};

// Decodes name/value bytes under codePage.
DictionaryContent ContentOf(const NameValueList& pairs, unsigned codePage);

// Makes a collection; one reference for the caller.
HRESULT CreateRequestDictionary(DictionaryContent content, IRequestDictionary** dictionary);
// Makes the value list of one item (empty for a missing one).
HRESULT CreateStringList(std::vector<std::wstring> values, IStringList** list);
// An enumerator over strings, for For Each.
HRESULT CreateTextEnum(std::vector<std::wstring> texts, IUnknown** enumerator);
