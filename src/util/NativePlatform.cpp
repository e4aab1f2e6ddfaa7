// Native stand-in for the automation string calls, the code-page
// converter and the text helpers that the platform-neutral core uses, so
// that the core builds and runs natively under sanitizers and libFuzzer.
// Strings are laid out as on Windows: a 32-bit byte count, the units, and a
// zero unit after them.
#include "util/Platform.h"

#include <cstdlib>
#include <cstring>

namespace {

BSTR AllocBytes(const void* bytes, UINT byteLength)
{
    if (byteLength > 0x7FFFFFF0u)
        return nullptr;
    auto* block = static_cast<uint8_t*>(std::malloc(sizeof(uint32_t) + byteLength + 2));
    if (!block)
        return nullptr;
    const uint32_t count = byteLength;
    std::memcpy(block, &count, sizeof count);
    if (bytes)
        std::memcpy(block + sizeof count, bytes, byteLength);
    else
        std::memset(block + sizeof count, 0, byteLength);
    block[sizeof count + byteLength] = 0;
    block[sizeof count + byteLength + 1] = 0;
    return reinterpret_cast<BSTR>(block + sizeof count);
}

// Windows-1252 for 0x80..0x9F; Latin-1 elsewhere. Undefined bytes map to
// themselves, as Windows does.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int Convert1252(const uint8_t* in, int count, WCHAR* out, int room)
{
    if (!out)
        return count;
    if (room < count)
        return 0;
    for (int i = 0; i < count; ++i)
        out[i] = (in[i] >= 0x80 && in[i] < 0xA0) ? kCp1252High[in[i] - 0x80] : in[i];
    return count;
}

// Decodes one UTF-8 sequence at in[i]; returns the code point or 0xFFFD and
// advances i past what was consumed (one byte for an invalid lead).
uint32_t DecodeOne(const uint8_t* in, int count, int& i)
{
    const uint8_t lead = in[i++];
    if (lead < 0x80)
        return lead;
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (lead > 0xF4 || extra < 0)
        return 0xFFFD;
    uint32_t cp = lead & (0x3F >> extra);
    const int start = i;
    for (int k = 0; k < extra; ++k) {
        if (i >= count || (in[i] & 0xC0) != 0x80) {
            i = start;
            return 0xFFFD;
        }
        cp = (cp << 6) | (in[i++] & 0x3F);
    }
    static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        i = start;
        return 0xFFFD;
    }
    return cp;
}

int ConvertUtf8(const uint8_t* in, int count, WCHAR* out, int room)
{
    int written = 0;
    for (int i = 0; i < count;) {
        const uint32_t cp = DecodeOne(in, count, i);
        const int units = cp > 0xFFFF ? 2 : 1;
        if (out) {
            if (written + units > room)
                return 0;
            if (units == 2) {
                out[written] = static_cast<WCHAR>(0xD800 + ((cp - 0x10000) >> 10));
                out[written + 1] = static_cast<WCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                out[written] = static_cast<WCHAR>(cp);
            }
        }
        written += units;
    }
    return written;
}

WCHAR FoldAscii(WCHAR c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<WCHAR>(c + 32) : c;
}

} // namespace

BSTR SysAllocString(const OLECHAR* text)
{
    return text ? SysAllocStringLen(text, static_cast<UINT>(lstrlenW(text))) : nullptr;
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    if (length > 0x3FFFFFF0u)
        return nullptr;
    return AllocBytes(text, length * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT byteLength)
{
    return AllocBytes(bytes, byteLength);
}

UINT SysStringByteLen(BSTR text)
{
    if (!text)
        return 0;
    uint32_t count;
    std::memcpy(&count, reinterpret_cast<uint8_t*>(text) - sizeof count, sizeof count);
    return count;
}

UINT SysStringLen(BSTR text)
{
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

void SysFreeString(BSTR text)
{
    if (text)
        std::free(reinterpret_cast<uint8_t*>(text) - sizeof(uint32_t));
}

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR bytes, int byteCount, LPWSTR wide,
                        int wideCount)
{
    if (!bytes || byteCount == 0 || (wide && wideCount < 0))
        return 0;
    const auto* in = reinterpret_cast<const uint8_t*>(bytes);
    const int count = byteCount < 0 ? static_cast<int>(std::strlen(bytes)) + 1 : byteCount;
    switch (codePage) {
    case CP_UTF8:
        return ConvertUtf8(in, count, wide, wideCount);
    case CP_ACP:
    case CP_THREAD_ACP:
    case 1252:
        return Convert1252(in, count, wide, wideCount);
    default:
        return 0;
    }
}

int lstrlenW(LPCWSTR text)
{
    if (!text)
        return 0;
    int n = 0;
    while (text[n])
        ++n;
    return n;
}

int lstrcmpiW(LPCWSTR a, LPCWSTR b)
{
    for (;; ++a, ++b) {
        const WCHAR ca = FoldAscii(*a), cb = FoldAscii(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (!ca)
            return 0;
    }
}

LPWSTR CharNextW(LPCWSTR text)
{
    return const_cast<LPWSTR>(*text ? text + 1 : text);
}

HRESULT VarUI4FromStr(const OLECHAR* text, LCID, ULONG, ULONG* out)
{
    if (!text || !out)
        return E_INVALIDARG;
    while (*text == u' ' || *text == u'\t')
        ++text;
    if (*text < u'0' || *text > u'9')
        return DISP_E_TYPEMISMATCH;
    uint64_t value = 0;
    for (; *text >= u'0' && *text <= u'9'; ++text) {
        value = value * 10 + (*text - u'0');
        if (value > 0xFFFFFFFFu)
            return DISP_E_OVERFLOW;
    }
    while (*text == u' ' || *text == u'\t')
        ++text;
    if (*text)
        return DISP_E_TYPEMISMATCH;
    *out = static_cast<ULONG>(value);
    return S_OK;
}

UINT NativeConversionCodePage()
{
    return CP_THREAD_ACP;
}
