// IUploadNative: the Upload object's function table as native callers see
// it. IUpload's members come first, exactly as the type library declares
// them, then two operations that the type library does not describe, so
// that neither scripts nor IDispatch reach them. There is no interface ID
// for it: a native caller that created an Upload object of this library
// holds its IUpload pointer and uses these two slots through this
// declaration.
#pragma once

#include "TavrinUpload_h.h"

struct IUploadNative : public IUpload
{
    // Replaces the body with the bytes of the existing file at path (read
    // with no sharing) and sets PageCode back to automatic; the next Count
    // or Item splits it without a host. Items taken before keep what they
    // had. Fails with HRESULT_FROM_WIN32 of the platform's error.
    virtual HRESULT STDMETHODCALLTYPE LoadBodyFromFile(BSTR path) = 0;

    // Writes value to the new file path (an existing file is never
    // replaced): a byte array as its bytes, a string as UTF-16LE with a
    // byte-order mark and a closing zero unit, anything else as nothing.
    // A file that cannot be created is reported with "Fail to create file"
    // and HRESULT_FROM_WIN32 of the platform's error; a failed write returns
    // its failure status.
    virtual HRESULT STDMETHODCALLTYPE SaveVariantToFile(BSTR path, VARIANT value) = 0;
};
