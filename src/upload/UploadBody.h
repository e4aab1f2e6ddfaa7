// CUploadBody holds a posted multipart/form-data body and splits it, in
// place, into CAspUploadFormField records, one per part, in body order. The
// upload object owns one and drives it: it allocates the body at the size
// the request announces, appends the bytes it reads, and then parses.
//
// The delimiter is learnt from the body's first line. Records point into the
// body buffer; the parser writes zero bytes into it at the ends of header
// lines and after each content, so text content is also zero-terminated.
// Names, file names and content types are decoded into owned strings;
// content stays bytes. No step reads or writes at or beyond the body length.
#pragma once

#include "upload/ByteScan.h"
#include "upload/FormField.h"
#include "upload/LcArray.h"
#include "util/Platform.h"
#include "util/TextConversion.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

class CUploadBody
{
public:
    // Where a step of the split leaves the body when it does not fail: a
    // part follows (the delimiter was found and stored, or an ordinary
    // delimiter line ended the content), or the split is over (the body
    // holds no delimiter, or the closing delimiter line ended the content).
    enum class SplitStep
    {
        kPartFollows,
        kEnd,
    };

    CUploadBody() = default;
    ~CUploadBody() = default;
    CUploadBody(const CUploadBody&) = delete;
    CUploadBody& operator=(const CUploadBody&) = delete;

    // Discards everything (ResetBody), then allocates exactly size bytes
    // with a body length of 0. E_INVALIDARG for a negative size,
    // E_OUTOFMEMORY when the buffer cannot be had.
    HRESULT AllocBody(int32_t size);
    // Copies at most the room left up to the allocated size and returns the
    // number of bytes appended.
    int32_t AppendBody(const uint8_t* bytes, int32_t count);
    uint8_t* BodyData() { return m_body.get(); }
    int32_t BodyCapacity() const { return m_bodyCapacity; }
    // For bodies filled through BodyData(); kept within the allocated size.
    void SetBodyLength(int32_t length);
    int32_t BodyLength() const { return m_bodyLength; }
    bool HasBody() const { return m_body != nullptr; }

    // Splits the body from the cursor up to the closing delimiter. Returns
    // S_FALSE on a normal end (also when the body holds no delimiter, which
    // makes no record), DISP_E_EXCEPTION when the body is not in the format,
    // E_OUTOFMEMORY; after a failure ResetBody() has run. Names and file
    // names are decoded under pageCode, which the automatic rule may change.
    HRESULT ParseBody(int32_t& pageCode);
    HRESULT ParseBody(PageCodeAccess& pageCode);

    // Empties the records, frees body and delimiter, and sets length, cursor
    // and delimiter length to 0. The owner clears its parsed mark itself.
    void ResetBody();

    int32_t Cursor() const { return m_cursor; }
    CLcArray<CAspUploadFormField>& Fields() { return m_formFields; }
    const CLcArray<CAspUploadFormField>& Fields() const { return m_formFields; }
    // The delimiter text without its leading hyphens (null and 0 outside a
    // parse).
    const uint8_t* Delimiter() const { return m_delimiter.get(); }
    int32_t DelimiterLength() const { return m_delimiterLength; }

    // The steps of ParseBody, public so that each can be tested alone. Each
    // returns S_OK or a failure status; on S_OK, step says what follows.
    // FindFirstDelimiter: a part follows when the delimiter was found and
    // stored, the split ends when the body holds none; E_OUTOFMEMORY.
    HRESULT FindFirstDelimiter(SplitStep& step);
    // S_OK with the cursor on the part's first content byte, or a failure.
    HRESULT ParsePartHeaders(CAspUploadFormField& record, PageCodeAccess& pageCode);
    // A part follows when an ordinary delimiter line ends the content, the
    // split ends when the closing one does; DISP_E_EXCEPTION when none does.
    HRESULT ParsePartContent(CAspUploadFormField& record, SplitStep& step);
    // Length of the line at start without its CR LF or bare LF, or -1 when
    // start is outside the body or no LF follows it.
    int32_t LineLength(int32_t start) const;
    // Moves the cursor over one optional CR, then one optional LF.
    void SkipLineBreak();
    void SetCursor(int32_t cursor) { m_cursor = cursor; }
    // The block searches the split runs on: the target's fastest unless a
    // test or benchmark picks another of kScanPaths.
    void UseScanPath(const ByteScanPath& path) { m_scan = &path; }
    const ByteScanPath& ScanPath() const { return *m_scan; }

private:
    struct FreeBytes
    {
        void operator()(uint8_t* bytes) const { std::free(bytes); }
    };
    using Bytes = std::unique_ptr<uint8_t, FreeBytes>;

    // end is the index of the line's terminating zero.
    HRESULT ParseHeaderLine(CAspUploadFormField& record, PageCodeAccess& pageCode, int32_t start,
                            int32_t end);
    HRESULT TakeParameter(BSTR& slot, PageCodeAccess& pageCode, int32_t valueStart,
                          int32_t textEnd);
    // What a line that starts with "--" after an LF turns out to be.
    enum class DelimiterLine
    {
        kContent, // a lookalike: the line stays content
        kOrdinary,
        kClosing,
    };
    DelimiterLine MatchDelimiterLine(int32_t lineStart, int32_t& resume) const;
    void FreeDelimiter();

    Bytes m_body;
    int32_t m_bodyCapacity = 0;
    int32_t m_bodyLength = 0;
    int32_t m_cursor = 0;
    // The delimiter text followed by "--"; not zero-terminated.
    Bytes m_delimiter;
    int32_t m_delimiterLength = 0;
    CLcArray<CAspUploadFormField> m_formFields;
    const ByteScanPath* m_scan = kScanPaths[0];
};
