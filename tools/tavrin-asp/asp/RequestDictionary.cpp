// Request collections, the value list of one item, and the string
// enumerator that For Each uses on both.
#include "asp/RequestDictionary.h"

#include "asp/CodePageText.h"

#include "util/ComPtr.h"
#include "util/ErrorMacros.h"

#include <algorithm>
#include <new>

namespace {

enum : DISPID
{
    kItem = DISPID_VALUE,
    kCount = 1,
    kKey = 2,
    kNewEnum = DISPID_NEWENUM,
};

const MemberName kListMembers[] = {{L"Item", kItem}, {L"Count", kCount}, {L"_NewEnum", kNewEnum}};
const MemberName kDictionaryMembers[] = {
    {L"Item", kItem}, {L"Count", kCount}, {L"Key", kKey}, {L"_NewEnum", kNewEnum}};

// The first argument, or the marker of an omitted one.
VARIANT FirstArgument(const CallArgs& args)
{
    if (args.Count() > 0)
        return args[0];
    VARIANT missing;
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    return missing;
}

// Item, Count and _NewEnum, which both collections answer alike.
template <class Collection>
HRESULT CallCollection(Collection& collection, DISPID id, const CallArgs& args, VARIANT* result)
{
    switch (id) {
    case kItem:
        return collection.get_Item(FirstArgument(args), result);
    case kCount:
        result->vt = VT_I4;
        return collection.get_Count(reinterpret_cast<int*>(&result->lVal));
    case kNewEnum:
        result->vt = VT_UNKNOWN;
        return collection.get__NewEnum(&result->punkVal);
    }
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT ObjectToVariant(IUnknown* object, VARIANT* result)
{
    IDispatch* dispatch = nullptr;
    RETURN_IF_FAILED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
    result->vt = VT_DISPATCH;
    result->pdispVal = dispatch;
    return S_OK;
}

class StringList : public AspObject<IStringList>
{
public:
    explicit StringList(std::vector<std::wstring> values)
        : AspObject(IID_IStringList, kListMembers, std::size(kListMembers), L"Request object"),
          m_values(std::move(values))
    {}

    STDMETHODIMP get_Item(VARIANT index, VARIANT* result) override
    {
        if (!result)
            return E_POINTER;
        VariantInit(result);
        if (index.vt == VT_EMPTY || (index.vt == VT_ERROR && index.scode == DISP_E_PARAMNOTFOUND)) {
            if (m_values.empty())
                return S_OK;
            std::wstring joined;
            for (size_t i = 0; i < m_values.size(); ++i)
                joined += (i > 0 ? L", " : L"") + m_values[i];
            return TextToVariant(joined, result);
        }
        long number = 0;
        if (!VariantToLong(index, number) || number < 1 ||
            static_cast<size_t>(number) > m_values.size())
            return Fail(E_INVALIDARG, L"The index is out of range.");
        return TextToVariant(m_values[static_cast<size_t>(number) - 1], result);
    }
    STDMETHODIMP get_Count(int* count) override
    {
        if (!count)
            return E_POINTER;
        *count = static_cast<int>(m_values.size());
        return S_OK;
    }
    STDMETHODIMP get__NewEnum(IUnknown** enumerator) override
    {
        return CreateTextEnum(m_values, enumerator);
    }

protected:
    HRESULT Call(DISPID id, WORD, const CallArgs& args, VARIANT* result) override
    {
        return CallCollection(*this, id, args, result);
    }

private:
    std::vector<std::wstring> m_values;
};

class RequestDictionary : public AspObject<IRequestDictionary>
{
public:
    explicit RequestDictionary(DictionaryContent content)
        : AspObject(IID_IRequestDictionary, kDictionaryMembers, std::size(kDictionaryMembers),
                    L"Request object"),
          m_content(std::move(content))
    {}

    STDMETHODIMP get_Item(VARIANT key, VARIANT* result) override
    {
        if (!result)
            return E_POINTER;
        VariantInit(result);
        if (key.vt == VT_EMPTY || (key.vt == VT_ERROR && key.scode == DISP_E_PARAMNOTFOUND))
            return TextToVariant(m_content.whole, result);
        const DictionaryItem* item = FindItem(key);
        if (!item && IsNumber(key))
            return Fail(E_INVALIDARG, L"The index is out of range.");
        ComPtr<IStringList> list;
        RETURN_IF_FAILED(CreateStringList(item ? item->values : std::vector<std::wstring>(),
                                          list.ReleaseAndGetAddressOf()));
        return ObjectToVariant(list.Get(), result);
    }
    STDMETHODIMP get__NewEnum(IUnknown** enumerator) override
    {
        std::vector<std::wstring> names;
        for (const DictionaryItem& item : m_content.items)
            names.push_back(item.name);
        return CreateTextEnum(std::move(names), enumerator);
    }
    STDMETHODIMP get_Count(int* count) override
    {
        if (!count)
            return E_POINTER;
        *count = static_cast<int>(m_content.items.size());
        return S_OK;
    }
    STDMETHODIMP get_Key(VARIANT key, VARIANT* result) override
    {
        if (!result)
            return E_POINTER;
        VariantInit(result);
        const DictionaryItem* item = FindItem(key);
        return item ? TextToVariant(item->name, result) : S_OK;
    }

protected:
    HRESULT Call(DISPID id, WORD, const CallArgs& args, VARIANT* result) override
    {
        if (id == kKey)
            return get_Key(FirstArgument(args), result);
        return CallCollection(*this, id, args, result);
    }

private:
    static bool IsNumber(const VARIANT& key)
    {
        switch (key.vt) {
        case VT_I2:
        case VT_I4:
        case VT_UI1:
        case VT_R4:
        case VT_R8:
        case VT_DECIMAL:
        case VT_I8:
        case VT_INT:
        case VT_UI2:
        case VT_UI4:
        case VT_UINT:
            return true;
        }
        return false;
    }

    // By position (from 1) for a number, else by name.
    const DictionaryItem* FindItem(const VARIANT& key) const
    {
        long number = 0;
        if (IsNumber(key)) {
            if (!VariantToLong(key, number) || number < 1 ||
                static_cast<size_t>(number) > m_content.items.size())
                return nullptr;
            return &m_content.items[static_cast<size_t>(number) - 1];
        }
        std::wstring name;
        return VariantToText(key, name) ? m_content.Find(name) : nullptr;
    }

    DictionaryContent m_content;
};

class TextEnum : public IEnumVARIANT
{
public:
    explicit TextEnum(std::vector<std::wstring> texts, size_t next = 0)
        : m_texts(std::move(texts)), m_next(next)
    {}
    TextEnum(const TextEnum&) = delete;
    TextEnum& operator=(const TextEnum&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = iid == IID_IUnknown || iid == IID_IEnumVARIANT ? this : nullptr;
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }
    STDMETHODIMP Next(ULONG count, VARIANT* items, ULONG* fetched) override
    {
        if (!items)
            return E_POINTER;
        ULONG done = 0;
        for (; done < count && m_next < m_texts.size(); ++done, ++m_next) {
            VariantInit(&items[done]);
            RETURN_IF_FAILED(TextToVariant(m_texts[m_next], &items[done]));
        }
        if (fetched)
            *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        m_next = std::min<size_t>(m_texts.size(), m_next + count);
        return m_next < m_texts.size() ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        m_next = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumVARIANT** copy) override
    {
        if (!copy)
            return E_POINTER;
        *copy = new (std::nothrow) TextEnum(m_texts, m_next);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    virtual ~TextEnum() = default;
    std::atomic<ULONG> m_refs{1};
    std::vector<std::wstring> m_texts;
    size_t m_next;
};

} // namespace

void DictionaryContent::Add(const std::wstring& name, const std::wstring& value)
{
    for (DictionaryItem& item : items) {
        if (lstrcmpiW(item.name.c_str(), name.c_str()) == 0) {
            item.values.push_back(value);
            return;
        }
    }
    items.push_back(DictionaryItem{name, {value}});
}

const DictionaryItem* DictionaryContent::Find(const std::wstring& name) const
{
    for (const DictionaryItem& item : items) {
        if (lstrcmpiW(item.name.c_str(), name.c_str()) == 0)
            return &item;
    }
    return nullptr;
}

DictionaryContent ContentOf(const NameValueList& pairs, unsigned codePage)
{
    DictionaryContent content;
    for (const auto& [name, value] : pairs)
        content.Add(WidenBytes(name, codePage), WidenBytes(value, codePage));
    return content;
}

HRESULT CreateRequestDictionary(DictionaryContent content, IRequestDictionary** dictionary)
{
    if (!dictionary)
        return E_POINTER;
    *dictionary = new (std::nothrow) RequestDictionary(std::move(content));
    return *dictionary ? S_OK : E_OUTOFMEMORY;
}

HRESULT CreateStringList(std::vector<std::wstring> values, IStringList** list)
{
    if (!list)
        return E_POINTER;
    *list = new (std::nothrow) StringList(std::move(values));
    return *list ? S_OK : E_OUTOFMEMORY;
}

HRESULT CreateTextEnum(std::vector<std::wstring> texts, IUnknown** enumerator)
{
    if (!enumerator)
        return E_POINTER;
    *enumerator = new (std::nothrow) TextEnum(std::move(texts));
    return *enumerator ? S_OK : E_OUTOFMEMORY;
}
