// The type library embedded in the module, read back through the platform's
// type-library reader: library attributes, the four type descriptions in
// order, and every member of both dual interfaces with its DISPID, kind,
// function-table position, parameters and defaults. The help strings must
// be stored in code page 936.
#include "TavrinUpload_h.h"
#include "util/BstrHolder.h"
#include "util/ComPtr.h"
#include "util/ModuleInstance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <oleauto.h>
#include <string>
#include <vector>

namespace {

ComPtr<ITypeLib> LoadEmbeddedLibrary()
{
    wchar_t path[MAX_PATH] = {};
    EXPECT_NE(0u, GetModuleFileNameW(ModuleInstance(), path, MAX_PATH));
    ComPtr<ITypeLib> library;
    EXPECT_EQ(S_OK, LoadTypeLibEx(path, REGKIND_NONE, library.ReleaseAndGetAddressOf()));
    return library;
}

std::wstring Text(BSTR s)
{
    return s ? std::wstring(s, SysStringLen(s)) : std::wstring();
}

std::string Bytes(UINT codePage, const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                        nullptr, nullptr);
    return bytes;
}

// The bytes a help string must have in the library: code page 936. The
// reader turns stored bytes into text under the system's ANSI code page, so
// converting back under that code page gives the stored bytes again.
std::string StoredBytes(const wchar_t* help)
{
    return help ? Bytes(936, help) : std::string();
}

struct Documentation
{
    std::wstring name;
    std::wstring help;
};

Documentation Describe(ITypeLib* library, INT index)
{
    BstrHolder name;
    BstrHolder help;
    EXPECT_EQ(S_OK, library->GetDocumentation(index, name.ReleaseAndGetAddressOf(),
                                              help.ReleaseAndGetAddressOf(), nullptr, nullptr));
    return {Text(name.Get()), Text(help.Get())};
}

TEST(TypeLibrary, LibraryAttributes)
{
    ComPtr<ITypeLib> library = LoadEmbeddedLibrary();
    ASSERT_TRUE(library);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(LIBID_TAVRINUPLOADLib, attr->guid));
    EXPECT_EQ(1033u, attr->lcid);
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(0, attr->wMinorVerNum);
    // The compiler marks every library it writes as having a disk image; no
    // other flag (restricted, control, hidden) may be set.
    EXPECT_EQ(0, attr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE);
    EXPECT_EQ(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32, attr->syskind);
    library->ReleaseTLibAttr(attr);

    const Documentation doc = Describe(library.Get(), -1);
    EXPECT_EQ(L"TAVRINUPLOADLib", doc.name);
    EXPECT_EQ(L"TavrinUpload 1.0 Type Library", doc.help);
}

TEST(TypeLibrary, FourTypeDescriptionsInOrder)
{
    ComPtr<ITypeLib> library = LoadEmbeddedLibrary();
    ASSERT_TRUE(library);
    struct Row
    {
        const wchar_t* name;
        TYPEKIND kind;
        const GUID& guid;
        WORD flags;
        const wchar_t* help;
    };
    // The dispatch form of a dual interface; its function-table form adds
    // the automation-compatible flag (see CheckMembers).
    const WORD dualFlags = TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;
    const Row rows[] = {
        {L"Upload", TKIND_COCLASS, CLSID_Upload, TYPEFLAG_FCANCREATE, L"Upload Class"},
        {L"IUpload", TKIND_DISPATCH, IID_IUpload, dualFlags, L"IUpload Interface"},
        {L"UploadFile", TKIND_COCLASS, CLSID_UploadFile, TYPEFLAG_FCANCREATE, L"UploadFile Class"},
        {L"IUploadFile", TKIND_DISPATCH, IID_IUploadFile, dualFlags, L"IUploadFile Interface"},
    };
    ASSERT_EQ(4u, library->GetTypeInfoCount());
    for (UINT i = 0; i < 4; ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(testing::Message() << "type " << i);
        const Documentation doc = Describe(library.Get(), static_cast<INT>(i));
        EXPECT_EQ(row.name, doc.name);
        EXPECT_EQ(row.help, doc.help);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, library->GetTypeInfo(i, info.ReleaseAndGetAddressOf()));
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
        EXPECT_EQ(row.kind, attr->typekind);
        EXPECT_TRUE(IsEqualGUID(row.guid, attr->guid));
        EXPECT_EQ(row.flags, attr->wTypeFlags);
        info->ReleaseTypeAttr(attr);
    }
}

