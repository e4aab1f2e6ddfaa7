// The object map's binding, class-object caching and release, on a map of
// the test-only classes bound to a module object of the test's own, where
// the tests can count creations, make them fail or slow them down. Class
// objects and instances lock the program's `_Module`, whose count the tests
// compare with its value before each test. What a client sees of the same
// through the built DLL is in EntryPointsTest.cpp.
#include "server/ObjectMap.h"
#include "FrameTestObjects.h"
#include "util/ComPtr.h"
#include "util/Handles.h"
#include "util/ModuleInstance.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace {

// What the map's functions saw, reset by the fixture.
std::atomic<int> g_creations{0};
DWORD g_creationDelayMs = 0;
HRESULT g_nextCreationFailure = S_OK;
std::string g_hooks;

// Counts the class objects made, can fail once, and can take its time so
// that racing threads overlap inside it.
HRESULT WINAPI CountingClassObjectCreator(InstanceCreatorFunc creator, REFIID iid, void** ppv)
{
    ++g_creations;
    if (FAILED(g_nextCreationFailure)) {
        *ppv = nullptr;
        return std::exchange(g_nextCreationFailure, S_OK);
    }
    Sleep(g_creationDelayMs);
    return CComClassFactoryCreator::CreateInstance(creator, iid, ppv);
}

// Records "<tag>+" at initialisation and "<tag>-" at termination.
template <char tag> void WINAPI RecordHook(bool initialising)
{
    g_hooks += tag;
    g_hooks += initialising ? '+' : '-';
}

HRESULT WINAPI NoRegistration(BOOL)
{
    return E_UNEXPECTED;
}

#define TEST_ENTRY(clsid, cls, tag)                                                                \
    {&clsid,                                                                                       \
     &NoRegistration,                                                                              \
     &CountingClassObjectCreator,                                                                  \
     &cls::_CreatorClass::CreateInstance,                                                          \
     nullptr,                                                                                      \
     0,                                                                                            \
     &NoObjectDescription,                                                                         \
     &NoClassCategories,                                                                           \
     &RecordHook<tag>},

// A registration-only entry for CLSID_Upload comes first: lookup must pass
// over it to the creatable entry of the same class.
BEGIN_OBJECT_MAP(g_testMap)
OBJECT_ENTRY_NON_CREATEABLE(CLSID_Upload, 101)
TEST_ENTRY(CLSID_Upload, CTestUpload, 'U')
TEST_ENTRY(CLSID_UploadFile, CTestUploadFile, 'F')
END_OBJECT_MAP()

LONG LockCount()
{
    return _Module.GetLockCount();
}

class ObjectMap : public testing::Test
{
protected:
    void SetUp() override
    {
        g_creations = 0;
        g_creationDelayMs = 0;
        g_nextCreationFailure = S_OK;
        g_hooks.clear();
        m_baseLocks = LockCount();
        ObjectMapInit(m_module, g_testMap, ModuleInstance(), LIBID_TAVRINUPLOADLib);
    }
    void TearDown() override
    {
        ObjectMapTerm(m_module);
        EXPECT_EQ(m_baseLocks, LockCount()) << "a test left the module locked";
        for (const ObjectMapEntry& entry : ObjectMapEntries(g_testMap))
            EXPECT_EQ(nullptr, entry.classObject.load());
    }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv)
    {
        return ObjectMapGetClassObject(m_module, clsid, iid, ppv);
    }
    ComPtr<IClassFactory> Factory(REFCLSID clsid)
    {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(S_OK, GetClassObject(clsid, IID_IClassFactory,
                                       reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())));
        return factory;
    }

    CComModule m_module;
    LONG m_baseLocks = 0;
};

TEST_F(ObjectMap, InitBindsTheMapAndRunsHooksInMapOrder)
{
    EXPECT_TRUE(InlineIsEqualGUID(LIBID_TAVRINUPLOADLib, m_module.LibId()));
    EXPECT_EQ(g_testMap, m_module.GetObjectMap());
    EXPECT_EQ("U+F+", g_hooks);
    EXPECT_EQ(0, g_creations) << "class objects are made on first demand only";
}

void WINAPI RecordTeardown(DWORD_PTR)
{
    g_hooks += "T";
}

TEST_F(ObjectMap, TermReleasesCachedClassObjectsThenTearsTheModuleDown)
{
    ComPtr<IClassFactory> factory = Factory(CLSID_UploadFile);
    ASSERT_TRUE(factory);
    ASSERT_EQ(S_OK, m_module.AddTermFunc(RecordTeardown, 0));
    g_hooks.clear();

    ObjectMapTerm(m_module);
    EXPECT_EQ("U-F-T", g_hooks);
    EXPECT_EQ(nullptr, m_module.GetObjectMap());
    EXPECT_EQ(nullptr, g_testMap[2].classObject.load());
    // Only the test's reference is left: the module's was released.
    EXPECT_EQ(0u, factory.Detach()->Release());
}

