// The exported entry points of the built TavrinUpload.dll, loaded afresh by
// each test, so that every test starts from a library that was just loaded:
// nothing cached, lock count 0.
#include "support/BuiltDll.h"

#include <gtest/gtest.h>

namespace {

// The built library, with its class-object export also reachable directly
// for the answers that BuiltDll::Create does not show.
class Library : public BuiltDll
{
public:
    Library() : BuiltDll(L"" TAVRIN_DLL_PATH) {}
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const
    {
        using GetClassObjectFunc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        return reinterpret_cast<GetClassObjectFunc>(reinterpret_cast<void*>(GetProcAddress(
            GetModuleHandleW(L"TavrinUpload.dll"), "DllGetClassObject")))(clsid, iid, ppv);
    }
    ComPtr<IClassFactory> Factory(REFCLSID clsid) const
    {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(S_OK, GetClassObject(clsid, IID_IClassFactory,
                                       reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())));
        return factory;
    }
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

template <class T> void HoldsTheLibraryUntilItsLastRelease(const Library& library, REFCLSID clsid)
{
    ComPtr<T> object;
    ASSERT_EQ(S_OK, library.Create(clsid, &object));
    EXPECT_EQ(S_FALSE, library.CanUnloadNow());
    ComPtr<T> second = object;
    object.Reset();
    EXPECT_EQ(S_FALSE, library.CanUnloadNow());
    second.Reset();
    EXPECT_EQ(S_OK, library.CanUnloadNow());
}

TEST_F(EntryPoints, LiveObjectHoldsTheLibraryUntilItsLastRelease)
{
    HoldsTheLibraryUntilItsLastRelease<IUpload>(m_library, CLSID_Upload);
    HoldsTheLibraryUntilItsLastRelease<IUploadFile>(m_library, CLSID_UploadFile);
}

TEST_F(EntryPoints, ClassObjectReferenceHoldsTheLibraryButTheCachedOneDoesNot)
{
    ComPtr<IClassFactory> factory = m_library.Factory(CLSID_Upload);
    ASSERT_TRUE(factory);
    EXPECT_EQ(S_FALSE, m_library.CanUnloadNow());
    factory.Reset();
    EXPECT_EQ(S_OK, m_library.CanUnloadNow());
}

TEST_F(EntryPoints, LockServerHoldsTheLibraryUntilTheMatchingUnlock)
{
    ComPtr<IClassFactory> factory = m_library.Factory(CLSID_Upload);
    ASSERT_TRUE(factory);
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, m_library.CanUnloadNow()) << "two server locks remain";

    factory = m_library.Factory(CLSID_Upload);
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, m_library.CanUnloadNow()) << "one server lock remains";

    factory = m_library.Factory(CLSID_Upload);
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.Reset();
    EXPECT_EQ(S_OK, m_library.CanUnloadNow());
}

TEST_F(EntryPoints, EachClassHasOneClassObject)
{
    ComPtr<IClassFactory> first = m_library.Factory(CLSID_Upload);
    ComPtr<IClassFactory> second = m_library.Factory(CLSID_Upload);
    ComPtr<IClassFactory> other = m_library.Factory(CLSID_UploadFile);
    ASSERT_TRUE(first) << "no class object for Upload";
    ASSERT_TRUE(second) << "no class object for Upload the second time";
    ASSERT_TRUE(other) << "no class object for UploadFile";
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_NE(first.Get(), other.Get());
}

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

TEST_F(EntryPoints, UnsupportedInterfaceLeavesTheClassObjectCachedForTheNextCall)
{
    void* answer = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(E_NOINTERFACE, m_library.GetClassObject(CLSID_UploadFile, IID_IUploadFile, &answer));
    EXPECT_EQ(nullptr, answer);
    EXPECT_EQ(S_OK, m_library.CanUnloadNow());

    ComPtr<IClassFactory> factory = m_library.Factory(CLSID_UploadFile);
    ASSERT_TRUE(factory);
    ComPtr<IUploadFile> item;
    EXPECT_EQ(S_OK,
              factory->CreateInstance(nullptr, IID_IUploadFile,
                                      reinterpret_cast<void**>(item.ReleaseAndGetAddressOf())));
}

struct Racer
{
    const Library* library;
    HANDLE start;
    IUnknown* got = nullptr;
    HRESULT hr = E_FAIL;
};

DWORD WINAPI Race(void* context)
{
    auto* racer = static_cast<Racer*>(context);
    WaitForSingleObject(racer->start, INFINITE);
    racer->hr = racer->library->GetClassObject(CLSID_Upload, IID_IClassFactory,
                                               reinterpret_cast<void**>(&racer->got));
    return 0;
}

// Each round loads the library afresh, so both threads find no class object
// cached and both may try to create one.
TEST(EntryPointsRace, TwoThreadsAskingAtOnceGetOneClassObject)
{
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        {
            Library library;
            ASSERT_TRUE(library.Loaded());
            HandleHolder start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            ASSERT_NE(nullptr, start.Get());
            Racer racers[2] = {{&library, start.Get()}, {&library, start.Get()}};
            HandleHolder threads[2];
            for (int i = 0; i < 2; ++i) {
                threads[i] = HandleHolder(CreateThread(nullptr, 0, Race, &racers[i], 0, nullptr));
                ASSERT_NE(nullptr, threads[i].Get());
            }
            SetEvent(start.Get());
            HANDLE handles[2] = {threads[0].Get(), threads[1].Get()};
            ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, handles, TRUE, 10000));
            EXPECT_EQ(S_OK, racers[0].hr);
            EXPECT_EQ(S_OK, racers[1].hr);
            EXPECT_EQ(racers[0].got, racers[1].got);
            for (Racer& racer : racers) {
                if (racer.got)
                    racer.got->Release();
            }
            EXPECT_EQ(S_OK, library.CanUnloadNow());
        }
        ASSERT_EQ(nullptr, GetModuleHandleW(L"TavrinUpload.dll"))
            << "the next round would not start from a fresh library";
    }
}

} // namespace
