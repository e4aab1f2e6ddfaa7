// SafeArrayHolder owns one SAFEARRAY and destroys it when it goes;
// SafeArrayDataLock keeps an array's data locked for the life of a scope.
// Both are move-only.
#pragma once

#include <windows.h>

#include <oleauto.h>
#include <utility>

class SafeArrayHolder
{
public:
    SafeArrayHolder() = default;
    explicit SafeArrayHolder(SAFEARRAY* array) noexcept : m_array(array) {}
    ~SafeArrayHolder() { Reset(); }

    SafeArrayHolder(SafeArrayHolder&& other) noexcept : m_array(other.Detach()) {}
    SafeArrayHolder& operator=(SafeArrayHolder&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_array = other.Detach();
        }
        return *this;
    }
    SafeArrayHolder(const SafeArrayHolder&) = delete;
    SafeArrayHolder& operator=(const SafeArrayHolder&) = delete;

    void Reset() noexcept
    {
        if (SAFEARRAY* array = std::exchange(m_array, nullptr))
            SafeArrayDestroy(array);
    }
    SAFEARRAY* Detach() noexcept { return std::exchange(m_array, nullptr); }
    SAFEARRAY* Get() const noexcept { return m_array; }
    explicit operator bool() const noexcept { return m_array != nullptr; }

private:
    SAFEARRAY* m_array = nullptr;
};

class SafeArrayDataLock
{
public:
    // Check Data() (or Status()) before use: a failed lock leaves it null.
    explicit SafeArrayDataLock(SAFEARRAY* array) noexcept : m_array(array)
    {
        m_status = m_array ? SafeArrayAccessData(m_array, &m_data) : E_INVALIDARG;
        if (FAILED(m_status))
            m_data = nullptr;
    }
    // A lock that succeeded is undone even when the array had no data
    // (elements but a null data pointer): a locked array cannot be destroyed.
    ~SafeArrayDataLock()
    {
        if (SUCCEEDED(m_status))
            SafeArrayUnaccessData(m_array);
    }
    SafeArrayDataLock(const SafeArrayDataLock&) = delete;
    SafeArrayDataLock& operator=(const SafeArrayDataLock&) = delete;

    HRESULT Status() const noexcept { return m_status; }
    void* Data() const noexcept { return m_data; }

private:
    SAFEARRAY* m_array;
    void* m_data = nullptr;
    HRESULT m_status;
};
