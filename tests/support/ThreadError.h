// Reading back the error information that a failing call left for the
// calling thread, as a script host does after the call returns.
#pragma once

#include <windows.h>

#include <string>

struct ThreadError
{
    bool present = false;
    std::wstring description;
    bool hasSource = false;
    std::wstring source;
    GUID guid = {};
    bool hasHelpFile = false;
    DWORD helpContext = 0xFFFFFFFF;
};

// Takes (and so clears) the calling thread's error information.
ThreadError TakeThreadError();

// Clears the calling thread's error information.
void ClearThreadError();

// The ProgID that the registry holds for the Upload class, empty while the
// class is not registered: the source every report should then carry.
std::wstring RegisteredUploadProgId();
