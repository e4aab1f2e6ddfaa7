// Plumbing for tests of the Upload and UploadFile objects: a multipart body
// builder and a fixture that makes an Upload object (the classes linked
// into the test program) bound to a stand-in ASP host serving a body, with
// short helpers to take items and read their properties.
#pragma once

#include "TavrinUpload/UploadNative.h"
#include "TavrinUpload_h.h"
#include "support/HostDouble.h"
#include "util/ComPtr.h"

#include <gtest/gtest.h>
#include <oleauto.h>
#include <string>
#include <vector>

// One part of a multipart body; a null name or file name leaves the
// parameter out, a null content type the header line.
struct BodyPart
{
    const char* name;
    const char* fileName;
    const char* contentType;
    std::string content;
};

// A well-formed body of the parts, CR LF line ends, delimiter "XyZ".
std::string MultipartBody(const std::vector<BodyPart>& parts);

// A new Upload object with one reference, made through its class's creator.
ComPtr<IUploadNative> NewUploadObject();

// The text of a string property through a getter, and its status.
struct TextResult
{
    HRESULT status;
    std::wstring text;
    bool untouched; // the out parameter kept the value placed in it
};
TextResult ReadText(IUploadFile* item, HRESULT (STDMETHODCALLTYPE IUploadFile::*getter)(BSTR*));

class UploadTest : public testing::Test
{
protected:
    UploadTest() : m_upload(NewUploadObject()) {}

    // Serves body through the host double and binds the Upload object.
    void Serve(const std::string& body);
    void Serve(const std::vector<BodyPart>& parts) { Serve(MultipartBody(parts)); }

    // Item with a VARIANT index; fails the test unless it returns an item.
    ComPtr<IUploadFile> Item(const VARIANT& index);
    ComPtr<IUploadFile> Item(int position);
    ComPtr<IUploadFile> ItemNamed(const wchar_t* name);

    long Count();
    long PageCode();

    // Declared first so that it outlives every reference the object holds.
    HostDouble m_host;
    ComPtr<IUploadNative> m_upload;
};
