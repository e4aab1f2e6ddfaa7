// The exported entry points of the built TavrinUpload.dll, loaded afresh by
// each test, so that every test starts from a library that was just loaded:
// nothing cached, lock count 0.
#include "TavrinUpload_h.h"
#include "util/ComPtr.h"
#include "util/Handles.h"

#include <gtest/gtest.h>

namespace {

using CanUnloadNowFunc = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectFunc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// The library as a client process sees it through its exports.
class Library
{
public:
    Library() : m_module(LoadLibraryW(L"" TAVRIN_DLL_PATH))
    {
        if (!m_module)
            return;
        m_canUnloadNow = reinterpret_cast<CanUnloadNowFunc>(
            reinterpret_cast<void*>(GetProcAddress(m_module.Get(), "DllCanUnloadNow")));
        m_getClassObject = reinterpret_cast<GetClassObjectFunc>(
            reinterpret_cast<void*>(GetProcAddress(m_module.Get(), "DllGetClassObject")));
    }

    bool Loaded() const { return m_canUnloadNow && m_getClassObject; }
    HRESULT CanUnloadNow() const { return m_canUnloadNow(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const
    {
        return m_getClassObject(clsid, iid, ppv);
    }
    ComPtr<IClassFactory> Factory(REFCLSID clsid) const
    {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(S_OK, GetClassObject(clsid, IID_IClassFactory,
                                       reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())));
        return factory;
    }
    HMODULE Handle() const { return m_module.Get(); }
    void Unload() { m_module.Reset(); }

private:
    ModuleHolder m_module;
    CanUnloadNowFunc m_canUnloadNow = nullptr;
    GetClassObjectFunc m_getClassObject = nullptr;
};

class EntryPoints : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.Loaded()) << "cannot load " << TAVRIN_DLL_PATH;
        ASSERT_EQ(S_OK, m_library.CanUnloadNow()) << "right after load nothing holds the library";
    }

    Library m_library;
};

TEST_F(EntryPoints, ClassesOfOtherComponentsAreNotAvailable)
{
    struct Row
    {
        const char* label;
        CLSID clsid;
    };
    const Row rows[] = {
        {"another component's class", CLSID_StdGlobalInterfaceTable},
        {"the Upload interface ID", IID_IUpload},
        {"the type library ID", LIBID_TAVRINUPLOADLib},
        {"null GUID", GUID_NULL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        void* answer = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
                  m_library.GetClassObject(row.clsid, IID_IClassFactory, &answer));
        EXPECT_EQ(nullptr, answer);
    }
    EXPECT_EQ(E_POINTER, m_library.GetClassObject(CLSID_Upload, IID_IClassFactory, nullptr));
    EXPECT_EQ(S_OK, m_library.CanUnloadNow());
}

} // namespace
