// UniqueHandle owns one handle of a kind that its traits name (the value
// that means "none" and the call that closes it) and closes it when it goes;
// move-only. The library uses it for files (HandleHolder) and loaded modules
// (ModuleHolder); registry keys are held through the registrar's RegKeyRef.
#pragma once

#include <windows.h>

#include <utility>

template <class H, class Traits> class UniqueHandle
{
public:
    UniqueHandle() noexcept : m_handle(Traits::Invalid()) {}
    explicit UniqueHandle(H handle) noexcept : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    void Reset(H handle = Traits::Invalid()) noexcept
    {
        H old = std::exchange(m_handle, handle);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }
    // Closes a held handle and returns the platform's result of closing, for
    // callers that must see a failed close.
    auto Close() noexcept { return Traits::Close(Detach()); }
    H Detach() noexcept { return std::exchange(m_handle, Traits::Invalid()); }
    H Get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != Traits::Invalid(); }
    H* ReleaseAndGetAddressOf() noexcept
    {
        Reset();
        return &m_handle;
    }

private:
    H m_handle;
};

struct FileHandleTraits
{
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static BOOL Close(HANDLE h) noexcept { return CloseHandle(h); }
};
struct ModuleTraits
{
    static HMODULE Invalid() noexcept { return nullptr; }
    static BOOL Close(HMODULE h) noexcept { return FreeLibrary(h); }
};

// A file handle from CreateFileW, where failure is INVALID_HANDLE_VALUE.
using HandleHolder = UniqueHandle<HANDLE, FileHandleTraits>;
using ModuleHolder = UniqueHandle<HMODULE, ModuleTraits>;
