// registry-rows: writes the Windows Installer Registry table (.idt) that
// registers built copies of TavrinUpload.dll, so that the installer writes,
// repairs and removes the registration itself instead of calling
// DllRegisterServer. The rows come from the same data that DllRegisterServer
// uses: the registry scripts in the DLL's resources, run by the library's
// own interpreter over a registry kept in memory, and the DLL's type library,
// read as RegisterTypeLib reads it. The DLLs are only mapped as data, so one
// x64 run serves both architectures.
//
//   registry-rows ID=DLL [ID=DLL]...
//
// ID is the DLL's File and Component key in the package: its path is written
// as [#ID] and its folder as [$ID]. Each DLL's rows belong to its own
// component, and the installer writes them in that component's registry
// view. The TypeLib key is one key for both views, on 64-bit Windows and
// under Wine alike, so a value there that an earlier DLL already wrote (the
// library's title, FLAGS, HELPDIR) is left to that DLL's component: HELPDIR
// names the first DLL's folder, as after regsvr32 of the later DLL and then
// of the first.
#include "registrar/MemoryRegistry.h"
#include "registrar/RegObject.h"
#include "registrar/RegScriptParser.h"
#include "registrar/ScriptResource.h"
#include "util/BstrHolder.h"
#include "util/ComPtr.h"
#include "util/Handles.h"

#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <set>
#include <string>
#include <vector>

namespace {

// wchar_t is UTF-16 on Windows: the memory registry's names convert unit by
// unit.
std::u16string Utf16(const std::wstring& text)
{
    return std::u16string(text.begin(), text.end());
}

std::wstring Wide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

// Stand-ins for the module's path and folder while rows are recorded;
// characters of the private use area never occur in a script or a type
// library of ours.
constexpr wchar_t kModuleMark = L'\uE000';
constexpr wchar_t kFolderMark = L'\uE001';

struct Entry
{
    std::wstring id;
    std::wstring dll;
};

struct Row
{
    int root = 0;
    std::wstring key;
    std::wstring name; // "*" for an empty key: made on install, removed on uninstall
    std::wstring value;
    bool hasValue = false;
};

[[noreturn]] void Fail(const std::wstring& what, HRESULT hr = S_OK)
{
    if (hr != S_OK)
        fwprintf(stderr, L"registry-rows: %ls (0x%08lX)\n", what.c_str(),
                 static_cast<unsigned long>(hr));
    else
        fwprintf(stderr, L"registry-rows: %ls\n", what.c_str());
    exit(1);
}

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring Hex(unsigned value)
{
    wchar_t text[16];
    swprintf(text, 16, L"%x", value);
    return text;
}

struct StringWrite
{
    std::wstring key;
    std::wstring name;
    std::wstring text;
};

// The class scripts: every REGISTRY resource of the module, run in register
// mode with the variables that DllRegisterServer gives them.
BOOL CALLBACK CollectScriptName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    auto* names = reinterpret_cast<std::vector<std::wstring>*>(param);
    if (IS_INTRESOURCE(name))
        names->push_back(L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name)));
    else
        names->push_back(name);
    return TRUE;
}

