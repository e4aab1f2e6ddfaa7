// What the page runner and the program ask of a file on disk: its whole
// content, a stamp that changes when the file does, and its identity.
#pragma once

#include <cstdint>
#include <string>

// The whole content of a file; false when it cannot be read.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);
// The modification time of a file (mixed with its size); 0 when it does not
// exist or is a folder.
uint64_t FileStamp(const std::wstring& path);

// The same file by whatever path names it (any letter case, an 8.3 alias, a
// hard link): its volume and its index on that volume.
struct FileIdentity
{
    uint32_t volume = 0;
    uint64_t index = 0;
    bool operator<(const FileIdentity& other) const
    {
        return volume != other.volume ? volume < other.volume : index < other.index;
    }
};
// False when the file cannot be opened.
bool IdentifyFile(const std::wstring& path, FileIdentity& identity);
