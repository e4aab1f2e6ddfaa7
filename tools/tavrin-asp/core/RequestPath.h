// Maps a request path to a file under the served folder, refusing every
// path that could leave it, and names the content type of static files.
// Platform-neutral: the result is a relative path with '/' separators that
// the host joins to its folder.
#pragma once

#include <string>
#include <string_view>

// Percent-decodes encodedPath (the request target before '?') and returns
// true with relative set to the '/'-separated path below the served folder
// ("" for the folder itself; a trailing '/' kept as written so the caller
// can tell a folder request). Refused (false): not starting with '/', any
// "." or ".." segment (also when encoded), a backslash, a ':' (drive letters,
// alternate streams), a NUL or control byte, a character Windows refuses in
// names (* ? " < > |), an empty segment ("//"), a segment ending in a dot or
// a space, a reserved device name (CON, NUL, COM1, LPT1, ... with any
// extension), an encoded '/' ("%2f", which would make new segments), and
// bytes that are not valid UTF-8. Each segment is decoded once and judged
// after decoding; '+' stays a plus. relative is "" whenever false.
bool MapRequestPath(std::string_view encodedPath, std::string& relative);

// The Content-Type of a static file by its extension in any letter case
// (".html" -> "text/html", ...); "application/octet-stream" when unknown.
std::string ContentTypeFor(std::string_view fileName);