void RecordScripts(const std::wstring& dll, MemoryRegistry& registry)
{
    ModuleHolder module(LoadLibraryExW(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module)
        Fail(L"cannot map " + dll, HRESULT_FROM_WIN32(GetLastError()));
    std::vector<std::wstring> names;
    EnumResourceNamesW(module.Get(), L"REGISTRY", CollectScriptName,
                       reinterpret_cast<LONG_PTR>(&names));
    if (names.empty())
        Fail(L"no registry scripts in " + dll);
    const std::wstring modulePath(1, kModuleMark);
    for (const std::wstring& name : names) {
        std::vector<WCHAR> text;
        HRESULT hr = LoadScriptResourceText(module.Get(), name.c_str(), L"REGISTRY", &text);
        if (FAILED(hr))
            Fail(L"cannot read script " + name, hr);
        CRegObject registrar;
        registrar.AddVariable(L"APPID", L"");
        registrar.AddVariable(L"Module", modulePath.c_str());
        registrar.AddVariable(L"Module_Raw", modulePath.c_str());
        CRegScriptParser parser(registrar, registry);
        hr = parser.RunScript(text.data(), true);
        if (FAILED(hr))
            Fail(L"script " + name + L" failed", hr);
    }
}

// What RegisterTypeLib writes for the module's type library with the
// module's folder as help folder: the library's key and, for every
// dispatch or automation interface, its Interface key.
void RecordTypeLib(const std::wstring& dll, MemoryRegistry& registry)
{
    ComPtr<ITypeLib> typeLib;
    HRESULT hr = LoadTypeLibEx(dll.c_str(), REGKIND_NONE, typeLib.ReleaseAndGetAddressOf());
    if (FAILED(hr))
        Fail(L"cannot load the type library of " + dll, hr);
    TLIBATTR* attr = nullptr;
    hr = typeLib->GetLibAttr(&attr);
    if (FAILED(hr))
        Fail(L"no type library attributes", hr);
    const std::wstring libId = GuidText(attr->guid);
    const std::wstring version = Hex(attr->wMajorVerNum) + L"." + Hex(attr->wMinorVerNum);
    const std::wstring key = L"TypeLib\\" + libId + L"\\" + version;
    const wchar_t* platform = attr->syskind == SYS_WIN64 ? L"win64" : L"win32";
    const std::wstring flags = std::to_wstring(attr->wLibFlags);
    const std::wstring lcid = Hex(attr->lcid);
    typeLib->ReleaseTLibAttr(attr);

    BstrHolder name;
    BstrHolder doc;
    hr = typeLib->GetDocumentation(-1, name.ReleaseAndGetAddressOf(), doc.ReleaseAndGetAddressOf(),
                                   nullptr, nullptr);
    if (FAILED(hr))
        Fail(L"no type library name", hr);
    // The title is the library's help string, else its name.
    const std::wstring title = doc.Get() ? doc.Get() : (name.Get() ? name.Get() : L"");
    std::vector<StringWrite> writes = {
        {key, L"", title},
        {key + L"\\" + lcid + L"\\" + platform, L"", std::wstring(1, kModuleMark)},
        {key + L"\\FLAGS", L"", flags},
        {key + L"\\HELPDIR", L"", std::wstring(1, kFolderMark)},
    };
    const UINT count = typeLib->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind;
        if (FAILED(typeLib->GetTypeInfoType(i, &kind)))
            continue;
        if (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH)
            continue;
        ComPtr<ITypeInfo> info;
        TYPEATTR* type = nullptr;
        if (FAILED(typeLib->GetTypeInfo(i, info.ReleaseAndGetAddressOf())) ||
            FAILED(info->GetTypeAttr(&type)))
            Fail(L"cannot read type " + std::to_wstring(i));
        const bool automation = (type->wTypeFlags & TYPEFLAG_FOLEAUTOMATION) != 0;
        const bool dual = (type->wTypeFlags & TYPEFLAG_FDUAL) != 0;
        const std::wstring iid = GuidText(type->guid);
        info->ReleaseTypeAttr(type);
        if (kind == TKIND_INTERFACE && !automation)
            continue;
        // Dual and plain automation interfaces go through the automation
        // marshaler, dispinterfaces through the dispatch one.
        const wchar_t* proxy = kind == TKIND_INTERFACE || dual
                                   ? L"{00020424-0000-0000-C000-000000000046}"
                                   : L"{00020420-0000-0000-C000-000000000046}";
        BstrHolder typeName;
        typeLib->GetDocumentation(static_cast<INT>(i), typeName.ReleaseAndGetAddressOf(), nullptr,
                                  nullptr, nullptr);
        const std::wstring base = L"Interface\\" + iid;
        writes.push_back({base, L"", typeName.Get() ? typeName.Get() : L""});
        writes.push_back({base + L"\\ProxyStubClsid", L"", proxy});
        writes.push_back({base + L"\\ProxyStubClsid32", L"", proxy});
        writes.push_back({base + L"\\TypeLib", L"", libId});
        writes.push_back({base + L"\\TypeLib", L"Version", version});
    }
    for (const StringWrite& write : writes) {
        MemoryRegistry::Value value;
        value.type = kRegString;
        const auto* bytes = reinterpret_cast<const BYTE*>(write.text.c_str());
        value.data.assign(bytes, bytes + (write.text.size() + 1) * sizeof(wchar_t));
        registry.SetPathValue(u"HKCR\\" + Utf16(write.key), Utf16(write.name), value);
    }
}

int RootNumber(RegRoot root)
{
    switch (root) {
    case RegRoot::ClassesRoot:
        return 0;
    case RegRoot::CurrentUser:
        return 1;
    case RegRoot::LocalMachine:
        return 2;
    case RegRoot::Users:
        return 3;
    default:
        Fail(L"a script writes a root that an installer package cannot");
    }
}

