// The object map's lookup, class-object caching and release, on a map of
// the test-only classes bound to a module object of the test's own, where
// the tests can count creations and make them fail. What a client sees
// through the built DLL (one class object per class, also under a race, and
// kept after a request for an interface it lacks) is in EntryPointsTest.cpp.
#include "server/ObjectMap.h"
#include "FrameTestObjects.h"
#include "util/ComPtr.h"
#include "util/ModuleInstance.h"

#include <gtest/gtest.h>

namespace {

// What the map's functions saw, reset by the fixture.
int g_creations = 0;
HRESULT g_nextCreationFailure = S_OK;

// Counts the class objects made and can fail once.
HRESULT WINAPI CountingClassObjectCreator(InstanceCreatorFunc creator, REFIID iid, void** ppv)
{
    ++g_creations;
    if (FAILED(g_nextCreationFailure)) {
        *ppv = nullptr;
        return std::exchange(g_nextCreationFailure, S_OK);
    }
    return CComClassFactoryCreator::CreateInstance(creator, iid, ppv);
}

HRESULT WINAPI NoRegistration(BOOL)
{
    return E_UNEXPECTED;
}

#define TEST_ENTRY(clsid)                                                                          \
    {&clsid,                                                                                       \
     &NoRegistration,                                                                              \
     &CountingClassObjectCreator,                                                                  \
     &CTestUpload::_CreatorClass::CreateInstance,                                                  \
     nullptr,                                                                                      \
     0,                                                                                            \
     &NoObjectDescription,                                                                         \
     &NoClassCategories,                                                                           \
     &NoObjectMain},

// A registration-only entry for CLSID_Upload comes first: lookup must pass
// over it to the creatable entry of the same class.
BEGIN_OBJECT_MAP(g_testMap)
OBJECT_ENTRY_NON_CREATEABLE(CLSID_Upload, 101)
TEST_ENTRY(CLSID_Upload)
TEST_ENTRY(CLSID_UploadFile)
END_OBJECT_MAP()

class ObjectMap : public testing::Test
{
protected:
    void SetUp() override
    {
        g_creations = 0;
        g_nextCreationFailure = S_OK;
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

TEST_F(ObjectMap, TermReleasesCachedClassObjectsAndUnbindsTheMap)
{
    ComPtr<IClassFactory> factory = Factory(CLSID_UploadFile);
    ASSERT_TRUE(factory);
    ObjectMapTerm(m_module);
    EXPECT_EQ(nullptr, m_module.GetObjectMap());
    EXPECT_EQ(nullptr, g_testMap[2].classObject.load());
    // Only the test's reference is left: the module's was released.
    EXPECT_EQ(0u, factory.Detach()->Release());
    // A late call finds no class instead of a released map.
    void* answer = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, GetClassObject(CLSID_Upload, IID_IClassFactory, &answer));
    EXPECT_EQ(nullptr, answer);
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
    EXPECT_EQ(0, g_creations) << "nor is any class object made";
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

} // namespace
