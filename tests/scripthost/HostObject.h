// The "Host" object that upload script tests see beside WScript:
//   Host.NewUpload()        a new Upload object of the DLL, already fed with
//                           the body file: through a stand-in ASP request,
//                           or through LoadBodyFromFile with loadBody
//   Host.NewBareUpload()    a new Upload object that was given nothing
//   Host.CanUnload          true once every object of the component is gone
//   Host.ScratchPath(name)  a path in a scratch folder removed with the host
//   Host.FileHex(path)      the file's bytes in hex ("" when it is missing)
//   Host.Describe(value)    "empty", "text " + UTF-16 units in hex,
//                           "bytes from L: " + hex for a byte array with
//                           lower bound L, else "vt N"; exact where the
//                           script engines have no byte or wide functions
// The DLL is loaded directly (no registration needed, as a web server's
// script host loads it); its type library is registered and left so. The
// script holds every Upload it gets; the host keeps none.
#pragma once

#include "util/ComPtr.h"

#include <oaidl.h>
#include <string>

struct HostOptions
{
    std::wstring dllPath;
    std::wstring bodyPath;
    bool loadBody = false;
};

// Null, after writing a FAIL line, when the DLL or its type library cannot be had.
ComPtr<IDispatch> MakeHostObject(const HostOptions& options);
// After the script: writes a FAIL line and returns false when Upload
// objects still hold references of their stand-in requests.
bool HostReferencesReleased(IDispatch* host);
