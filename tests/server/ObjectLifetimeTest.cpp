// Creation, reference counting, aggregation and the module lock of objects
// built on the frame, and the class object that makes them.
#include "FrameTestObjects.h"

#include "util/ComPtr.h"

#include <gtest/gtest.h>

#include <new>

namespace {

using Creator = CTestUpload::_CreatorClass;

// An outer object that aggregates one inner object and counts its own
// references, so that tests can see where AddRef and Release went.
class TestOuter : public IUnknown
{
public:
    // Asked for any other interface, it answers with the inner object.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override
    {
        if (!InlineIsEqualGUID(iid, IID_IUnknown))
            return m_inner ? m_inner->QueryInterface(iid, ppv) : E_NOINTERFACE;
        *ppv = this;
        return AddRef(), S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_count; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_count; }

    ULONG m_count = 1; // the test's own reference; the outer is never freed by Release
    IUnknown* m_inner = nullptr;
};

class ObjectLifetime : public testing::Test
{
protected:
    void SetUp() override
    {
        CTestUpload::s_destroyed = 0;
        m_baseLocks = LockCount();
    }
    // The knobs are left as the other tests expect them.
    void TearDown() override
    {
        CTestUpload::s_throwOnConstruction = false;
        CTestUpload::s_touchSelfInTeardown = false;
        EXPECT_EQ(m_baseLocks, LockCount()) << "a test left the module locked";
    }

    LONG m_baseLocks = 0;
};

TEST_F(ObjectLifetime, AllInterfacesOfAStandAloneObjectAreOnePointerAndHoldTheModule)
{
    ComPtr<IUpload> upload;
    ASSERT_EQ(S_OK,
              Creator::CreateInstance(nullptr, IID_IUpload, reinterpret_cast<void**>(&upload)));
    EXPECT_EQ(m_baseLocks + 1, LockCount());

    struct Row
    {
        const char* label;
        const IID& iid;
        HRESULT expected;
    };
    const Row rows[] = {
        {"IUpload", IID_IUpload, S_OK},
        {"IDispatch", IID_IDispatch, S_OK},
        {"IUnknown", IID_IUnknown, S_OK},
        {"ISupportErrorInfo", IID_ISupportErrorInfo, E_NOINTERFACE},
        {"IProvideClassInfo", IID_IProvideClassInfo, E_NOINTERFACE},
        {"IUploadFile", IID_IUploadFile, E_NOINTERFACE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        void* answer = reinterpret_cast<void*>(1);
        EXPECT_EQ(row.expected, upload->QueryInterface(row.iid, &answer));
        if (row.expected == S_OK) {
            EXPECT_EQ(static_cast<void*>(upload.Get()), answer);
            static_cast<IUnknown*>(answer)->Release();
        } else {
            EXPECT_EQ(nullptr, answer);
        }
    }
    EXPECT_EQ(E_POINTER, upload->QueryInterface(IID_IUpload, nullptr));

    upload.Reset();
    EXPECT_EQ(m_baseLocks, LockCount());
    EXPECT_EQ(1, CTestUpload::s_destroyed);
}

TEST_F(ObjectLifetime, InternalCreationStartsAtCountZero)
{
    EXPECT_EQ(E_POINTER, CComObject<CTestUpload>::CreateInstance(nullptr));
    CComObject<CTestUpload>* p = nullptr;
    ASSERT_EQ(S_OK, CComObject<CTestUpload>::CreateInstance(&p));
    EXPECT_EQ(m_baseLocks + 1, LockCount());
    EXPECT_EQ(1u, p->AddRef());
    EXPECT_EQ(0u, p->Release());
    EXPECT_EQ(1, CTestUpload::s_destroyed);
}

TEST_F(ObjectLifetime, ConstructionFailureIsOutOfMemoryAndLeavesNothing)
{
    CTestUpload::s_throwOnConstruction = true;
    TestOuter outer;
    struct Row
    {
        const char* label;
        IUnknown* outer;
        const IID& iid;
    };
    const Row rows[] = {
        {"stand-alone", nullptr, IID_IUpload},
        {"aggregated", &outer, IID_IUnknown},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        void* answer = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_OUTOFMEMORY, Creator::CreateInstance(row.outer, row.iid, &answer));
        EXPECT_EQ(nullptr, answer);
        EXPECT_EQ(m_baseLocks, LockCount());
    }
    CComObject<CTestUpload>* p = reinterpret_cast<CComObject<CTestUpload>*>(1);
    EXPECT_EQ(E_OUTOFMEMORY, CComObject<CTestUpload>::CreateInstance(&p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(1u, outer.m_count);
}

TEST_F(ObjectLifetime, CreatorAskedForAMissingInterfaceDestroysTheNewObject)
{
    void* answer = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, Creator::CreateInstance(nullptr, IID_ISupportErrorInfo, &answer));
    EXPECT_EQ(nullptr, answer);
    EXPECT_EQ(1, CTestUpload::s_destroyed);
    EXPECT_EQ(E_POINTER, Creator::CreateInstance(nullptr, IID_IUpload, nullptr));
}

TEST_F(ObjectLifetime, TeardownThatAddsAndDropsAReferenceDestroysOnce)
{
    CTestUpload::s_touchSelfInTeardown = true;
    CComObject<CTestUpload>* p = nullptr;
    ASSERT_EQ(S_OK, CComObject<CTestUpload>::CreateInstance(&p));
    p->AddRef();
    EXPECT_EQ(0u, p->Release());
    EXPECT_EQ(1, CTestUpload::s_destroyed);
}

// The contained part keeps the outer object's pointer in the count's place;
// an outer object above 4 GB proves the whole pointer is kept on 64-bit
// systems.
TEST_F(ObjectLifetime, InnerUnknownReachesTheInterfacesWhoseCountsAreTheOuters)
{
    void* block = VirtualAlloc(nullptr, sizeof(TestOuter), MEM_COMMIT | MEM_RESERVE | MEM_TOP_DOWN,
                               PAGE_READWRITE);
    ASSERT_NE(nullptr, block);
    if (sizeof(void*) == 8) {
        EXPECT_NE(0u, reinterpret_cast<unsigned long long>(block) >> 32);
    }
    TestOuter& outer = *new (block) TestOuter();
    IUnknown* inner = nullptr;
    ASSERT_EQ(S_OK,
              Creator::CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)));
    outer.m_inner = inner;
    EXPECT_EQ(m_baseLocks + 1, LockCount());
    EXPECT_EQ(1u, outer.m_count) << "creating the aggregate must not count on the outer object";

