// The wrappers in which an instance of an object class T lives, and the
// creators that make them:
//   CComObject<T>           a stand-alone instance with its own count;
//   CComAggObject<T>        an aggregated instance: its own IUnknown is the
//                           inner, non-delegating one that only the outer
//                           object holds, and it carries T as a
//   CComContainedObject<T>  whose IUnknown calls go to the outer object.
// Every wrapper holds one module lock from construction to destruction.
// These wrappers are the only place where instances are allocated and freed.
#pragma once

#include "server/Module.h"
#include "server/ObjectRoot.h"

#include <new>

// The lifetime shared by the stand-alone and the aggregated wrapper: the
// count (in `root`) takes the guard value, the module lock goes, then the
// object's teardown hook runs.
template <class Root, class Object>
void BeginWrapperDestruction(Root& root, Object& object) noexcept
{
    root.m_dwRef = kDestructionGuardCount;
    _Module.Unlock();
    object.FinalRelease();
}

// Drops one reference of a wrapper's own count and destroys the wrapper at 0.
template <class Wrapper> ULONG ReleaseWrapper(Wrapper* wrapper) noexcept
{
    const ULONG count = wrapper->InternalRelease();
    if (count == 0)
        delete wrapper;
    return count;
}

template <class T> class CComObject : public T
{
public:
    // The argument is the outer object of the creators' common signature;
    // a stand-alone instance has none.
    explicit CComObject(void* = nullptr) { _Module.Lock(); }
    virtual ~CComObject() { BeginWrapperDestruction(*this, *this); }
    CComObject(const CComObject&) = delete;
    CComObject& operator=(const CComObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return this->InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWrapper(this); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return this->_InternalQueryInterface(iid, ppv);
    }

    // Makes a stand-alone instance for internal use, with a count of 0: the
    // caller adds the first reference. E_OUTOFMEMORY, with *pp null, when
    // allocation or construction fails in any way.
    static HRESULT WINAPI CreateInstance(CComObject<T>** pp) noexcept
    {
        if (!pp)
            return E_POINTER;
        *pp = nullptr;
        try {
            *pp = new CComObject<T>();
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
};

template <class T> class CComContainedObject : public T
{
public:
    explicit CComContainedObject(void* outer)
    {
        this->m_pOuterUnknown = static_cast<IUnknown*>(outer);
    }
    CComContainedObject(const CComContainedObject&) = delete;
    CComContainedObject& operator=(const CComContainedObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return this->OuterAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return this->OuterRelease(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return this->OuterQueryInterface(iid, ppv);
    }

    IUnknown* GetControllingUnknown() noexcept { return this->m_pOuterUnknown; }
};

template <class T>
class CComAggObject : public IUnknown, public CComObjectRootEx<typename T::_ThreadModel>
{
public:
    explicit CComAggObject(void* outer) : m_contained(outer) { _Module.Lock(); }
    virtual ~CComAggObject() { BeginWrapperDestruction(*this, m_contained); }
    CComAggObject(const CComAggObject&) = delete;
    CComAggObject& operator=(const CComAggObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return this->InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWrapper(this); }
    // IUnknown is this inner object itself; every other interface is a
    // pointer into the contained part, whose references go to the outer
    // object.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (InlineIsEqualGUID(iid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return m_contained._InternalQueryInterface(iid, ppv);
    }

    CComContainedObject<T> m_contained;
};

// The common signature of instance creators: outer object (or null),
// interface ID, out pointer.
using InstanceCreatorFunc = HRESULT(WINAPI*)(void* outer, REFIID iid, void** ppv);

// Makes one T1 (a CComObject<T> or CComAggObject<T>) and asks it for iid.
// If that fails the new object is destroyed again, releasing its module lock.
template <class T1> class CComCreator
{
public:
    static HRESULT WINAPI CreateInstance(void* outer, REFIID iid, void** ppv) noexcept
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        T1* p = nullptr;
        try {
            p = new T1(outer);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        const HRESULT hr = p->QueryInterface(iid, ppv);
        if (hr != S_OK) {
            *ppv = nullptr;
            delete p;
        }
        return hr;
    }
};

// Stand-alone without an outer object, aggregated with one.
template <class T1, class T2> class CComCreator2
{
public:
    static HRESULT WINAPI CreateInstance(void* outer, REFIID iid, void** ppv) noexcept
    {
        return outer ? T2::CreateInstance(outer, iid, ppv) : T1::CreateInstance(nullptr, iid, ppv);
    }
};
