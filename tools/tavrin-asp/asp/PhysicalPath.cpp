// The mapping of a page's virtual paths (the page itself, its includes,
// Request.ServerVariables' PATH_TRANSLATED, Server.MapPath) to files under
// the served folder. The rule is the request path's; this only joins.
#include "asp/PhysicalPath.h"

#include "common/CodePageText.h"
#include "core/RequestPath.h"

#include <windows.h>

bool PhysicalPath(const std::wstring& root, const std::string& virtualPath, std::wstring& path)
{
    path.clear();
    std::string relative;
    if (!MapVirtualPath(virtualPath, relative))
        return false;
    if (!relative.empty() && relative.back() == '/')
        relative.pop_back();
    path = root;
    if (relative.empty())
        return true;
    path += L'\\';
    for (wchar_t c : WidenBytes(relative, CP_UTF8))
        path += c == L'/' ? L'\\' : c;
    return true;
}
