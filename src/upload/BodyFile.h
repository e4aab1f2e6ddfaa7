// The two file operations that native callers (the command-line tool, tests)
// use on an Upload object and that scripts cannot reach: loading a stored
// request body from a file, and writing a byte array or a string to a new
// file. Both open their file with no sharing. Windows only.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <cstdint>

class CUploadBody;

// Makes body hold the whole existing file at path, in a buffer of exactly
// its size. Failures are HRESULT_FROM_WIN32 of the platform's error (a
// positive error number would pass every FAILED() test of a caller), and
// HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE) for a file of 2 GiB or more,
// since a body length is a signed 32-bit count. After a failure the body
// holds nothing.
HRESULT ReadBodyFile(LPCWSTR path, CUploadBody& body);

// Creates the new file path (an existing file makes this fail and stays as
// it was) and writes value into it:
//   VT_ARRAY | VT_UI1: the bytes of its first dimension;
//   VT_BSTR: 0xFF 0xFE, the string's UTF-16 units, then one zero unit;
//   VT_BYREF | VT_VARIANT: the referenced value (a null reference is E_POINTER);
//   any other type: nothing.
// created reports whether the file was made, so that the caller can report
// a failed creation with its own message. A failed write returns its failure
// status; the file keeps what was written before.
HRESULT WriteVariantToNewFile(LPCWSTR path, const VARIANT& value, bool& created);
