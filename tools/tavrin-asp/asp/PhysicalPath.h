// Virtual paths of the served folder ("/a/b.asp") as Windows paths.
#pragma once

#include <string>

// The Windows path of a decoded virtual path under root ("/a/b.inc" ->
// root\a\b.inc, "/" -> root). False, with path empty, for every path the
// host's one mapping rule refuses (MapVirtualPath): dot segments, empty
// segments, backslashes, drives and streams, device names, names Windows
// would shorten, bytes that are not UTF-8.
bool PhysicalPath(const std::wstring& root, const std::string& virtualPath, std::wstring& path);
