// Where the script host gets its Upload objects: from a built
// TavrinUpload.dll loaded directly (LoadLibrary + DllGetClassObject, no
// registration needed), as a web server's script host loads it.
// Each new object is fed a body: through a stand-in scripting context whose
// Request serves a file's bytes (as a web server would), or through the
// object's native LoadBodyFromFile.
#pragma once

#include "HostObject.h"

#include <memory>
#include <string>

enum class BodyFeed
{
    None,        // the object gets no body (Count then fails outside ASP)
    HostRequest, // OnStartPage with a scripting context serving the file
    LoadFromFile // LoadBodyFromFile
};

struct UploadSourceOptions
{
    std::wstring dllPath;
    BodyFeed feed = BodyFeed::None;
    std::wstring bodyPath;
};

// Loads the DLL and registers its type library so that the objects'
// IDispatch can resolve names, then returns the source. Registration is idempotent and left in
// place. Null, after writing a FAIL line, when the DLL or the type library cannot be had.
std::unique_ptr<UploadSource> MakeUploadSource(const UploadSourceOptions& options);

// Writes a FAIL line and returns false when host references handed out to
// Upload objects are still held (the objects leaked them).
bool CheckHostReferencesReleased(UploadSource& source);
