// The two native-only operations of the component's Upload object. They are
// not in the type library and have no interface ID of their own: the object
// places them in the function table of its IUpload interface, right after
// IUpload's last member (get_About). IUploadNativeCalls declares that longer
// table, so an IUpload pointer obtained from the object can be used through
// it: same object, same table, two more slots. Only pointers that came from
// the "TavrinUpload.Upload" class may be treated so.
#pragma once

#include <windows.h>

#include "TavrinUpload_h.h"

struct IUploadNativeCalls : public IUpload
{
    // Replaces the object's body with the bytes of an existing file; the
    // next Count or Item splits it. S_OK, or the failure of opening or
    // reading the file.
    virtual HRESULT STDMETHODCALLTYPE LoadBodyFromFile(BSTR path) = 0;
    // Writes a byte array or a string into a new file.
    virtual HRESULT STDMETHODCALLTYPE SaveVariantToFile(BSTR path, VARIANT value) = 0;
};

inline IUploadNativeCalls* NativeCallsOf(IUpload* upload)
{
    return static_cast<IUploadNativeCalls*>(upload);
}