TEST_F(ObjectMap, ClassIdMustMatchInAllSixteenBytes)
{
    for (size_t i = 0; i < sizeof(CLSID); ++i) {
        SCOPED_TRACE(i);
        CLSID nearly = CLSID_Upload;
        reinterpret_cast<BYTE*>(&nearly)[i] ^= 0x01;
        void* answer = reinterpret_cast<void*>(1);
        EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, GetClassObject(nearly, IID_IClassFactory, &answer));
        EXPECT_EQ(nullptr, answer);
    }
    EXPECT_EQ(0, g_creations);
}

TEST_F(ObjectMap, ModuleWithoutAMapServesNoClass)
{
    CComModule unbound;
    void* answer = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              ObjectMapGetClassObject(unbound, CLSID_Upload, IID_IClassFactory, &answer));
    EXPECT_EQ(nullptr, answer);
}

TEST_F(ObjectMap, UnsupportedInterfaceFailsButKeepsTheClassObjectCached)
{
    void* answer = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, GetClassObject(CLSID_UploadFile, IID_IUploadFile, &answer));
    EXPECT_EQ(nullptr, answer);
    EXPECT_EQ(1, g_creations);
    EXPECT_NE(nullptr, g_testMap[2].classObject.load());
    EXPECT_EQ(m_baseLocks, LockCount());

    ComPtr<IClassFactory> factory = Factory(CLSID_UploadFile);
    EXPECT_EQ(static_cast<IUnknown*>(factory.Get()), g_testMap[2].classObject.load());
    EXPECT_EQ(1, g_creations) << "the class object made by the first call is reused";
}

TEST_F(ObjectMap, CreatorFailureIsReturnedAndTheNextCallTriesAgain)
{
    g_nextCreationFailure = E_OUTOFMEMORY;
    void* answer = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_OUTOFMEMORY, GetClassObject(CLSID_Upload, IID_IClassFactory, &answer));
    EXPECT_EQ(nullptr, answer);
    EXPECT_EQ(nullptr, g_testMap[1].classObject.load());

    EXPECT_TRUE(Factory(CLSID_Upload));
    EXPECT_EQ(2, g_creations);
    EXPECT_NE(nullptr, g_testMap[1].classObject.load());
}

struct RaceState
{
    CComModule* module;
    HANDLE start;
    IUnknown* got = nullptr;
    HRESULT hr = E_FAIL;
};

DWORD WINAPI AskForTheClassObject(void* context)
{
    auto* state = static_cast<RaceState*>(context);
    WaitForSingleObject(state->start, INFINITE);
    state->hr = ObjectMapGetClassObject(*state->module, CLSID_Upload, IID_IClassFactory,
                                        reinterpret_cast<void**>(&state->got));
    return 0;
}

TEST_F(ObjectMap, RacingThreadsGetOneClassObject)
{
    // The creator sleeps, so that without the lock and the second test both
    // threads would make a class object and one of them would be lost.
    g_creationDelayMs = 20;
    constexpr int kRounds = 15;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        CComModule module;
        ObjectMapInit(module, g_testMap, ModuleInstance(), LIBID_TAVRINUPLOADLib);
        g_creations = 0;
        HandleHolder start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_NE(nullptr, start.Get());
        RaceState states[2] = {{&module, start.Get()}, {&module, start.Get()}};
        HandleHolder threads[2];
        for (int i = 0; i < 2; ++i) {
            threads[i] = HandleHolder(
                CreateThread(nullptr, 0, AskForTheClassObject, &states[i], 0, nullptr));
            ASSERT_NE(nullptr, threads[i].Get());
        }
        SetEvent(start.Get());
        HANDLE handles[2] = {threads[0].Get(), threads[1].Get()};
        ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, handles, TRUE, 10000));

        EXPECT_EQ(S_OK, states[0].hr);
        EXPECT_EQ(S_OK, states[1].hr);
        EXPECT_EQ(1, g_creations);
        EXPECT_EQ(states[0].got, states[1].got);
        for (RaceState& state : states) {
            if (state.got)
                state.got->Release();
        }
        ObjectMapTerm(module);
        EXPECT_EQ(m_baseLocks, LockCount());
    }
    // The fixture's module is still bound; its teardown finds nothing cached.
}

} // namespace