TEST(TypeLibrary, EachClassNamesItsInterfaceAsDefault)
{
    ComPtr<ITypeLib> library = LoadEmbeddedLibrary();
    ASSERT_TRUE(library);
    const struct
    {
        const GUID& clsid;
        const wchar_t* itf;
    } rows[] = {{CLSID_Upload, L"IUpload"}, {CLSID_UploadFile, L"IUploadFile"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.itf);
        ComPtr<ITypeInfo> coclass;
        ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(row.clsid, coclass.ReleaseAndGetAddressOf()));
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
        EXPECT_EQ(1, attr->cImplTypes);
        coclass->ReleaseTypeAttr(attr);
        INT flags = 0;
        ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(0, &flags));
        EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, flags);
        HREFTYPE ref = 0;
        ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(0, &ref));
        ComPtr<ITypeInfo> itf;
        ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(ref, itf.ReleaseAndGetAddressOf()));
        BstrHolder name;
        ASSERT_EQ(S_OK, itf->GetDocumentation(MEMBERID_NIL, name.ReleaseAndGetAddressOf(), nullptr,
                                              nullptr, nullptr));
        EXPECT_EQ(row.itf, Text(name.Get()));
    }
}

// One parameter as the library records it. vt is the element type, with
// VT_BYREF standing for a pointer to it.
struct Param
{
    const wchar_t* name; // null when the library records no name
    VARTYPE vt;
    USHORT flags;
    bool hasDefault;
    LONG defaultValue;
};

struct Member
{
    int pos;
    DISPID id;
    INVOKEKIND kind;
    const wchar_t* name;
    const wchar_t* help; // null when none
    std::vector<Param> params;
};

constexpr USHORT kOutRetval = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;

const wchar_t kItemHelp[] = L"表单项(文件或普通表单项)";
const wchar_t kMaxSizeHelp[] = L"限制最大上传数据size";
const wchar_t kPageCodeHelp[] = L"代码页/字符集";

const std::vector<Member>& UploadMembers()
{
    static const std::vector<Member> members = {
        {7,
         0x60020000,
         INVOKE_FUNC,
         L"OnStartPage",
         nullptr,
         {{L"piUnk", VT_UNKNOWN, PARAMFLAG_FIN, false, 0}}},
        {8, 0x60020001, INVOKE_FUNC, L"OnEndPage", nullptr, {}},
        {9,
         0,
         INVOKE_PROPERTYGET,
         L"Item",
         kItemHelp,
         {{L"index", VT_VARIANT, PARAMFLAG_NONE, false, 0},
          {L"pVal", VT_BYREF | VT_VARIANT, kOutRetval, false, 0}}},
        {10,
         1,
         INVOKE_PROPERTYGET,
         L"Count",
         L"表单项",
         {{L"pVal", VT_BYREF | VT_I4, kOutRetval, false, 0}}},
        {11,
         2,
         INVOKE_PROPERTYGET,
         L"MaxSize",
         kMaxSizeHelp,
         {{L"pVal", VT_BYREF | VT_I4, kOutRetval, false, 0}}},
        {12,
         2,
         INVOKE_PROPERTYPUT,
         L"MaxSize",
         kMaxSizeHelp,
         {{nullptr, VT_I4, PARAMFLAG_FIN, false, 0}}},
        {13,
         3,
         INVOKE_PROPERTYGET,
         L"PageCode",
         kPageCodeHelp,
         {{L"pVal", VT_BYREF | VT_I4, kOutRetval, false, 0}}},
        {14,
         3,
         INVOKE_PROPERTYPUT,
         L"PageCode",
         kPageCodeHelp,
         {{nullptr, VT_I4, PARAMFLAG_FIN, false, 0}}},
        {15,
         4,
         INVOKE_PROPERTYGET,
         L"About",
         L"版权信息",
         {{L"pVal", VT_BYREF | VT_BSTR, kOutRetval, false, 0}}},
    };
    return members;
}

