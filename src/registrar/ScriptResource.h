// The text of a registry script kept as a resource of a module: its 8-bit
// bytes converted under the conversion code page, as registration reads
// them. Besides registration, the package build reads the scripts this way
// to turn them into installer rows.
#pragma once

#include <windows.h>

#include <vector>

// Fills `text` with the zero-terminated script of the given resource name
// (or MAKEINTRESOURCE number) and type from `module`, which may be mapped as
// a data file.
HRESULT LoadScriptResourceText(HMODULE module, LPCWSTR resource, LPCWSTR type,
                               std::vector<WCHAR>* text);
