// The root of every object of the frame: the reference-count record
// (CComObjectRootBase), the two thread models that say how counts change, the
// per-class root CComObjectRootEx<ThreadModel>, and the interface map that
// answers QueryInterface.
//
// An interface map is a static table of (interface ID, offset from the
// class's start) pairs, ended by a null entry, declared inside the class:
//
//     BEGIN_COM_MAP(CComUploadFile)
//         COM_INTERFACE_ENTRY(IUploadFile)
//         COM_INTERFACE_ENTRY2(IDispatch, IUploadFile)
//     END_COM_MAP()
//
// The first entry also answers IUnknown. The wrappers in ComObject.h and
// ClassFactory.h supply QueryInterface, AddRef and Release on top of it.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include "server/CriticalSection.h"

// The value a count is set to while an object is being destroyed: a reference
// added and dropped during teardown cannot bring it back to 0.
constexpr LONG kDestructionGuardCount = -(LONG_MAX / 2);

// No lock at all: an instance is used by one thread at a time.
class CComFakeCriticalSection
{
public:
    void Lock() noexcept {}
    void Unlock() noexcept {}
};

class CComSingleThreadModel
{
public:
    static ULONG Increment(LONG* p) noexcept { return ++*p; }
    static ULONG Decrement(LONG* p) noexcept { return --*p; }
    using CriticalSection = CComFakeCriticalSection;
};

class CComMultiThreadModel
{
public:
    static ULONG Increment(LONG* p) noexcept { return InterlockedIncrement(p); }
    static ULONG Decrement(LONG* p) noexcept { return InterlockedDecrement(p); }
    using CriticalSection = ::CriticalSection;
};

// One row of an interface map.
struct InterfaceMapEntry
{
    const IID* iid; // null ends the map
    DWORD_PTR offset;
};

class CComObjectRootBase
{
public:
    CComObjectRootBase() noexcept : m_dwRef(0) {}

    // Teardown hook of an object class, run by the wrapper's destructor while
    // the wrapper's IUnknown is still whole and the count holds the guard
    // value, so that the teardown may add and drop references to itself.
    // A class that needs one declares its own FinalRelease.
    void FinalRelease() noexcept {}

    // The interface-map walk. pThis is the start of the class that owns the
    // map; the answer is pThis plus the entry's offset, with one reference
    // added through the answer.
    static HRESULT InternalQueryInterface(void* pThis, const InterfaceMapEntry* map, REFIID iid,
                                          void** ppv) noexcept
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        const InterfaceMapEntry* found = nullptr;
        if (InlineIsEqualGUID(iid, IID_IUnknown)) {
            found = map;
        } else {
            for (const InterfaceMapEntry* e = map; e->iid; ++e) {
                if (InlineIsEqualGUID(iid, *e->iid)) {
                    found = e;
                    break;
                }
            }
        }
        if (!found || !found->iid)
            return E_NOINTERFACE;
        auto* unknown = reinterpret_cast<IUnknown*>(static_cast<BYTE*>(pThis) + found->offset);
        unknown->AddRef();
        *ppv = unknown;
        return S_OK;
    }

    // Used by the contained part of an aggregate, whose record holds the
    // outer object instead of a count.
    ULONG OuterAddRef() noexcept { return m_pOuterUnknown->AddRef(); }
    ULONG OuterRelease() noexcept { return m_pOuterUnknown->Release(); }
    HRESULT OuterQueryInterface(REFIID iid, void** ppv) noexcept
    {
        return m_pOuterUnknown->QueryInterface(iid, ppv);
    }

    // The reference count of a stand-alone or aggregated wrapper and of a
    // class object; the outer object's IUnknown in the contained part of an
    // aggregate. The union is pointer-sized, so the outer pointer is whole
    // on 64-bit systems.
    union {
        LONG m_dwRef;
        IUnknown* m_pOuterUnknown;
    };
};

static_assert(sizeof(CComObjectRootBase) == sizeof(void*),
              "the count word must be able to hold the outer object's pointer");

template <class ThreadModel> class CComObjectRootEx : public CComObjectRootBase
{
public:
    using _ThreadModel = ThreadModel;

    ULONG InternalAddRef() noexcept { return ThreadModel::Increment(&m_dwRef); }
    ULONG InternalRelease() noexcept { return ThreadModel::Decrement(&m_dwRef); }

    // The object's own lock: a critical section under the multi-thread
    // model, nothing under the single-thread one.
    typename ThreadModel::CriticalSection m_critsec;
};

// Offset of base class `base` inside class `derived`.
#define TU_OFFSET_OF_BASE(base, derived)                                                           \
    (reinterpret_cast<DWORD_PTR>(static_cast<base*>(reinterpret_cast<derived*>(8))) - 8)

#define BEGIN_COM_MAP(x)                                                                           \
public:                                                                                            \
    using _ComMapClass = x;                                                                        \
    HRESULT _InternalQueryInterface(REFIID iid, void** ppv) noexcept                               \
    {                                                                                              \
        return InternalQueryInterface(this, _GetEntries(), iid, ppv);                              \
    }                                                                                              \
    IUnknown* GetUnknown() noexcept                                                                \
    {                                                                                              \
        return reinterpret_cast<IUnknown*>(reinterpret_cast<BYTE*>(this) + _GetEntries()->offset); \
    }                                                                                              \
    static const InterfaceMapEntry* _GetEntries() noexcept                                         \
    {                                                                                              \
        static const InterfaceMapEntry entries[] = {

// An interface that the class derives from.
#define COM_INTERFACE_ENTRY(itf) {&__uuidof(itf), TU_OFFSET_OF_BASE(itf, _ComMapClass)},

// An interface reached through one of the class's bases (for IDispatch of a
// dual interface).
#define COM_INTERFACE_ENTRY2(itf, through)                                                         \
    {&__uuidof(itf), reinterpret_cast<DWORD_PTR>(static_cast<itf*>(                                \
                         static_cast<through*>(reinterpret_cast<_ComMapClass*>(8)))) -             \
                         8},

#define END_COM_MAP()                                                                              \
    {                                                                                              \
        nullptr, 0                                                                                 \
    }                                                                                              \
    }                                                                                              \
    ;                                                                                              \
    return entries;                                                                                \
    }
