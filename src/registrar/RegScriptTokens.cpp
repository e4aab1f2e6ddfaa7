// Variable expansion and the tokenizer of registry scripts. Tokens are
// separated by tab, line feed, carriage return and space only; a token that
// starts with a single quote runs to the next undoubled quote ('' inside
// stands for one quote) and ends there even without whitespace after it.
// Braces and the equals sign are not separators: "key=s" is one token.
#include "registrar/RegScriptParser.h"
#include "registrar/ScriptBuffer.h"

namespace {

bool IsScriptSpace(WCHAR c) noexcept
{
    return c == 9 || c == 10 || c == 13 || c == 32;
}

} // namespace

HRESULT CRegScriptParser::ExpandVariables(LPCWSTR text, WideText* expanded) const
{
    if (!text || !expanded)
        return E_POINTER;
    expanded->reset();
    const size_t length = static_cast<size_t>(lstrlenW(text));
    CScriptBuffer buffer(length * 2);
    if (!buffer.IsValid())
        return E_OUTOFMEMORY;
    LPCWSTR p = text;
    while (*p) {
        if (*p != u'%') {
            LPCWSTR next = CharNextW(p);
            if (!buffer.Append(p, static_cast<size_t>(next - p)))
                return E_OUTOFMEMORY;
            p = next;
            continue;
        }
        if (p[1] == u'%') {
            if (!buffer.Append(p, 1))
                return E_OUTOFMEMORY;
            p += 2;
            continue;
        }
        LPCWSTR nameStart = p + 1;
        LPCWSTR nameEnd = nameStart;
        while (*nameEnd && *nameEnd != u'%')
            ++nameEnd;
        if (!*nameEnd)
            return DISP_E_EXCEPTION;
        const size_t nameLength = static_cast<size_t>(nameEnd - nameStart);
        if (nameLength >= kVariableNameSize)
            return E_FAIL;
        WCHAR name[kVariableNameSize];
        for (size_t i = 0; i < nameLength; ++i)
            name[i] = nameStart[i];
        name[nameLength] = 0;
        LPCWSTR value = m_registrar.Variables().Lookup(name);
        if (!value)
            return DISP_E_EXCEPTION;
        if (!buffer.Append(value, static_cast<size_t>(lstrlenW(value))))
            return E_OUTOFMEMORY;
        p = nameEnd + 1;
    }
    *expanded = buffer.Detach();
    return S_OK;
}

void CRegScriptParser::SkipWhitespace() noexcept
{
    while (*m_cursor && IsScriptSpace(*m_cursor))
        m_cursor = CharNextW(m_cursor);
}

// Appends one unit if the token still has room for it: a token holds at
// most size - 2 characters.
bool CRegScriptParser::CopyUnit(LPWSTR token, size_t size, size_t* length,
                                WCHAR unit) const noexcept
{
    if (size < 2 || *length >= size - 2)
        return false;
    token[(*length)++] = unit;
    return true;
}

HRESULT CRegScriptParser::ReadToken(LPWSTR token, size_t size)
{
    if (!m_cursor || !token || size == 0)
        return E_POINTER;
    token[0] = 0;
    SkipWhitespace();
    if (!*m_cursor)
        return DISP_E_EXCEPTION;
    size_t length = 0;
    if (*m_cursor == u'\'') {
        ++m_cursor;
        while (*m_cursor && !(m_cursor[0] == u'\'' && m_cursor[1] != u'\'')) {
            if (*m_cursor == u'\'')
                ++m_cursor;
            LPCWSTR next = CharNextW(m_cursor);
            for (; m_cursor < next; ++m_cursor) {
                if (!CopyUnit(token, size, &length, *m_cursor))
                    return DISP_E_EXCEPTION;
            }
        }
        if (!*m_cursor)
            return DISP_E_EXCEPTION;
        token[length] = 0;
        ++m_cursor;
        return S_OK;
    }
    while (*m_cursor && !IsScriptSpace(*m_cursor)) {
        LPCWSTR next = CharNextW(m_cursor);
        for (; m_cursor < next; ++m_cursor) {
            if (!CopyUnit(token, size, &length, *m_cursor))
                return DISP_E_EXCEPTION;
        }
    }
    token[length] = 0;
    return S_OK;
}
