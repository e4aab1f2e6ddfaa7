// BstrHolder owns at most one automation wide string (BSTR) and frees it when
// it goes. Move-only. A null string is a valid value and reads as empty.
// Results are handed to callers with Detach(), so every early return frees
// what was built.
#pragma once

#include "util/Platform.h"

#include <utility>

#ifdef _WIN32
// From util/MessageText.h: the library's message text for an id, or null.
BSTR LoadMessageText(UINT messageId) noexcept;
#endif

class BstrHolder
{
public:
    BstrHolder() = default;
    // Takes ownership of text.
    explicit BstrHolder(BSTR text) noexcept : m_str(text) {}
    ~BstrHolder() { Release(); }

    BstrHolder(BstrHolder&& other) noexcept : m_str(other.Detach()) {}
    BstrHolder& operator=(BstrHolder&& other) noexcept
    {
        Attach(other.Detach());
        return *this;
    }
    BstrHolder(const BstrHolder&) = delete;
    BstrHolder& operator=(const BstrHolder&) = delete;

    // A new string with the same byte length and units, embedded zero units
    // included. Null gives null; so does a failed allocation.
    static BstrHolder Copy(BSTR source) noexcept
    {
        if (!source)
            return BstrHolder();
        return BstrHolder(
            SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source), SysStringByteLen(source)));
    }

    // Replaces the held string with a copy of zero-terminated text; null text
    // gives null. E_OUTOFMEMORY when the copy cannot be made.
    HRESULT FromText(LPCWSTR text) noexcept
    {
        if (!text) {
            Release();
            return S_OK;
        }
        BSTR copy = SysAllocString(text);
        if (!copy)
            return E_OUTOFMEMORY;
        Attach(copy);
        return S_OK;
    }

    // Takes text and frees the string held before, unless it is the same.
    void Attach(BSTR text) noexcept
    {
        if (text == m_str)
            return;
        Release();
        m_str = text;
    }

    // The held string becomes the old text followed by zero-terminated text,
    // in a new allocation. Null text changes nothing; empty text changes
    // nothing on a non-null string and makes an empty string of a null one.
    HRESULT Append(LPCWSTR text) noexcept
    {
        if (!text)
            return S_OK;
        const UINT oldLength = SysStringLen(m_str);
        const UINT addLength = static_cast<UINT>(lstrlenW(text));
        if (addLength == 0 && m_str)
            return S_OK;
        if (addLength > 0x7FFFFFFFu / 2 - oldLength)
            return E_OUTOFMEMORY;
        BSTR joined = SysAllocStringLen(nullptr, oldLength + addLength);
        if (!joined)
            return E_OUTOFMEMORY;
        for (UINT i = 0; i < oldLength; ++i)
            joined[i] = m_str[i];
        for (UINT i = 0; i < addLength; ++i)
            joined[oldLength + i] = text[i];
        joined[oldLength + addLength] = 0;
        Attach(joined);
        return S_OK;
    }

#ifdef _WIN32
    // Frees the held string and takes the text of a message from the
    // library's string table. False, with the holder null, when the table
    // has no text for the id.
    bool LoadMessage(UINT messageId) noexcept
    {
        Attach(LoadMessageText(messageId));
        return m_str != nullptr;
    }
#endif

    void Release() noexcept
    {
        if (m_str)
            SysFreeString(m_str);
        m_str = nullptr;
    }

    BSTR Detach() noexcept
    {
        return std::exchange(m_str, nullptr);
    }
    BSTR Get() const noexcept
    {
        return m_str;
    }
    UINT Length() const noexcept
    {
        return SysStringLen(m_str);
    }
    explicit operator bool() const noexcept
    {
        return m_str != nullptr;
    }

    // Frees the held string and returns the address for an out parameter.
    BSTR* ReleaseAndGetAddressOf() noexcept
    {
        Release();
        return &m_str;
    }

private:
    BSTR m_str = nullptr;
};
