// The page runner's host objects called early-bound: OnStartPage/OnEndPage
// around a component made by Server.CreateObject, and BinaryRead never ahead.
#include "asp/HostObjects.h"

#include "util/SafeArrayHolder.h"
#include "util/VariantHolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const wchar_t kRecorderClsid[] = L"{6B1E1C1A-5D0E-4C0B-9E57-2A7D4F1C3B01}";
const wchar_t kRecorderProgId[] = L"TavrinAspTest.Recorder";

// A component with OnStartPage (DISPID 1) and OnEndPage (DISPID 2) that
// writes down its calls; its factory lives on the test's stack.
struct Recorder : IDispatch
{
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override
    {
        if (--references == 0)
            calls.push_back("released");
        return references;
    }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override
    {
        *id = lstrcmpiW(names[0], L"OnStartPage") == 0 ? 1
              : lstrcmpiW(names[0], L"OnEndPage") == 0 ? 2
                                                       : DISPID_UNKNOWN;
        return *id == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override
    {
        calls.push_back(id == 1 ? "OnStartPage" : "OnEndPage");
        if (id != 1 || params->cArgs != 1 || params->rgvarg[0].vt != VT_UNKNOWN)
            return S_OK;
        ComPtr<IScriptingContext> context;
        ComPtr<IRequest> request;
        contextGaveRequest = SUCCEEDED(params->rgvarg[0].punkVal->QueryInterface(
                                 IID_IScriptingContext,
                                 reinterpret_cast<void**>(context.ReleaseAndGetAddressOf()))) &&
                             SUCCEEDED(context->get_Request(request.ReleaseAndGetAddressOf())) &&
                             request;
        return S_OK;
    }
    std::vector<std::string> calls;
    bool contextGaveRequest = false;
    ULONG references = 0;
};

struct RecorderFactory : IClassFactory
{
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** out) override
    {
        return recorder.QueryInterface(iid, out);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
    Recorder recorder;
};

// Serves "0123456789" and writes down every read asked of it.
struct BodyDouble : RequestBody
{
    int64_t Read(void* buffer, uint32_t count) override
    {
        asked.push_back(count);
        const size_t n = std::min<size_t>(count, bytes.size() - next);
        memcpy(buffer, bytes.data() + next, n);
        next += n;
        return static_cast<int64_t>(n);
    }
    bool ClientConnected() override { return connected; }
    std::string bytes = "0123456789";
    size_t next = 0;
    std::vector<uint32_t> asked;
    bool connected = true;
};

class HostObjectsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_request.head = &m_head;
        m_request.root = L"C:\\site";
        m_request.virtualPath = "/page.asp";
        m_request.contentLength = 10;
        m_request.body = &m_body;
        m_request.site = m_site.get();
        m_state = std::make_shared<PageState>(m_request, std::make_shared<CompiledPage>(), 1252);
        ASSERT_EQ(S_OK, CreateHostObjects(m_state, m_objects));
    }
    void TearDown() override { m_state->closed = true; }

    HttpHead m_head;
    BodyDouble m_body;
    std::shared_ptr<SiteState> m_site = CreateSiteState();
    PageRequest m_request;
    std::shared_ptr<PageState> m_state;
    HostObjects m_objects;
};

TEST_F(HostObjectsTest, CreateObjectStartsTheComponentAndEndPageComesBeforeItsRelease)
{
    RecorderFactory factory;
    DWORD cookie = 0;
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromString(kRecorderClsid, &clsid));
    ASSERT_EQ(S_OK, CoRegisterClassObject(clsid, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                          &cookie));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueW(HKEY_CLASSES_ROOT, L"TavrinAspTest.Recorder\\CLSID",
                                          REG_SZ, kRecorderClsid, sizeof(kRecorderClsid)));

    BstrHolder progId(SysAllocString(kRecorderProgId));
    ComPtr<IDispatch> object;
    EXPECT_EQ(S_OK, m_objects.server->CreateObject(progId.Get(), object.ReleaseAndGetAddressOf()));
    object.Reset();
    EndComponents(*m_objects.components);

    RegDeleteTreeW(HKEY_CLASSES_ROOT, kRecorderProgId);
    CoRevokeClassObject(cookie);
    EXPECT_EQ((std::vector<std::string>{"OnStartPage", "OnEndPage", "released"}),
              factory.recorder.calls);
    EXPECT_TRUE(factory.recorder.contextGaveRequest);
}

TEST_F(HostObjectsTest, BinaryReadAsksTheBodyForExactlyWhatThePageAsks)
{
    long total = 0;
    ASSERT_EQ(S_OK, m_objects.request->get_TotalBytes(&total));
    EXPECT_EQ(10, total);
    const struct
    {
        long ask, got;
        const char* bytes;
    } rows[] = {{4, 4, "0123"}, {0, 0, ""}, {100, 6, "456789"}, {5, 0, ""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ask);
        VARIANT count{};
        V_VT(&count) = VT_I4, V_I4(&count) = row.ask;
        VariantHolder result;
        ASSERT_EQ(S_OK, m_objects.request->BinaryRead(&count, result.Get()));
        EXPECT_EQ(row.got, count.lVal);
        ASSERT_EQ(VT_ARRAY | VT_UI1, result->vt);
        SafeArrayDataLock lock(result->parray);
        EXPECT_EQ(row.bytes, std::string(static_cast<const char*>(lock.Data()),
                                         result->parray->rgsabound[0].cElements));
    }
    EXPECT_EQ((std::vector<uint32_t>{4, 6}), m_body.asked);

    VARIANT_BOOL connected = VARIANT_TRUE;
    m_body.connected = false;
    ASSERT_EQ(S_OK, m_objects.response->IsClientConnected(&connected));
    EXPECT_EQ(VARIANT_FALSE, connected);
}

} // namespace
