// BuiltDll loads the built TavrinUpload.dll by its path and reaches it as a
// client process does: through its exported class objects and
// DllCanUnloadNow. Nothing of the library is linked into the program, so
// what runs is exactly the shipped binary. Header-only, for tests and
// benchmarks alike.
#pragma once

#include "TavrinUpload_h.h"
#include "util/ComPtr.h"
#include "util/Handles.h"

class BuiltDll
{
public:
    explicit BuiltDll(const wchar_t* path) : m_module(LoadLibraryW(path))
    {
        if (!m_module)
            return;
        m_canUnloadNow = reinterpret_cast<CanUnloadNowFunc>(
            reinterpret_cast<void*>(GetProcAddress(m_module.Get(), "DllCanUnloadNow")));
        m_getClassObject = reinterpret_cast<GetClassObjectFunc>(
            reinterpret_cast<void*>(GetProcAddress(m_module.Get(), "DllGetClassObject")));
    }

    bool Loaded() const { return m_canUnloadNow && m_getClassObject; }

    // S_OK once no object, class object reference or server lock is left.
    HRESULT CanUnloadNow() const { return m_canUnloadNow(); }

    // A new object of the class through its class object, which is released
    // again at once (a held class object would keep the library locked).
    template <class T> HRESULT Create(REFCLSID clsid, ComPtr<T>* out) const
    {
        ComPtr<IClassFactory> factory;
        HRESULT hr = m_getClassObject(clsid, IID_IClassFactory,
                                      reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
        if (FAILED(hr))
            return hr;
        return factory->CreateInstance(nullptr, __uuidof(T),
                                       reinterpret_cast<void**>(out->ReleaseAndGetAddressOf()));
    }

private:
    using CanUnloadNowFunc = HRESULT(STDAPICALLTYPE*)();
    using GetClassObjectFunc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

    ModuleHolder m_module;
    CanUnloadNowFunc m_canUnloadNow = nullptr;
    GetClassObjectFunc m_getClassObject = nullptr;
};
