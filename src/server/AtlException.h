// CAtlException: the frame's exception object. It carries one status code
// and is raised by code that cannot return one, such as an object class's
// constructor (E_OUTOFMEMORY when a buffer cannot grow, E_INVALIDARG on a bad
// argument or a size computation that overflows, E_FAIL otherwise). The
// creators of objects and class objects catch it, like any exception, and
// report E_OUTOFMEMORY; no CAtlException ever crosses a component boundary.
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
