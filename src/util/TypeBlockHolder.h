// TypeBlockHolder holds one description block that a type description or a
// type library hands out (GetTypeAttr, GetFuncDesc, GetLibAttr) and gives it
// back to its owner when it goes. Not copyable; the owner must outlive it.
#pragma once

#include <windows.h>

#include <oaidl.h>

template <class Owner, class Block, void (STDMETHODCALLTYPE Owner::*ReleaseBlock)(Block*)>
class TypeBlockHolder
{
public:
    explicit TypeBlockHolder(Owner* owner) noexcept : m_owner(owner) {}
    ~TypeBlockHolder()
    {
        if (m_block)
            (m_owner->*ReleaseBlock)(m_block);
    }
    TypeBlockHolder(const TypeBlockHolder&) = delete;
    TypeBlockHolder& operator=(const TypeBlockHolder&) = delete;

    // For the owner's Get... call; the holder must be empty.
    Block** Put() noexcept { return &m_block; }
    Block* Get() const noexcept { return m_block; }
    Block* operator->() const noexcept { return m_block; }
    explicit operator bool() const noexcept { return m_block != nullptr; }

private:
    Owner* m_owner;
    Block* m_block = nullptr;
};

using TypeAttrHolder = TypeBlockHolder<ITypeInfo, TYPEATTR, &ITypeInfo::ReleaseTypeAttr>;
using FuncDescHolder = TypeBlockHolder<ITypeInfo, FUNCDESC, &ITypeInfo::ReleaseFuncDesc>;
using LibAttrHolder = TypeBlockHolder<ITypeLib, TLIBATTR, &ITypeLib::ReleaseTLibAttr>;
