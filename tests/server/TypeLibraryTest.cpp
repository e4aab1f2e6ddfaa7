// The type library embedded in the module, read back through the platform's
// type-library reader and written out in an IDL-like text: library
// attributes, the four type descriptions in order, and every member of both
// dual interfaces with its function-table position, DISPID, kind, parameters
// and defaults. The text must equal TypeLibrary.expected. Help strings are
// shown as the code page 936 text their stored bytes make, so a library
// that stores them in any other code page differs.
#include "TavrinUpload_h.h"
#include "util/BstrHolder.h"
#include "util/ComPtr.h"
#include "util/ModuleInstance.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <oleauto.h>
#include <sstream>
#include <string>

namespace {

std::string Convert(UINT codePage, const std::wstring& text)
{
    std::string out(text.size() * 4, '\0');
    out.resize(static_cast<size_t>(
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                            static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

std::wstring Text(BSTR text)
{
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

std::string Utf8(BSTR text)
{
    return Convert(CP_UTF8, Text(text));
}

std::string Utf8(const GUID& guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return Convert(CP_UTF8, text);
}

// The reader turns the stored bytes into text under the system's ANSI code
// page; converting back under it gives the stored bytes, read here as 936.
std::string Help(BSTR help)
{
    const std::string stored = Convert(CP_ACP, Text(help));
    std::wstring text(stored.size(), L'\0');
    text.resize(static_cast<size_t>(
        MultiByteToWideChar(936, 0, stored.data(), static_cast<int>(stored.size()), text.data(),
                            static_cast<int>(text.size()))));
    return "\"" + Convert(CP_UTF8, text) + "\"";
}

std::string TypeName(const TYPEDESC& type)
{
    if (type.vt == VT_PTR)
        return TypeName(*type.lptdesc) + "*";
    const std::map<VARTYPE, std::string> names = {
        {VT_I4, "long"},         {VT_BSTR, "BSTR"},         {VT_BOOL, "VARIANT_BOOL"},
        {VT_VARIANT, "VARIANT"}, {VT_UNKNOWN, "IUnknown*"}, {VT_HRESULT, "HRESULT"}};
    const auto found = names.find(type.vt);
    return found != names.end() ? found->second : "vt" + std::to_string(type.vt);
}

std::string ParamFlags(const PARAMDESC& param)
{
    std::string flags;
    const struct
    {
        USHORT flag;
        const char* name;
    } names[] = {{PARAMFLAG_FIN, "in"},
                 {PARAMFLAG_FOUT, "out"},
                 {PARAMFLAG_FRETVAL, "retval"},
                 {PARAMFLAG_FOPT, "optional"}};
    for (const auto& name : names) {
        if (param.wParamFlags & name.flag)
            flags += std::string(flags.empty() ? "" : ", ") + name.name;
    }
    if (param.wParamFlags & PARAMFLAG_FHASDEFAULT) {
        VARIANT value = param.pparamdescex->varDefaultValue; // a number: nothing to free
        VARIANT number;
        VariantInit(&number);
        VariantChangeType(&number, &value, 0, VT_I4);
        flags += std::string(flags.empty() ? "" : ", ") + "defaultvalue(vt" +
                 std::to_string(value.vt) + " " + std::to_string(number.lVal) + ")";
    }
    const USHORT known =
        PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FRETVAL | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT;
    if (param.wParamFlags & ~known)
        flags += " other " + std::to_string(param.wParamFlags & ~known);
    return flags.empty() ? "" : "[" + flags + "] ";
}

// One line per member of the function-table form of a dual interface.
void DumpMembers(ITypeInfo* dispatch, std::ostream& out)
{
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &ref));
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(ref, info.ReleaseAndGetAddressOf()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    out << "  interface kind " << attr->typekind << " flags 0x" << std::hex << attr->wTypeFlags
        << std::dec << "\n";
    const UINT count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* func = nullptr;
        ASSERT_EQ(S_OK, info->GetFuncDesc(i, &func));
        // GetNames answers for the first function with a DISPID, so the
        // names of a put form (which records none for its value) are not
        // readable that way.
        BSTR names[8] = {};
        UINT named = 0;
        if (func->invkind != INVOKE_PROPERTYPUT)
            info->GetNames(func->memid, names, 8, &named);
        BstrHolder name, help;
        info->GetDocumentation(func->memid, name.ReleaseAndGetAddressOf(),
                               help.ReleaseAndGetAddressOf(), nullptr, nullptr);
        out << "  " << func->oVft / static_cast<int>(sizeof(void*)) << " [id(0x" << std::hex
            << func->memid << std::dec << ")] invoke " << func->invkind << " funckind "
            << func->funckind << " flags " << func->wFuncFlags << " optional " << func->cParamsOpt
            << " " << TypeName(func->elemdescFunc.tdesc) << " " << Utf8(name.Get()) << "(";
        for (SHORT p = 0; p < func->cParams; ++p) {
            const ELEMDESC& param = func->lprgelemdescParam[p];
            out << (p ? ", " : "") << ParamFlags(param.paramdesc) << TypeName(param.tdesc) << " "
                << (static_cast<UINT>(p) + 1 < named ? Utf8(names[p + 1]) : "");
        }
        out << ") " << Help(help.Get()) << "\n";
        for (UINT n = 0; n < named; ++n)
            SysFreeString(names[n]);
        info->ReleaseFuncDesc(func);
    }
}

std::string Dump(ITypeLib* library)
{
    std::ostringstream out;
    TLIBATTR* libAttr = nullptr;
    EXPECT_EQ(S_OK, library->GetLibAttr(&libAttr));
    if (!libAttr)
        return "";
    BstrHolder name, help;
    library->GetDocumentation(-1, name.ReleaseAndGetAddressOf(), help.ReleaseAndGetAddressOf(),
                              nullptr, nullptr);
    const SYSKIND sysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    out << "library " << Utf8(name.Get()) << " " << Utf8(libAttr->guid) << " v"
        << libAttr->wMajorVerNum << "." << libAttr->wMinorVerNum << " lcid " << libAttr->lcid
        << " flags " << libAttr->wLibFlags << " of-this-platform " << (libAttr->syskind == sysKind)
        << " " << Help(help.Get()) << "\n";
    library->ReleaseTLibAttr(libAttr);

    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(S_OK, library->GetTypeInfo(i, info.ReleaseAndGetAddressOf()));
        TYPEATTR* attr = nullptr;
        EXPECT_EQ(S_OK, info->GetTypeAttr(&attr));
        if (!attr)
            break;
        library->GetDocumentation(static_cast<INT>(i), name.ReleaseAndGetAddressOf(),
                                  help.ReleaseAndGetAddressOf(), nullptr, nullptr);
        out << "type " << Utf8(name.Get()) << " " << Utf8(attr->guid) << " kind " << attr->typekind
            << " flags 0x" << std::hex << attr->wTypeFlags << std::dec << " " << Help(help.Get())
            << "\n";
        for (UINT impl = 0; attr->typekind == TKIND_COCLASS && impl < attr->cImplTypes; ++impl) {
            INT flags = 0;
            HREFTYPE ref = 0;
            ComPtr<ITypeInfo> itf;
            info->GetImplTypeFlags(impl, &flags);
            info->GetRefTypeOfImplType(impl, &ref);
            info->GetRefTypeInfo(ref, itf.ReleaseAndGetAddressOf());
            if (itf)
                itf->GetDocumentation(MEMBERID_NIL, name.ReleaseAndGetAddressOf(), nullptr, nullptr,
                                      nullptr);
            out << "  implements " << Utf8(name.Get()) << " flags " << flags << "\n";
        }
        const bool dual = attr->typekind == TKIND_DISPATCH;
        info->ReleaseTypeAttr(attr);
        if (dual)
            DumpMembers(info.Get(), out);
    }
    return out.str();
}

TEST(TypeLibrary, ReadsBackAsTheExpectedDump)
{
    wchar_t path[MAX_PATH] = {};
    ASSERT_NE(0u, GetModuleFileNameW(ModuleInstance(), path, MAX_PATH));
    ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadTypeLibEx(path, REGKIND_NONE, library.ReleaseAndGetAddressOf()));
    std::ifstream file(TAVRIN_TYPELIB_EXPECTED, std::ios::binary);
    ASSERT_TRUE(file) << "cannot read " << TAVRIN_TYPELIB_EXPECTED;
    std::stringstream expected;
    expected << file.rdbuf();
    EXPECT_EQ(expected.str(), Dump(library.Get()));

    // The value of a put form is recorded without a name.
    HRSRC found = FindResourceW(ModuleInstance(), MAKEINTRESOURCEW(1), L"TYPELIB");
    ASSERT_NE(nullptr, found);
    const auto* data =
        static_cast<const char*>(LockResource(LoadResource(ModuleInstance(), found)));
    ASSERT_NE(nullptr, data);
    EXPECT_EQ(std::string::npos,
              std::string(data, SizeofResource(ModuleInstance(), found)).find("newVal"));
}

} // namespace
