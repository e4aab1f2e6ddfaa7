// The object map: one fixed table, in registration order, through which a
// class ID reaches its registry script, its class-object creator, its
// instance creator and its one cached class object. The entry points bind it
// to the module at load, create each class object on first demand and
// release them at unload; registration walks it in order.
//
//     BEGIN_OBJECT_MAP(g_objectMap)
//     OBJECT_ENTRY(CLSID_Upload, CComASPUpload, IDR_UPLOAD)
//     END_OBJECT_MAP()
//
// Cached class objects are created under the object-map critical section,
// with a test before and after entering it, so that each class gets exactly
// one even when several threads ask at once; once set, an entry's class
// object is read without the lock.
#pragma once

#include "server/ClassFactory.h"
#include "server/CriticalSection.h"

#include <atomic>

// A component category that a class implements or requires. The library's
// classes name none, so registration records no categories.
struct ObjectMapCategory
{
    int kind;
    const GUID* catid; // null ends a category list
};

struct ObjectMapEntry
{
    const CLSID* clsid; // null ends the map
    // Runs the class's registry script in register (TRUE) or unregister mode.
    HRESULT(WINAPI* UpdateClassRegistry)(BOOL doRegister);
    // Null for a class that is registered but not creatable.
    ClassObjectCreatorFunc getClassObject;
    InstanceCreatorFunc createInstance;
    // The module's reference to the cached class object, or null.
    std::atomic<IUnknown*> classObject;
    DWORD registerCookie; // never used: the library registers no running objects
    LPCWSTR(WINAPI* getDescription)();
    const ObjectMapCategory*(WINAPI* ClassCategories)();
    // Called in map order with true at module initialisation and with false
    // at termination.
    void(WINAPI* objectMain)(bool initialising);
};

// The per-class functions of a map entry that have nothing to say.
LPCWSTR WINAPI NoObjectDescription() noexcept;
const ObjectMapCategory* WINAPI NoClassCategories() noexcept;
void WINAPI NoObjectMain(bool initialising) noexcept;

// UpdateClassRegistry of a class whose registry script is the library's
// "REGISTRY" resource `scriptId`.
template <UINT scriptId> struct ClassScript
{
    static HRESULT WINAPI UpdateClassRegistry(BOOL doRegister)
    {
        return _Module.UpdateRegistryFromScript(scriptId, doRegister);
    }
};

#define BEGIN_OBJECT_MAP(name) ObjectMapEntry name[] = {
#define OBJECT_ENTRY(clsid, cls, scriptId)                                                         \
    {&clsid,                                                                                       \
     &ClassScript<scriptId>::UpdateClassRegistry,                                                  \
     &cls::_ClassFactoryCreatorClass::CreateInstance,                                              \
     &cls::_CreatorClass::CreateInstance,                                                          \
     nullptr,                                                                                      \
     0,                                                                                            \
     &NoObjectDescription,                                                                         \
     &NoClassCategories,                                                                           \
     &NoObjectMain},
// A class that registration knows but DllGetClassObject does not serve.
#define OBJECT_ENTRY_NON_CREATEABLE(clsid, scriptId)                                               \
    {&clsid,                                                                                       \
     &ClassScript<scriptId>::UpdateClassRegistry,                                                  \
     nullptr,                                                                                      \
     nullptr,                                                                                      \
     nullptr,                                                                                      \
     0,                                                                                            \
     &NoObjectDescription,                                                                         \
     &NoClassCategories,                                                                           \
     &NoObjectMain},
#define END_OBJECT_MAP()                                                                           \
    {                                                                                              \
        nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr                  \
    }                                                                                              \
    }                                                                                              \
    ;

// The entries of a map up to its terminating entry, for range-for loops. A
// null map has no entries.
class ObjectMapEntries
{
public:
    explicit ObjectMapEntries(ObjectMapEntry* map) noexcept : m_begin(map), m_end(map)
    {
        while (m_end && m_end->clsid)
            ++m_end;
    }
    ObjectMapEntry* begin() const noexcept { return m_begin; }
    ObjectMapEntry* end() const noexcept { return m_end; }

private:
    ObjectMapEntry* m_begin;
    ObjectMapEntry* m_end;
};

// The object-map critical section: initialised with the library's static
// data, before the module object, and deleted after it (see ModuleState.cpp).
extern CriticalSection g_objectMapSection;

// Copies `libid` into the module, binds `map` to it and calls each entry's
// per-class hook in map order. Always S_OK.
HRESULT ObjectMapInit(CComModule& module, ObjectMapEntry* map, HINSTANCE instance,
                      const GUID& libid) noexcept;

// Releases the module's reference to each cached class object and calls each
// per-class hook, in map order, unbinds the map and tears the module down.
// Does not look at the lock count.
void ObjectMapTerm(CComModule& module) noexcept;

// The class object of `clsid` from the module's map, created and cached on
// first demand, asked for `iid`. CLASS_E_CLASSNOTAVAILABLE (with *ppv null)
// for a class the map does not serve; a creator's failure is returned and
// nothing is cached, so the next call tries again.
HRESULT ObjectMapGetClassObject(CComModule& module, REFCLSID clsid, REFIID iid,
                                void** ppv) noexcept;
