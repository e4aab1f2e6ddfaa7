// Turning posted bytes into automation wide strings. Names, file names and
// text content are decoded under the page code of their upload object,
// which at its initial value 65535 decides per run whether the bytes are
// UTF-8 and then keeps the decision; header values and registry scripts are
// decoded under the conversion code page, the calling thread's ANSI code
// page, decided once per process.
#pragma once

#include "util/Platform.h"

#include <cstdint>

// Page code values with a meaning of their own; any other value is a
// platform code page number, used as it is.
constexpr int32_t kPageCodeAutomatic = 65535;
constexpr int32_t kPageCodeUtf8 = 65001;
constexpr int32_t kPageCodeAnsi = 0;

// DecodeBytes returns this, with a null string, when the converter measured
// the text but the string could not be allocated.
constexpr int32_t kDecodeOutOfMemory = -1;

// Where a decode reads the page code and writes back the decision of the
// automatic rule: the upload object's own field, or its PageCode property.
class PageCodeAccess
{
public:
    virtual int32_t GetPageCode() = 0;
    virtual void PutPageCode(int32_t pageCode) = 0;

protected:
    ~PageCodeAccess() = default;
};

// PageCodeAccess over a plain field.
class PageCodeRef final : public PageCodeAccess
{
public:
    explicit PageCodeRef(int32_t& pageCode) : m_pageCode(pageCode) {}
    int32_t GetPageCode() override { return m_pageCode; }
    void PutPageCode(int32_t pageCode) override { m_pageCode = pageCode; }

private:
    int32_t& m_pageCode;
};

// Decodes exactly length bytes (zero bytes become zero units) into a new
// string in *out and returns the number of units. Nothing to convert (no
// bytes, a code page the platform does not know, invalid input it refuses)
// gives a null string and 0; a failed allocation gives a null string and
// kDecodeOutOfMemory. *out is overwritten without being freed.
int32_t DecodeBytes(const uint8_t* bytes, int32_t length, UINT codePage, BSTR* out);

// The page-code rule, then DecodeBytes. At 65535 the run is classified:
// plain ASCII decodes under code page 0 and leaves 65535; well-formed UTF-8
// sets 65001 and decodes as UTF-8; anything else sets 0 and decodes under
// code page 0. Any other page code is the code page and is never changed.
int32_t DecodeUnderPageCode(const uint8_t* bytes, int32_t length, PageCodeAccess& pageCode,
                            BSTR* out);
int32_t DecodeUnderPageCode(const uint8_t* bytes, int32_t length, int32_t& pageCode, BSTR* out);

// Decodes zero-terminated text under the conversion code page into a new
// string in *out. Null text gives null and S_OK; empty text an empty,
// non-null string. A text that yields no string fails with E_OUTOFMEMORY.
HRESULT DecodeHeaderText(const char* text, BSTR* out);

// The code page of conversions that the page code does not govern. Decided
// on first use and published atomically, so every thread sees one value.
UINT ConversionCodePage();
