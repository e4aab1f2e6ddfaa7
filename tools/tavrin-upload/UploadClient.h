// The tool's way into the component: one Upload object created by ProgID
// from the registry, its body loaded from a file, and its items read through
// the IUpload and IUploadFile function tables. Every step answers with an
// Outcome that carries, on failure, the status and a description for the
// user: the component's own error information where it set one, otherwise
// the platform's message for the status.
#pragma once

#include <windows.h>

#include "TavrinUpload_h.h"
#include "ToolArguments.h"
#include "util/ComPtr.h"

#include <optional>
#include <string>
#include <utility>

struct Outcome
{
    HRESULT status = S_OK;
    std::u16string description; // set when Failed()

    bool Failed() const { return FAILED(status); }
};

// A failure outcome for status with the calling thread's error information
// as description (taken, so it is not reported twice), or the platform's
// message for status when there is none.
Outcome FailureFromErrorInfo(HRESULT status);

// The platform's message for status, without its trailing line break; empty
// when the platform has none.
std::u16string PlatformMessage(HRESULT status);

// Text of a BSTR, embedded zero units included; null reads as empty.
std::u16string TextOf(BSTR text);

class UploadClient
{
public:
    UploadClient() = default;
    // Uses an Upload object the caller already holds instead of creating one.
    explicit UploadClient(ComPtr<IUpload> upload) : m_upload(std::move(upload)) {}

    // Creates "TavrinUpload.Upload" from its registration.
    Outcome Create();
    // Loads the stored request body from path; the next Count splits it.
    Outcome LoadBody(const std::u16string& path);
    Outcome SetPageCode(LONG pageCode);
    Outcome GetPageCode(LONG* pageCode);
    Outcome Count(LONG* count);
    // Create, LoadBody of the arguments' body, SetPageCode when one is given,
    // then Count: the body is split.
    Outcome Open(const ToolArguments& arguments, LONG* count);
    // The item at index (from 0) as an IUploadFile.
    Outcome Item(LONG index, ComPtr<IUploadFile>* item);

private:
    ComPtr<IUpload> m_upload;
};

// One string property of an item: S_FALSE leaves *value empty (absent);
// S_OK stores the text, an empty string included.
using TextGetter = HRESULT (STDMETHODCALLTYPE IUploadFile::*)(BSTR*);
Outcome ReadText(IUploadFile* item, TextGetter getter, std::optional<std::u16string>* value);

// The item's content as bytes (Content(False)) handed to consume(data, size).
// S_FALSE from the component leaves consume uncalled and gives *present false.
template <class Consume>
Outcome ReadContentBytes(IUploadFile* item, bool* present, Consume consume);

#include "UploadClient.inl"
