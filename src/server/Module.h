// CComModule: the one module object of the library. It counts what keeps
// the library loaded (live objects, client references to class objects,
// server locks), keeps the termination list that releases process-wide state
// when the library unloads, and owns the re-entrant critical section that
// guards that list and the loading of type information.
//
// The process-wide instance is the global `_Module`, constructed with the
// library's static data (before the first load notification) and destroyed
// after the unload notification; every part of the frame reaches it by that
// name. Other instances exist only in tests.
//
// Its registration operations are virtual, so that the registry scripts run
// through the module that owns the object map; they forward to the
// registrar's functions.
#pragma once

#include <windows.h>

#include "server/CriticalSection.h"

#include <memory>

struct IGlobalInterfaceTable;
struct IRegistrarBase;
struct ObjectMapEntry;

class CComModule
{
public:
    // A termination callback and the pointer-sized context it is given.
    using TermFunc = void(WINAPI*)(DWORD_PTR context);

    CComModule() noexcept;
    // Repeats teardown, which does nothing if it has already run.
    virtual ~CComModule();
    CComModule(const CComModule&) = delete;
    CComModule& operator=(const CComModule&) = delete;

    // Atomic; each returns the new count.
    virtual LONG Lock() noexcept;
    virtual LONG Unlock() noexcept;
    virtual LONG GetLockCount() noexcept;

    // Kept for the layout of the operation table; the library hands out no
    // interfaces across apartments. E_NOTIMPL with *git null.
    virtual HRESULT GetGITPtr(IGlobalInterfaceTable** git) noexcept;

    // Sets the variables every registry script of the module may use
    // ("APPID", empty).
    virtual HRESULT AddCommonVariables(IRegistrarBase* registrar) noexcept;

    // Registration through a separately installed registrar component, which
    // the library does not use: always E_FAIL.
    virtual HRESULT UpdateRegistryThroughRegistrar(UINT resourceId, BOOL doRegister) noexcept;
    virtual HRESULT UpdateRegistryThroughRegistrar(LPCWSTR resourceName, BOOL doRegister) noexcept;

    // Runs the library's "REGISTRY" resource of the given number (or name)
    // in register (TRUE) or unregister mode.
    virtual HRESULT UpdateRegistryFromScript(UINT resourceId, BOOL doRegister) noexcept;
    virtual HRESULT UpdateRegistryFromScript(LPCWSTR resourceName, BOOL doRegister) noexcept;

    // Pushes a callback at the head of the termination list, so callbacks
    // run newest first. E_OUTOFMEMORY (and nothing added) when the node
    // cannot be allocated.
    HRESULT AddTermFunc(TermFunc func, DWORD_PTR context) noexcept;

    // The type-information critical section. Re-entrant: the thread that
    // loads a type description adds its termination callback while it
    // already holds the section.
    void EnterTypeInfoSection() noexcept { m_typeInfoSection.Lock(); }
    void LeaveTypeInfoSection() noexcept { m_typeInfoSection.Unlock(); }
    CriticalSection& TypeInfoSection() noexcept { return m_typeInfoSection; }

    // Runs the termination list once, newest first. Later calls do nothing.
    // Does not look at the lock count.
    void Term() noexcept;

    void SetLibId(const GUID& libid) noexcept { m_libid = libid; }
    const GUID& LibId() const noexcept { return m_libid; }

    // The object map bound at initialisation (ObjectMap.h), or null.
    void SetObjectMap(ObjectMapEntry* map) noexcept { m_objectMap = map; }
    ObjectMapEntry* GetObjectMap() const noexcept { return m_objectMap; }

private:
    struct TermNode
    {
        TermFunc func = nullptr;
        DWORD_PTR context = 0;
        std::unique_ptr<TermNode> next;
    };

    // Nonzero from construction until teardown has run.
    UINT m_size;
    volatile LONG m_lockCount = 0;
    std::unique_ptr<TermNode> m_termHead;
    CriticalSection m_typeInfoSection;
    GUID m_libid = {};
    ObjectMapEntry* m_objectMap = nullptr; // not owned: a static table
};

extern CComModule _Module;
