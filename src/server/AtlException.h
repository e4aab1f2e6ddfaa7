// CAtlException: the frame's exception object. It carries one status code
// and is raised by helper code that cannot return one (E_OUTOFMEMORY when a
// buffer cannot grow, E_INVALIDARG on a bad argument or a size computation
// that overflows, E_FAIL otherwise). Only the guarded allocations of the
// frame catch it: object and class-object creation, the name cache and the
// module's termination list, each of which then reports E_OUTOFMEMORY. No
// CAtlException ever crosses a component boundary.
#pragma once

#include <windows.h>

class CAtlException
{
public:
    explicit CAtlException(HRESULT hr = E_FAIL) noexcept : m_hr(hr) {}
    operator HRESULT() const noexcept { return m_hr; }

    HRESULT m_hr;
};

[[noreturn]] inline void AtlThrow(HRESULT hr)
{
    throw CAtlException(hr);
}