    IUpload* upload = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IUpload, reinterpret_cast<void**>(&upload)));
    EXPECT_NE(static_cast<void*>(inner), static_cast<void*>(upload));
    EXPECT_EQ(2u, outer.m_count);
    EXPECT_EQ(3u, upload->AddRef());
    EXPECT_EQ(2u, upload->Release());

    // The contained part's IUnknown is the outer object's.
    IUnknown* viaContained = nullptr;
    ASSERT_EQ(S_OK, upload->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaContained)));
    EXPECT_EQ(static_cast<IUnknown*>(&outer), viaContained);
    viaContained->Release();
    // The inner object's own count moved by none of this.
    EXPECT_EQ(2u, inner->AddRef());
    EXPECT_EQ(1u, inner->Release());

    IDispatch* dispatch = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
    EXPECT_EQ(static_cast<void*>(upload), static_cast<void*>(dispatch));
    dispatch->Release();
    upload->Release();
    EXPECT_EQ(1u, outer.m_count);

    EXPECT_EQ(0u, inner->Release());
    EXPECT_EQ(1, CTestUpload::s_destroyed);
    outer.~TestOuter();
    VirtualFree(block, 0, MEM_RELEASE);
}

TEST_F(ObjectLifetime, ClassObjectChecksItsArgumentsAndTheOuterObject)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, CTestUpload::_ClassFactoryCreatorClass::CreateInstance(
                        &Creator::CreateInstance, IID_IClassFactory,
                        reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf())));
    const LONG held = LockCount();
    TestOuter outer;
    struct Row
    {
        const char* label;
        IUnknown* outer;
        const IID& iid;
        HRESULT expected;
    };
    const Row rows[] = {
        {"stand-alone IUpload", nullptr, IID_IUpload, S_OK},
        {"stand-alone IDispatch", nullptr, IID_IDispatch, S_OK},
        {"stand-alone missing interface", nullptr, IID_ISupportErrorInfo, E_NOINTERFACE},
        {"aggregated IUnknown", &outer, IID_IUnknown, S_OK},
        {"aggregated IDispatch", &outer, IID_IDispatch, CLASS_E_NOAGGREGATION},
        {"aggregated IUpload", &outer, IID_IUpload, CLASS_E_NOAGGREGATION},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        CTestUpload::s_destroyed = 0;
        void* answer = reinterpret_cast<void*>(1);
        EXPECT_EQ(row.expected, factory->CreateInstance(row.outer, row.iid, &answer));
        if (row.expected != S_OK) {
            EXPECT_EQ(nullptr, answer);
            EXPECT_EQ(held, LockCount());
            continue;
        }
        ASSERT_NE(nullptr, answer);
        EXPECT_EQ(held + 1, LockCount());
        static_cast<IUnknown*>(answer)->Release();
        EXPECT_EQ(held, LockCount());
        EXPECT_EQ(1, CTestUpload::s_destroyed);
    }
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUpload, nullptr));
    EXPECT_EQ(1u, outer.m_count);

    // The creator of class objects checks the same.
    EXPECT_EQ(E_POINTER, CTestUpload::_ClassFactoryCreatorClass::CreateInstance(
                             &Creator::CreateInstance, IID_IUnknown, nullptr));
    void* answer = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, CTestUpload::_ClassFactoryCreatorClass::CreateInstance(
                                 &Creator::CreateInstance, IID_IDispatch, &answer));
    EXPECT_EQ(nullptr, answer);
}

} // namespace