// Literal text in a formatted column: brackets would start a reference.
std::wstring Formatted(const std::wstring& text, const std::wstring& id)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'[')
            out += L"[\\[]";
        else if (c == L']')
            out += L"[\\]]";
        else if (c == kModuleMark)
            out += L"[#" + id + L"]";
        else if (c == kFolderMark)
            out += L"[$" + id + L"]";
        else
            out += c;
    }
    return out;
}

// A registry value as the Registry table's Value column spells it.
std::wstring ValueText(const MemoryRegistry::Value& value, const std::wstring& id)
{
    if (value.type == kRegDword && value.data.size() == 4) {
        DWORD number = 0;
        memcpy(&number, value.data.data(), 4);
        return L"#" + std::to_wstring(number);
    }
    if (value.type != kRegString)
        Fail(L"value type " + std::to_wstring(value.type) + L" is not written by this tool");
    std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()),
                      value.data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    // An empty Value would be read as "create the key", not as an empty
    // string.
    if (text.empty())
        Fail(L"an empty string value cannot be written as a Registry row");
    if (text[0] == L'#')
        text.insert(0, 1, L'#');
    return Formatted(text, id);
}

std::vector<Row> RowsOf(const Entry& entry)
{
    MemoryRegistry registry;
    RecordScripts(entry.dll, registry);
    RecordTypeLib(entry.dll, registry);
    std::vector<Row> rows;
    registry.ForEachKey([&](const MemoryRegistry::KeyView& key) {
        if (key.path.empty()) {
            if (!key.values.empty())
                Fail(L"a script writes a value on a root key");
            return;
        }
        const int root = RootNumber(key.root);
        const std::wstring path = Formatted(Wide(key.path), entry.id);
        for (const auto& [name, value] : key.values)
            rows.push_back(
                {root, path, Formatted(Wide(name), entry.id), ValueText(*value, entry.id), true});
        if (key.values.empty() && !key.hasSubkeys)
            rows.push_back({root, path, L"*", L"", false});
    });
    return rows;
}

void WriteField(const std::wstring& text)
{
    for (wchar_t c : text) {
        if (c < 0x20 || c > 0x7E)
            Fail(L"a row holds a character outside printable ASCII");
        fputc(static_cast<char>(c), stdout);
    }
}

// Whether ROW is the first to write its value under the TypeLib key, which
// both views share: a later DLL's row for the same value is left out.
bool FirstInSharedTypeLib(const Row& row, std::set<std::wstring>& written)
{
    if (row.root != 0 || row.key.compare(0, 8, L"TypeLib\\") != 0)
        return true;
    std::wstring value = row.key + L'\t' + row.name;
    CharUpperW(value.data());
    return written.insert(value).second;
}

void WriteRow(const std::wstring& id, const Row& row, const std::wstring& component)
{
    WriteField(id);
    fputc('\t', stdout);
    WriteField(std::to_wstring(row.root));
    fputc('\t', stdout);
    WriteField(row.key);
    fputc('\t', stdout);
    WriteField(row.name);
    fputc('\t', stdout);
    WriteField(row.value);
    fputc('\t', stdout);
    WriteField(component);
    fputs("\r\n", stdout);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<Entry> entries;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const size_t equals = arg.find(L'=');
        if (equals == 0 || equals == std::wstring::npos || equals + 1 == arg.size())
            Fail(L"usage: registry-rows ID=DLL [ID=DLL]...");
        entries.push_back({arg.substr(0, equals), arg.substr(equals + 1)});
    }
    if (entries.empty())
        Fail(L"usage: registry-rows ID=DLL [ID=DLL]...");

    // Binary: the table's lines end in CR LF exactly once.
    _setmode(_fileno(stdout), _O_BINARY);
    fputs("Registry\tRoot\tKey\tName\tValue\tComponent_\r\n", stdout);
    fputs("s72\ti2\tl255\tL255\tL0\ts72\r\n", stdout);
    fputs("Registry\tRegistry\r\n", stdout);
    std::set<std::wstring> typeLibValues;
    for (const Entry& entry : entries) {
        int number = 0;
        for (const Row& row : RowsOf(entry)) {
            if (!FirstInSharedTypeLib(row, typeLibValues))
                continue;
            wchar_t id[80];
            swprintf(id, 80, L"reg_%ls_%03d", entry.id.c_str(), ++number);
            WriteRow(id, row, entry.id);
        }
    }
    return fflush(stdout) == 0 ? 0 : 1;
}
