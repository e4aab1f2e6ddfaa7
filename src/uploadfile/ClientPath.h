// SplitClientPath takes the file name that a browser sent for an upload
// (often the client's full path, in Windows or Unix form) and keeps only the
// last path component, split at its last dot into a base name and an
// extension. The item's FileName and FileExt properties report these parts.
// Platform-neutral.
#pragma once

#include "util/Platform.h"

#include <cstddef>

// Each part is kept in a fixed buffer of this many units, zero-terminated, so
// at most 255 units are used.
constexpr size_t kClientPathPartUnits = 256;

// Splits zero-terminated text into base name and extension (the extension
// keeps its leading dot; it is empty when the last component has no dot).
// A leading \\?\ is skipped, then a drive ("C:"); the last component starts
// after the last backslash or slash. Returns false, with both parts empty,
// when the directory, the base name or the extension would need more than
// 255 units. Null text splits into two empty parts.
bool SplitClientPath(LPCWSTR text, WCHAR (&baseName)[kClientPathPartUnits],
                     WCHAR (&extension)[kClientPathPartUnits]);
