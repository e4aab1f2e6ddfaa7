// Binding, walking and releasing the object map, and the creation of cached
// class objects behind DllGetClassObject.
#include "server/ObjectMap.h"

namespace {

// The first entry that can make class objects and whose class ID equals
// `clsid` in all 16 bytes.
ObjectMapEntry* FindCreatableClass(ObjectMapEntry* map, REFCLSID clsid) noexcept
{
    for (ObjectMapEntry& entry : ObjectMapEntries(map)) {
        if (entry.getClassObject && InlineIsEqualGUID(*entry.clsid, clsid))
            return &entry;
    }
    return nullptr;
}

// Test, lock, test again: only the first of several racing threads creates
// the class object; the others find it cached once they get the lock.
HRESULT CacheClassObject(ObjectMapEntry& entry) noexcept
{
    ScopedLock<CriticalSection> lock(g_objectMapSection);
    if (entry.classObject.load(std::memory_order_acquire))
        return S_OK;
    IUnknown* created = nullptr;
    const HRESULT hr = entry.getClassObject(entry.createInstance, IID_IUnknown,
                                            reinterpret_cast<void**>(&created));
    if (FAILED(hr))
        return hr;
    if (!created)
        return E_UNEXPECTED;
    entry.classObject.store(created, std::memory_order_release);
    return S_OK;
}

} // namespace

LPCWSTR WINAPI NoObjectDescription() noexcept
{
    return nullptr;
}

const ObjectMapCategory* WINAPI NoClassCategories() noexcept
{
    return nullptr;
}

void WINAPI NoObjectMain(bool) noexcept {}

HRESULT ObjectMapInit(CComModule& module, ObjectMapEntry* map, HINSTANCE,
                      const GUID& libid) noexcept
{
    // The instance handle is the one ModuleInstance() reports; resource
    // lookups go through that.
    module.SetLibId(libid);
    module.SetObjectMap(map);
    for (ObjectMapEntry& entry : ObjectMapEntries(map)) {
        if (entry.objectMain)
            entry.objectMain(true);
    }
    return S_OK;
}

void ObjectMapTerm(CComModule& module) noexcept
{
    for (ObjectMapEntry& entry : ObjectMapEntries(module.GetObjectMap())) {
        if (IUnknown* cached = entry.classObject.exchange(nullptr))
            cached->Release();
        if (entry.objectMain)
            entry.objectMain(false);
    }
    module.SetObjectMap(nullptr);
    module.Term();
}

HRESULT ObjectMapGetClassObject(CComModule& module, REFCLSID clsid, REFIID iid, void** ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    ObjectMapEntry* entry = FindCreatableClass(module.GetObjectMap(), clsid);
    if (!entry)
        return CLASS_E_CLASSNOTAVAILABLE;
    IUnknown* cached = entry->classObject.load(std::memory_order_acquire);
    if (!cached) {
        const HRESULT hr = CacheClassObject(*entry);
        if (FAILED(hr))
            return hr;
        cached = entry->classObject.load(std::memory_order_acquire);
    }
    return cached->QueryInterface(iid, ppv);
}
