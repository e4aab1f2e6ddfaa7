// The one rule for file names that Windows would read as something other
// than a plain name in its folder. Windows drops trailing dots and spaces
// ("shell.asp." is stored as "shell.asp"), reads "name:stream" as an
// alternate data stream of "name" (and "X:" as a drive), refuses the
// wildcard and quoting characters and control characters, and opens a
// device for a reserved name before the first dot whatever extension
// follows. The DLL's save targets, the files tavrin-upload extracts and the
// request paths tavrin-asp maps are all judged here. Platform-neutral: it
// includes no platform header.
#pragma once

#include <string_view>

enum class NameHazard
{
    None,
    // '/' or '\\': the name would be a path.
    Separator,
    // U+0000-U+001F.
    ControlCharacter,
    // One of < > " | ? *, which Windows does not allow in a name.
    ReservedCharacter,
    // ':' names a drive or an alternate data stream.
    Colon,
    TrailingDotOrSpace,
    DeviceName,
};

// The hazard of one path component: that of its first character that is
// one, else a trailing dot or space, else a device name; None when Windows
// keeps the name as it is. An empty name is
// None: callers that must refuse it say so themselves.
NameHazard FindNameHazard(std::u16string_view name) noexcept;

// The same for a UTF-8 name. Bytes that are not UTF-8 are judged by no
// rule here (a caller that needs valid UTF-8 checks that itself).
NameHazard FindNameHazard(std::string_view utf8Name) noexcept;

// True when the part of name before its first dot, trailing spaces
// ignored, is a device name in any letter case: CON, PRN, AUX, NUL,
// CONIN$, CONOUT$, COM0-COM9 and LPT0-LPT9, COM and LPT also with the
// superscript digits U+00B9, U+00B2 and U+00B3. The list is a superset of
// what the platform's own path functions call a device, so that no version
// of Windows opens a device for a name this accepts.
bool IsDeviceName(std::u16string_view name) noexcept;
bool IsDeviceName(std::string_view utf8Name) noexcept;

#if defined(_WIN32)
// Windows' wide characters are UTF-16 code units.
inline NameHazard FindNameHazard(std::wstring_view name) noexcept
{
    return FindNameHazard(
        std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size()));
}
inline bool IsDeviceName(std::wstring_view name) noexcept
{
    return IsDeviceName(
        std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size()));
}
#endif
