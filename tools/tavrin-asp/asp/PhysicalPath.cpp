// The mapping of a page's virtual paths (the page itself, its includes,
// Request.ServerVariables' PATH_TRANSLATED) to files under the served folder.
#include "asp/PhysicalPath.h"

#include "asp/CodePageText.h"

#include <windows.h>

bool PhysicalPath(const std::wstring& root, const std::string& virtualPath, std::wstring& path)
{
    if (virtualPath.empty() || virtualPath[0] != '/')
        return false;
    path = root;
    size_t start = 1;
    while (start <= virtualPath.size()) {
        size_t end = virtualPath.find('/', start);
        if (end == std::string::npos)
            end = virtualPath.size();
        const std::string segment = virtualPath.substr(start, end - start);
        if (segment == "." || segment == ".." || segment.find_first_of("\\:") != std::string::npos)
            return false;
        if (!segment.empty())
            path += L"\\" + WidenBytes(segment, CP_UTF8);
        start = end + 1;
    }
    return true;
}
