// The "Host" object that upload script tests see beside WScript:
//   Host.NewUpload()        a new Upload object, already fed with the body
//                           named on the command line
//   Host.NewBareUpload()    a new Upload object that was given nothing
//   Host.CanUnload          true once every object of the component is gone
//   Host.ScratchPath(name)  a path in a scratch folder removed at exit
//   Host.FileHex(path)      the file's bytes in hex ("" when it is missing)
//   Host.Describe(value)    "empty", "text " + UTF-16 units in hex,
//                           "bytes from L: " + hex for a byte array with
//                           lower bound L, else "vt N"; exact where the
//                           script engines have no byte or wide functions
// The script itself holds every Upload it gets; the host keeps none, so a
// script can drop one and watch it go.
#pragma once

#include "util/ComPtr.h"

#include <oaidl.h>
#include <string>

// Makes Upload objects for the host object: from the DLL or from classes
// linked into the host, fed through a scripting context or a body file.
class UploadSource
{
public:
    virtual ~UploadSource() = default;
    // fed: give it the body of the command line, else nothing.
    virtual HRESULT NewUpload(bool fed, IDispatch** out) = 0;
    virtual bool CanUnload() = 0;
};

// Creates the host object; scratchDir must exist for the life of the run.
ComPtr<IDispatch> MakeHostObject(UploadSource& source, const std::wstring& scratchDir);
