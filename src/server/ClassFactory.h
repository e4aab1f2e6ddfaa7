// Class objects: CComClassFactory, which makes instances through the class's
// instance creator, its cached wrapper CComObjectCached, the creator of that
// wrapper, and CComCoClass, from which each object class takes its creators.
//
// The module holds one reference to each cached class object. That reference
// does not keep the library loaded; every further reference (a client's)
// does, through the module lock taken when the count rises to 2.
#pragma once

#include "server/ComObject.h"

class CComClassFactory : public IClassFactory, public CComObjectRootEx<CComMultiThreadModel>
{
public:
    BEGIN_COM_MAP(CComClassFactory)
    COM_INTERFACE_ENTRY(IClassFactory)
    END_COM_MAP()

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

    void SetVoid(InstanceCreatorFunc creator) noexcept { m_creator = creator; }

    InstanceCreatorFunc m_creator = nullptr;
};

// A class object wrapper whose first reference (the module's cache) does not
// lock the module.
template <class Base> class CComObjectCached : public Base
{
public:
    explicit CComObjectCached(void* = nullptr) {}
    // The critical section is deleted by its own destructor after this body.
    virtual ~CComObjectCached() { this->m_dwRef = kDestructionGuardCount; }
    CComObjectCached(const CComObjectCached&) = delete;
    CComObjectCached& operator=(const CComObjectCached&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override
    {
        const ULONG count = this->InternalAddRef();
        if (count == 2)
            _Module.Lock();
        return count;
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG count = this->InternalRelease();
        if (count == 0)
            delete this;
        else if (count == 1)
            _Module.Unlock();
        return count;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        return this->_InternalQueryInterface(iid, ppv);
    }
};

// Signature of class-object creators: the instance creator that the class
// object will use, interface ID, out pointer.
using ClassObjectCreatorFunc = HRESULT(WINAPI*)(InstanceCreatorFunc creator, REFIID iid,
                                                void** ppv);

// Makes the cached class object of one class. The reference it hands out is
// the one the module keeps.
class CComClassFactoryCreator
{
public:
    static HRESULT WINAPI CreateInstance(InstanceCreatorFunc creator, REFIID iid,
                                         void** ppv) noexcept;
};

// Base of each object class: the class ID and the creators the object map
// uses for it.
template <class T, const CLSID* pclsid> class CComCoClass
{
public:
    using _ClassFactoryCreatorClass = CComClassFactoryCreator;
    using _CreatorClass = CComCreator2<CComCreator<CComObject<T>>, CComCreator<CComAggObject<T>>>;

    static const CLSID& WINAPI GetObjectCLSID() noexcept { return *pclsid; }
};
