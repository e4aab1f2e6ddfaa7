// Checks the save-target rule against a model of what Windows makes of a
// file name: it drops trailing dots and spaces, reads a colon as the start
// of a stream name, refuses control characters and < > " | ? *, and opens a
// device for a reserved name before the first dot. A name that Windows would store differently, or
// in a device, must never be accepted; one that it keeps as it is must never be refused.
#include "uploadfile/SaveTarget.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Name = std::basic_string<WCHAR>;

Name LastComponent(const Name& path)
{
    Name rest = path;
    if (rest.size() >= 2 && rest[1] == ':' &&
        ((rest[0] >= 'a' && rest[0] <= 'z') || (rest[0] >= 'A' && rest[0] <= 'Z')))
        rest.erase(0, 2);
    const size_t separator = rest.find_last_of(Name{'\\', '/'});
    return separator == Name::npos ? rest : rest.substr(separator + 1);
}

bool IsDevice(Name name)
{
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    for (WCHAR& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<WCHAR>(c - 32);
    }
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices) {
        if (name == Name(device, device + std::strlen(device)))
            return true;
    }
    const Name port = name.substr(0, 3);
    const WCHAR digit = name.size() == 4 ? name[3] : 0;
    return (port == Name{'C', 'O', 'M'} || port == Name{'L', 'P', 'T'}) &&
           ((digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

bool WindowsWouldChange(const Name& name)
{
    if (name.empty())
        return false;
    for (WCHAR c : name) {
        if (c < 0x20 || Name{':', '<', '>', '"', '|', '?', '*'}.find(c) != Name::npos)
            return true;
    }
    return name.back() == '.' || name.back() == ' ' || IsDevice(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Name path(size / 2, 0);
    std::memcpy(&path[0], data, size / 2 * 2);
    if (IsRefusedSaveTarget(path.data(), path.size()) != WindowsWouldChange(LastComponent(path)))
        std::abort();
    return 0;
}
