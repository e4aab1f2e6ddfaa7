// Late-bound calls on objects built on the frame: names resolved in any
// letter case and locale, and members invoked, through the registered type
// library, and the platform's failure code while the library is not
// registered. What scripts see of the same on the product's objects is in
// tests/pages.
//
// The tests register the library from this program's own embedded copy in
// a classes root of their own, so that neither a library registered in the
// prefix by anything else nor one they register is seen outside. The
// type-information holders are process-wide, so each test that depends on
// their state empties them first.
#include "FrameTestObjects.h"
#include "server/ServerRegistration.h"

#include "util/BstrHolder.h"
#include "util/ComPtr.h"
#include "util/ModuleInstance.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The locale the library is registered under; the platform matches other
// locales against it by its own rules.
const LCID kLocale = 1033;

// For its lifetime, this process sees an empty HKEY_CLASSES_ROOT of its own
// (a scratch key under HKEY_CURRENT_USER, one per architecture, emptied
// first in case an earlier run was interrupted) in place of the prefix's.
class PrivateClassesRoot
{
public:
    PrivateClassesRoot()
        : m_path(L"Software\\TavrinUploadTestClasses" + std::to_wstring(sizeof(void*) * 8))
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, key));
        RegCloseKey(key);
    }
    ~PrivateClassesRoot()
    {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    }
    PrivateClassesRoot(const PrivateClassesRoot&) = delete;
    PrivateClassesRoot& operator=(const PrivateClassesRoot&) = delete;

    static HRESULT RegisterLibrary() { return RegisterModuleTypeLib(ModuleInstance()); }

private:
    std::wstring m_path;
};

void EmptyHolders()
{
    CComTypeInfoHolder::Cleanup(reinterpret_cast<DWORD_PTR>(&CTestUpload::_tih));
}

template <class T> ComPtr<CComObject<T>> MakeObject()
{
    CComObject<T>* p = nullptr;
    EXPECT_EQ(S_OK, CComObject<T>::CreateInstance(&p));
    return ComPtr<CComObject<T>>(p);
}

HRESULT IdsOfNames(IDispatch* object, std::vector<const wchar_t*> names, std::vector<DISPID>* ids)
{
    ids->assign(names.size(), 12345);
    return object->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(names.data()),
                                 static_cast<UINT>(names.size()), kLocale, ids->data());
}

// Invokes with the arguments in source order (DISPPARAMS holds them last
// first); a property write names its one argument.
HRESULT Call(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result)
{
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO excep = {};
    UINT argErr = 0;
    return object->Invoke(id, IID_NULL, kLocale, flags, &params, result, &excep, &argErr);
}

VARIANT Long(LONG value)
{
    VARIANT v = {};
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

// Not owned: the literal outlives the call.
VARIANT Text(const wchar_t* text)
{
    VARIANT v = {};
    v.vt = VT_BSTR;
    v.bstrVal = const_cast<BSTR>(text);
    return v;
}

TEST(DispatchRegistration, FailsWithThePlatformCodeUntilTheLibraryIsRegistered)
{
    PrivateClassesRoot classes;
    EmptyHolders();
    ComPtr<CComObject<CTestUpload>> object = MakeObject<CTestUpload>();
    IDispatch* dispatch = object.Get();

    ComPtr<ITypeLib> unused;
    const HRESULT expected =
        LoadRegTypeLib(LIBID_TAVRINUPLOADLib, 1, 0, kLocale, unused.ReleaseAndGetAddressOf());
    ASSERT_TRUE(FAILED(expected));

    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(testing::Message() << "attempt " << attempt);
        ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
        EXPECT_EQ(expected, dispatch->GetTypeInfo(0, kLocale, &info));
        EXPECT_EQ(nullptr, info);
        std::vector<DISPID> ids;
        EXPECT_EQ(expected, IdsOfNames(dispatch, {L"Count"}, &ids));
        VariantHolder result;
        EXPECT_EQ(expected, Call(dispatch, 1, DISPATCH_PROPERTYGET, {}, result.Get()));
        EXPECT_EQ(L"", object->m_calls);
        EXPECT_EQ(nullptr, CTestUpload::_tih.m_pInfo.load());
        EXPECT_EQ(nullptr, CTestUpload::_tih.m_pMap.load());
    }

    ASSERT_EQ(S_OK, PrivateClassesRoot::RegisterLibrary());
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfo(0, kLocale, info.ReleaseAndGetAddressOf()));
    EXPECT_TRUE(info);
    std::vector<DISPID> ids;
    EXPECT_EQ(S_OK, IdsOfNames(dispatch, {L"Count"}, &ids));
    EXPECT_EQ(1, ids[0]);
    VariantHolder result;
    EXPECT_EQ(S_OK, Call(dispatch, 1, DISPATCH_PROPERTYGET, {}, result.Get()));
    EXPECT_EQ(VT_I4, result->vt);
    EXPECT_EQ(3, result->lVal);
    EXPECT_EQ(L"Count;", object->m_calls);
    info.Reset();
    EmptyHolders();
}

