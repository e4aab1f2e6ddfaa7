// SaveBytesToFile: see SaveToFile.h. The path goes to the platform as given
// (relative paths resolve against the process's current directory, missing
// directories are not created); the temporary file lives beside the target
// so that the final rename never crosses volumes.
#include "uploadfile/SaveToFile.h"

#include "uploadfile/SaveTarget.h"
#include "util/Handles.h"

#include <atomic>
#include <cwchar>
#include <new>
#include <string>

namespace {

// The folder part of path, with its trailing separator or drive designator;
// empty for a bare file name.
std::wstring FolderOf(const std::wstring& path)
{
    size_t end = (path.size() >= 2 && path[1] == L':') ? 2 : 0;
    const size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos && separator + 1 > end)
        end = separator + 1;
    return path.substr(0, end);
}

// Deletes the temporary file it names when it goes, unless the save kept it.
class TemporaryFile
{
public:
    TemporaryFile() = default;
    ~TemporaryFile()
    {
        if (!m_path.empty())
            DeleteFileW(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates a new, unshared file under a name of its own in folder.
    HandleHolder Create(const std::wstring& folder)
    {
        static std::atomic<unsigned> s_counter{0};
        for (int attempt = 0; attempt < 8; ++attempt) {
            wchar_t name[48];
            swprintf(name, 48, L"~tavrin-%lx-%x.tmp", GetCurrentProcessId(),
                     s_counter.fetch_add(1));
            std::wstring candidate = folder + name;
            HandleHolder file(CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file) {
                m_path = std::move(candidate);
                return file;
            }
            if (GetLastError() != ERROR_FILE_EXISTS)
                break;
        }
        return HandleHolder();
    }
    const std::wstring& Path() const noexcept { return m_path; }
    void Keep() noexcept { m_path.clear(); }

private:
    std::wstring m_path;
};

// A write that the platform reports as done but shorter than asked still
// lost data.
bool WriteAll(WriteFileCall write, HANDLE file, const uint8_t* data, int32_t size)
{
    for (int32_t offset = 0; offset < size;) {
        const DWORD chunk = static_cast<DWORD>(size - offset) < kSaveChunkBytes
                                ? static_cast<DWORD>(size - offset)
                                : kSaveChunkBytes;
        DWORD written = 0;
        if (!write(file, data + offset, chunk, &written, nullptr) || written != chunk)
            return false;
        offset += static_cast<int32_t>(chunk);
    }
    return true;
}

bool SaveThroughTemporary(WriteFileCall write, const std::wstring& target, const uint8_t* data,
                          int32_t size, bool overwrite)
{
    TemporaryFile temporary;
    HandleHolder file = temporary.Create(FolderOf(target));
    if (!file)
        return false;
    const bool written = WriteAll(write, file.Get(), data, size);
    // A close that fails may have lost buffered data.
    const bool closed = file.Close() != FALSE;
    if (!written || !closed)
        return false;
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (overwrite ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(temporary.Path().c_str(), target.c_str(), flags))
        return false;
    temporary.Keep();
    return true;
}

} // namespace

bool SaveBytesToFile(LPCWSTR path, const uint8_t* data, int32_t size, bool overwrite)
{
    return SaveBytesToFileWith(WriteFile, path, data, size, overwrite);
}

bool SaveBytesToFileWith(WriteFileCall write, LPCWSTR path, const uint8_t* data, int32_t size,
                         bool overwrite)
{
    if (!path || !data || size < 0)
        return false;
    const size_t length = wcslen(path);
    if (length == 0 || IsRefusedSaveTarget(path, length))
        return false;
    // Without overwrite an existing target ends the save before anything
    // is written; the final rename refuses one that appears meanwhile.
    if (!overwrite && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    try {
        return SaveThroughTemporary(write, path, data, size, overwrite);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
