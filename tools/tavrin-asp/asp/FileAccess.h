// The two things the page runner and the program ask of a file on disk: its
// whole content, and a stamp that changes when the file does.
#pragma once

#include <cstdint>
#include <string>

// The whole content of a file; false when it cannot be read.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);
// The modification time of a file (mixed with its size); 0 when it does not
// exist or is a folder.
uint64_t FileStamp(const std::wstring& path);