class Dispatch : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_classes = new PrivateClassesRoot();
        ASSERT_EQ(S_OK, PrivateClassesRoot::RegisterLibrary());
    }
    static void TearDownTestSuite()
    {
        EmptyHolders();
        delete s_classes;
        s_classes = nullptr;
    }

    ComPtr<CComObject<CTestUpload>> m_upload = MakeObject<CTestUpload>();

    static inline PrivateClassesRoot* s_classes = nullptr;
};

// The library is registered for 1033 only; callers with other locales
// (a script engine on a Chinese or British system, the neutral locale) reach
// it all the same.
TEST_F(Dispatch, CallersWithAnotherLocaleReachTheLibrary)
{
    for (LCID locale :
         {LCID(0x804), LCID(0x809), LCID(LOCALE_NEUTRAL), LCID(LOCALE_USER_DEFAULT)}) {
        SCOPED_TRACE(testing::Message() << "locale " << locale);
        EmptyHolders();
        LPOLESTR name = const_cast<LPOLESTR>(L"Count");
        DISPID id = DISPID_UNKNOWN;
        EXPECT_EQ(S_OK, m_upload->GetIDsOfNames(IID_NULL, &name, 1, locale, &id));
        EXPECT_EQ(1, id);
    }
}

TEST_F(Dispatch, NamesResolveWhateverTheirCase)
{
    struct Row
    {
        const char* label;
        std::vector<const wchar_t*> names;
        HRESULT expected;
        std::vector<DISPID> ids;
    };
    const Row rows[] = {
        {"Item", {L"Item"}, S_OK, {0}},
        {"item", {L"item"}, S_OK, {0}},
        {"MAXSIZE", {L"MAXSIZE"}, S_OK, {2}},
        {"OnStartPage", {L"OnStartPage"}, S_OK, {0x60020000}},
        {"unknown name", {L"Missing"}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
        {"empty name", {L""}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
        {"member of the other interface", {L"SaveAs"}, DISP_E_UNKNOWNNAME, {DISPID_UNKNOWN}},
        {"member and parameter", {L"item", L"INDEX"}, S_OK, {0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<DISPID> ids;
        EXPECT_EQ(row.expected, IdsOfNames(m_upload.Get(), row.names, &ids));
        EXPECT_EQ(row.ids, ids);
    }
}

TEST_F(Dispatch, NullArgumentBlocksAreRejected)
{
    VariantHolder result;
    EXPECT_EQ(E_INVALIDARG, m_upload->Invoke(1, IID_NULL, kLocale, DISPATCH_PROPERTYGET, nullptr,
                                             result.Get(), nullptr, nullptr));
    EXPECT_EQ(L"", m_upload->m_calls);
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"Item");
    EXPECT_EQ(E_POINTER, m_upload->GetIDsOfNames(IID_NULL, nullptr, 1, kLocale, &id));
    EXPECT_EQ(E_POINTER, m_upload->GetIDsOfNames(IID_NULL, &name, 1, kLocale, nullptr));
    EXPECT_EQ(E_POINTER, m_upload->GetTypeInfoCount(nullptr));
    EXPECT_EQ(E_POINTER, m_upload->GetTypeInfo(0, kLocale, nullptr));
}

TEST_F(Dispatch, InvokeReachesTheMemberAtItsPosition)
{
    VariantHolder result;
    // DISPID 0 with one argument is the default member, Item.
    ASSERT_EQ(S_OK, Call(m_upload.Get(), DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                         {Long(5)}, result.Get()));
    EXPECT_EQ(L"Item;", m_upload->m_calls);
    EXPECT_EQ(VT_I4, m_upload->m_itemIndex->vt);
    EXPECT_EQ(5, m_upload->m_itemIndex->lVal);
    EXPECT_EQ(4242, result->lVal);

    m_upload->m_calls.clear();
    EXPECT_EQ(S_OK, Call(m_upload.Get(), 2, DISPATCH_PROPERTYPUT, {Long(99)}, nullptr));
    EXPECT_EQ(S_OK, Call(m_upload.Get(), 3, DISPATCH_PROPERTYPUT, {Text(L"936")}, nullptr));
    result.Clear();
    EXPECT_EQ(S_OK, Call(m_upload.Get(), 2, DISPATCH_PROPERTYGET, {}, result.Get()));
    EXPECT_EQ(99, result->lVal);
    EXPECT_EQ(936, m_upload->m_pageCode);
    EXPECT_EQ(L"put_MaxSize;put_PageCode;get_MaxSize;", m_upload->m_calls);

    m_upload->m_calls.clear();
    VARIANT unknown = {};
    unknown.vt = VT_UNKNOWN;
    unknown.punkVal = static_cast<IUpload*>(m_upload.Get());
    EXPECT_EQ(S_OK, Call(m_upload.Get(), 0x60020000, DISPATCH_METHOD, {unknown}, nullptr));
    EXPECT_EQ(L"OnStartPage;", m_upload->m_calls);
    EXPECT_NE(nullptr, m_upload->m_startPageArg);
}

} // namespace
