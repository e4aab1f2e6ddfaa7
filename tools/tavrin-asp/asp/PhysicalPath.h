// Virtual paths of the served folder ("/a/b.asp") as Windows paths.
#pragma once

#include <string>

// The Windows path of a virtual path under root ("/a/b.inc" ->
// root\a\b.inc); false for a path with "." or ".." segments, backslashes or
// a drive.
bool PhysicalPath(const std::wstring& root, const std::string& virtualPath, std::wstring& path);
