// SaveBytesToFile: see SaveToFile.h. One CreateFileW, one WriteFile, one
// close; the path goes to the platform unchanged (relative paths resolve
// against the process's current directory, missing directories are not
// created).
#include "uploadfile/SaveToFile.h"

#include "util/Handles.h"

bool SaveBytesToFile(LPCWSTR path, const uint8_t* data, int32_t size, bool overwrite)
{
    return SaveBytesToFileWith(WriteFile, path, data, size, overwrite);
}

bool SaveBytesToFileWith(WriteFileCall write, LPCWSTR path, const uint8_t* data, int32_t size,
                         bool overwrite)
{
    if (!path || !data || size < 0)
        return false;
    HandleHolder file(CreateFileW(path, GENERIC_WRITE, 0, nullptr,
                                  overwrite ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    const BOOL wrote = write(file.Get(), data, static_cast<DWORD>(size), &written, nullptr);
    // A write that the platform reports as done but shorter than asked still
    // lost data, and so does a close that fails to flush it.
    const BOOL closed = file.Close();
    return wrote && written == static_cast<DWORD>(size) && closed;
}