const std::vector<Member>& UploadFileMembers()
{
    static const std::vector<Member> members = {
        {7,
         0,
         INVOKE_PROPERTYGET,
         L"Content",
         L"取文件内容",
         {{L"IsString", VT_BOOL, PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT, true, -1},
          {L"pVal", VT_BYREF | VT_VARIANT, kOutRetval, false, 0}}},
        {8,
         1,
         INVOKE_PROPERTYGET,
         L"Name",
         L"表单名",
         {{L"pVal", VT_BYREF | VT_BSTR, kOutRetval, false, 0}}},
        {9,
         2,
         INVOKE_PROPERTYGET,
         L"FileName",
         L"文件名",
         {{L"pVal", VT_BYREF | VT_BSTR, kOutRetval, false, 0}}},
        {10,
         3,
         INVOKE_PROPERTYGET,
         L"FilePath",
         L"上传文件的本地路径",
         {{L"pVal", VT_BYREF | VT_BSTR, kOutRetval, false, 0}}},
        {11,
         4,
         INVOKE_PROPERTYGET,
         L"Size",
         L"文件size",
         {{L"pVal", VT_BYREF | VT_I4, kOutRetval, false, 0}}},
        {12,
         5,
         INVOKE_PROPERTYGET,
         L"ContentType",
         L"文件类型",
         {{L"pVal", VT_BYREF | VT_BSTR, kOutRetval, false, 0}}},
        {13,
         6,
         INVOKE_FUNC,
         L"SaveAs",
         L"保存到指定文件",
         {{L"SavePath", VT_BSTR, PARAMFLAG_NONE, false, 0},
          {L"IsOverwrites", VT_BOOL, PARAMFLAG_FIN | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT, true,
           0},
          {L"pVal", VT_BYREF | VT_BOOL, kOutRetval, false, 0}}},
        {14,
         7,
         INVOKE_PROPERTYGET,
         L"FileExt",
         L"文件扩展名",
         {{L"pVal", VT_BYREF | VT_BSTR, kOutRetval, false, 0}}},
    };
    return members;
}

VARTYPE ElementType(const TYPEDESC& type)
{
    if (type.vt == VT_PTR && type.lptdesc)
        return static_cast<VARTYPE>(VT_BYREF | type.lptdesc->vt);
    return type.vt;
}

void CheckParam(const Param& expected, const ELEMDESC& actual, BSTR name, bool checkName)
{
    SCOPED_TRACE(testing::Message()
                 << "parameter " << (expected.name ? expected.name : L"(unnamed)"));
    if (checkName) {
        EXPECT_EQ(expected.name ? std::wstring(expected.name) : std::wstring(), Text(name));
    }
    EXPECT_EQ(expected.vt, ElementType(actual.tdesc));
    EXPECT_EQ(expected.flags, actual.paramdesc.wParamFlags);
    if (!expected.hasDefault)
        return;
    ASSERT_NE(nullptr, actual.paramdesc.pparamdescex);
    EXPECT_EQ(expected.vt, actual.paramdesc.pparamdescex->varDefaultValue.vt);
    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(S_OK,
              VariantChangeType(&value, &actual.paramdesc.pparamdescex->varDefaultValue, 0, VT_I4));
    EXPECT_EQ(expected.defaultValue, value.lVal);
}

