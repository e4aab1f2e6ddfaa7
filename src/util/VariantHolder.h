// VariantHolder owns one VARIANT: initialised empty, cleared with
// VariantClear when it goes. Move-only; Detach hands the value to an out
// parameter without copying.
#pragma once

#include <windows.h>

#include <oleauto.h>

class VariantHolder
{
public:
    VariantHolder() noexcept { VariantInit(&m_var); }
    ~VariantHolder() { Clear(); }

    VariantHolder(VariantHolder&& other) noexcept : m_var(other.m_var)
    {
        VariantInit(&other.m_var);
    }
    VariantHolder& operator=(VariantHolder&& other) noexcept
    {
        if (this != &other) {
            Clear();
            m_var = other.m_var;
            VariantInit(&other.m_var);
        }
        return *this;
    }
    VariantHolder(const VariantHolder&) = delete;
    VariantHolder& operator=(const VariantHolder&) = delete;

    void Clear() noexcept { VariantClear(&m_var); }

    // Moves the value into *out (which must not hold anything) and leaves
    // this holder empty.
    void Detach(VARIANT* out) noexcept
    {
        *out = m_var;
        VariantInit(&m_var);
    }

    VARIANT* Get() noexcept { return &m_var; }
    const VARIANT* Get() const noexcept { return &m_var; }
    VARIANT* operator->() noexcept { return &m_var; }
    const VARIANT* operator->() const noexcept { return &m_var; }

private:
    VARIANT m_var;
};
