// ComPtr<T> holds one counted reference to an interface and releases it when
// it goes. A copy adds a reference of its own, a move hands the reference
// over; Attach/Detach hand references over without counting, and the
// address-of accessor releases first, for out parameters.
#pragma once

#include <windows.h>

#include <unknwn.h>
#include <utility>

template <class T> class ComPtr
{
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Adds a reference of its own.
    explicit ComPtr(T* p) noexcept : m_ptr(p)
    {
        if (m_ptr)
            m_ptr->AddRef();
    }
    ~ComPtr() { Reset(); }

    ComPtr(const ComPtr& other) noexcept : ComPtr(other.m_ptr) {}
    ComPtr& operator=(const ComPtr& other) noexcept
    {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr(ComPtr&& other) noexcept : m_ptr(other.Detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }

    // Takes over a reference that p already carries.
    void Attach(T* p) noexcept
    {
        Reset();
        m_ptr = p;
    }
    T* Detach() noexcept { return std::exchange(m_ptr, nullptr); }
    void Reset() noexcept
    {
        if (T* p = std::exchange(m_ptr, nullptr))
            p->Release();
    }
    void Swap(ComPtr& other) noexcept { std::swap(m_ptr, other.m_ptr); }

    T* Get() const noexcept { return m_ptr; }
    T* operator->() const noexcept { return m_ptr; }
    explicit operator bool() const noexcept { return m_ptr != nullptr; }

    T** ReleaseAndGetAddressOf() noexcept
    {
        Reset();
        return &m_ptr;
    }

    // QueryInterface into another holder.
    template <class U> HRESULT As(ComPtr<U>* out) const noexcept
    {
        if (!m_ptr)
            return E_POINTER;
        return m_ptr->QueryInterface(__uuidof(U),
                                     reinterpret_cast<void**>(out->ReleaseAndGetAddressOf()));
    }

    // Hands one new reference to an out parameter.
    HRESULT CopyTo(T** out) const noexcept
    {
        if (!out)
            return E_POINTER;
        *out = m_ptr;
        if (m_ptr)
            m_ptr->AddRef();
        return S_OK;
    }

private:
    T* m_ptr = nullptr;
};