// Members of a dual interface, read from its function-table form.
void CheckMembers(const IID& iid, const std::vector<Member>& members)
{
    ComPtr<ITypeLib> library = LoadEmbeddedLibrary();
    ASSERT_TRUE(library);
    ComPtr<ITypeInfo> dispatch;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(iid, dispatch.ReleaseAndGetAddressOf()));
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &ref));
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(ref, info.ReleaseAndGetAddressOf()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
    EXPECT_EQ(TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE, attr->wTypeFlags);
    EXPECT_EQ(members.size(), attr->cFuncs);
    const UINT count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);

    for (UINT i = 0; i < count && i < members.size(); ++i) {
        const Member& m = members[i];
        SCOPED_TRACE(testing::Message() << "member " << m.name << " kind " << m.kind);
        FUNCDESC* func = nullptr;
        ASSERT_EQ(S_OK, info->GetFuncDesc(i, &func));
        EXPECT_EQ(m.id, func->memid);
        EXPECT_EQ(m.kind, func->invkind);
        EXPECT_EQ(m.pos, func->oVft / static_cast<int>(sizeof(void*)));
        EXPECT_EQ(FUNC_PUREVIRTUAL, func->funckind);
        EXPECT_EQ(0, func->wFuncFlags);
        EXPECT_EQ(VT_HRESULT, func->elemdescFunc.tdesc.vt);
        EXPECT_EQ(std::count_if(m.params.begin(), m.params.end(),
                                [](const Param& p) { return p.hasDefault; }),
                  func->cParamsOpt == -1 ? 0 : func->cParamsOpt);
        ASSERT_EQ(m.params.size(), static_cast<size_t>(func->cParams));
        // GetNames answers for the first function with a DISPID, so the names
        // of a put form (which records none for its value) are not readable
        // that way; its type and flags are.
        BSTR names[8] = {};
        UINT named = 0;
        const bool ownsDispid = m.kind != INVOKE_PROPERTYPUT;
        if (ownsDispid) {
            EXPECT_EQ(S_OK, info->GetNames(func->memid, names, 8, &named));
            EXPECT_EQ(m.params.size() + 1, named);
            EXPECT_EQ(m.name, Text(names[0]));
        }
        for (size_t p = 0; p < m.params.size(); ++p)
            CheckParam(m.params[p], func->lprgelemdescParam[p],
                       ownsDispid && p + 1 < named ? names[p + 1] : nullptr, ownsDispid);
        for (UINT n = 0; n < named; ++n)
            SysFreeString(names[n]);
        BstrHolder name;
        BstrHolder help;
        EXPECT_EQ(S_OK, info->GetDocumentation(func->memid, name.ReleaseAndGetAddressOf(),
                                               help.ReleaseAndGetAddressOf(), nullptr, nullptr));
        EXPECT_EQ(m.name, Text(name.Get()));
        EXPECT_EQ(StoredBytes(m.help), Bytes(CP_ACP, Text(help.Get())));
        info->ReleaseFuncDesc(func);
    }
}

TEST(TypeLibrary, UploadMembers)
{
    CheckMembers(IID_IUpload, UploadMembers());
}

TEST(TypeLibrary, UploadFileMembers)
{
    CheckMembers(IID_IUploadFile, UploadFileMembers());
}

// The raw resource holds each help string in code page 936, not in UTF-8.
TEST(TypeLibrary, HelpStringsAreStoredInCodePage936)
{
    HRSRC found = FindResourceW(ModuleInstance(), MAKEINTRESOURCEW(1), L"TYPELIB");
    ASSERT_NE(nullptr, found);
    const auto* data =
        static_cast<const char*>(LockResource(LoadResource(ModuleInstance(), found)));
    ASSERT_NE(nullptr, data);
    const std::string raw(data, SizeofResource(ModuleInstance(), found));
    for (const auto* list : {&UploadMembers(), &UploadFileMembers()}) {
        for (const Member& m : *list) {
            if (!m.help)
                continue;
            SCOPED_TRACE(testing::Message() << m.name);
            EXPECT_NE(std::string::npos, raw.find(StoredBytes(m.help)));
            EXPECT_EQ(std::string::npos, raw.find(Bytes(CP_UTF8, m.help)));
        }
    }
    // The value of a put form is recorded without a name.
    EXPECT_EQ(std::string::npos, raw.find("newVal"));
}

} // namespace
