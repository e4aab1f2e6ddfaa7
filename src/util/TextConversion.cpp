// Byte-to-text conversion under a page code or the conversion code page.
// The converter is MultiByteToWideChar (flags 0: bytes that are invalid
// under the code page become whatever the platform renders them as).
#include "util/TextConversion.h"

#include "util/BstrHolder.h"
#include "util/Utf8Classifier.h"

#include <atomic>
#include <cstdlib>

namespace {

// No decision yet; no platform code page has this number.
constexpr UINT kUndecided = 0xFFFFFFFFu;

std::atomic<UINT> g_conversionCodePage{kUndecided};

#ifdef _WIN32
UINT DecideConversionCodePage()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExA(&version);
#pragma GCC diagnostic pop
    if (known && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5)
        return CP_THREAD_ACP;
    char digits[7] = {};
    if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits) > 0) {
        const UINT codePage = static_cast<UINT>(std::strtoul(digits, nullptr, 10));
        if (codePage != 0)
            return codePage;
    }
    return GetACP();
}
#else
UINT DecideConversionCodePage()
{
    return NativeConversionCodePage();
}
#endif

} // namespace

int32_t DecodeBytes(const uint8_t* bytes, int32_t length, UINT codePage, BSTR* out)
{
    *out = nullptr;
    // A negative count would make the converter look for a terminator.
    if (!bytes || length <= 0)
        return 0;
    const LPCSTR text = reinterpret_cast<LPCSTR>(bytes);
    const int units = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    if (units <= 0)
        return units < 0 ? 0 : units;
    BstrHolder result(SysAllocStringLen(nullptr, static_cast<UINT>(units)));
    if (!result)
        return kDecodeOutOfMemory;
    const int converted = MultiByteToWideChar(codePage, 0, text, length, result.Get(), units);
    if (converted <= 0)
        return 0;
    result.Get()[converted] = 0;
    *out = result.Detach();
    return converted;
}

// Plain ASCII means the same text under every ANSI code page, so a run
// that classified as ASCII is widened directly instead of asking the
// converter twice; names are mostly ASCII and splitting many small fields
// spends much of its time here.
int32_t WidenAscii(const uint8_t* bytes, int32_t length, BSTR* out)
{
    *out = nullptr;
    if (length <= 0)
        return 0;
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (!text)
        return kDecodeOutOfMemory;
    for (int32_t i = 0; i < length; ++i)
        text[i] = bytes[i];
    text[length] = 0;
    *out = text;
    return length;
}

int32_t DecodeUnderPageCode(const uint8_t* bytes, int32_t length, PageCodeAccess& pageCode,
                            BSTR* out)
{
    const int32_t current = pageCode.GetPageCode();
    UINT codePage = static_cast<UINT>(current);
    if (current == kPageCodeAutomatic) {
        switch (ClassifyUtf8(bytes, length)) {
        case 0:
            return WidenAscii(bytes, length, out);
        case 1:
            pageCode.PutPageCode(kPageCodeUtf8);
            codePage = CP_UTF8;
            break;
        default:
            pageCode.PutPageCode(kPageCodeAnsi);
            codePage = CP_ACP;
            break;
        }
    }
    return DecodeBytes(bytes, length, codePage, out);
}

int32_t DecodeUnderPageCode(const uint8_t* bytes, int32_t length, int32_t& pageCode, BSTR* out)
{
    PageCodeRef access(pageCode);
    return DecodeUnderPageCode(bytes, length, access, out);
}

HRESULT DecodeHeaderText(const char* text, BSTR* out)
{
    *out = nullptr;
    if (!text)
        return S_OK;
    const UINT codePage = ConversionCodePage();
    // The measure counts the terminator; the string holds one unit fewer
    // and keeps the converted terminator in its own trailing unit.
    const int measure = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (measure <= 0)
        return E_OUTOFMEMORY;
    BstrHolder result(SysAllocStringLen(nullptr, static_cast<UINT>(measure - 1)));
    if (!result)
        return E_OUTOFMEMORY;
    if (MultiByteToWideChar(codePage, 0, text, -1, result.Get(), measure) != measure)
        return E_OUTOFMEMORY;
    *out = result.Detach();
    return S_OK;
}

UINT ConversionCodePage()
{
    const UINT known = g_conversionCodePage.load(std::memory_order_acquire);
    if (known != kUndecided)
        return known;
    // Concurrent first uses may both decide; the first published value wins
    // and every caller returns it.
    UINT expected = kUndecided;
    const UINT decided = DecideConversionCodePage();
    if (g_conversionCodePage.compare_exchange_strong(expected, decided, std::memory_order_acq_rel))
        return decided;
    return expected;
}
