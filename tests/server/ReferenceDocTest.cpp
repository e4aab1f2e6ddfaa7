// docs/reference.md against the built TavrinUpload.dll: every member that
// the embedded type library declares for IUpload and IUploadFile must have a
// row in the document's member table of that interface, with the same
// DISPID, the same kind (method, property read, property write), the same
// arguments in order and the same defaults; every row must name a member of
// the library; and every message of the DLL's string table must appear in
// the document's message table with its id and exact text.
//
// The document's tables are read by a small parser: a table starts at a row
// whose first cell is "Member" (member table; the interface is the last
// `IUpload` or `IUploadFile` named in a heading above it) or "Id" (message
// table). In the Arguments cell each argument is a name in backquotes, and a
// default is written "default VALUE" after its name.
#include "util/BstrHolder.h"
#include "util/ComPtr.h"
#include "util/Handles.h"
#include "util/VariantHolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <oleauto.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kRead = 1;
constexpr int kWrite = 2;
constexpr int kMethod = 4;

struct Argument
{
    std::string name;
    std::string defaultValue; // empty when the argument has none

    bool operator==(const Argument& other) const
    {
        return name == other.name && defaultValue == other.defaultValue;
    }
};

struct Member
{
    long dispid = 0;
    int kinds = 0;
    std::vector<Argument> arguments;
};

using Members = std::map<std::string, Member>;

std::string Narrow(const wchar_t* text, UINT length)
{
    std::string out(length * 4 + 1, '\0');
    out.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length),
                                                       out.data(), static_cast<int>(out.size()),
                                                       nullptr, nullptr)));
    return out;
}

std::string Narrow(BSTR text)
{
    return Narrow(text ? text : L"", SysStringLen(text));
}

// A default as a script author writes it: True or False for a boolean,
// otherwise the value's text.
std::string DefaultText(const PARAMDESC& param)
{
    if (!(param.wParamFlags & PARAMFLAG_FHASDEFAULT) || !param.pparamdescex)
        return "";
    const VARIANT& value = param.pparamdescex->varDefaultValue;
    if (value.vt == VT_BOOL)
        return value.boolVal ? "True" : "False";
    VariantHolder text;
    if (FAILED(VariantChangeType(text.Get(), const_cast<VARIANT*>(&value), 0, VT_BSTR)))
        return "?";
    return Narrow(text->bstrVal);
}

// The members of the function-table form of the dual interface named name.
Members LibraryMembers(ITypeLib* library, const wchar_t* name)
{
    Members members;
    ComPtr<ITypeInfo> dispatch;
    MEMBERID memid = 0;
    USHORT found = 1;
    std::wstring search(name);
    if (FAILED(library->FindName(search.data(), 0, dispatch.ReleaseAndGetAddressOf(), &memid,
                                 &found)) ||
        found != 1 || !dispatch) {
        ADD_FAILURE() << "no type description for this interface";
        return members;
    }
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> info;
    if (FAILED(dispatch->GetRefTypeOfImplType(-1, &ref)) ||
        FAILED(dispatch->GetRefTypeInfo(ref, info.ReleaseAndGetAddressOf()))) {
        ADD_FAILURE() << "interface is not dual";
        return members;
    }
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr)))
        return members;
    const UINT count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* func = nullptr;
        if (FAILED(info->GetFuncDesc(i, &func)))
            continue;
        BstrHolder memberName;
        info->GetDocumentation(func->memid, memberName.ReleaseAndGetAddressOf(), nullptr, nullptr,
                               nullptr);
        Member& member = members[Narrow(memberName.Get())];
        member.dispid = func->memid;
        member.kinds |= func->invkind == INVOKE_PROPERTYGET   ? kRead
                        : func->invkind == INVOKE_PROPERTYPUT ? kWrite
                                                              : kMethod;
        // The put form's only argument is the new value, which the document
        // does not list; GetNames answers for the first form of a DISPID,
        // which is never the put form here.
        if (func->invkind != INVOKE_PROPERTYPUT) {
            BSTR names[8] = {};
            UINT named = 0;
            info->GetNames(func->memid, names, 8, &named);
            std::vector<BstrHolder> held;
            for (UINT n = 0; n < named; ++n)
                held.emplace_back(names[n]);
            for (SHORT p = 0; p < func->cParams; ++p) {
                const PARAMDESC& param = func->lprgelemdescParam[p].paramdesc;
                if (param.wParamFlags & PARAMFLAG_FRETVAL)
                    continue;
                const UINT slot = static_cast<UINT>(p) + 1;
                member.arguments.push_back(
                    {slot < named ? Narrow(held[slot].Get()) : "?", DefaultText(param)});
            }
        }
        info->ReleaseFuncDesc(func);
    }
    return members;
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> Cells(const std::string& row)
{
    std::vector<std::string> cells;
    std::stringstream stream(row.substr(1));
    std::string cell;
    while (std::getline(stream, cell, '|'))
        cells.push_back(Trim(cell));
    if (!cells.empty() && cells.back().empty())
        cells.pop_back();
    return cells;
}

// `A`, `B` (optional, default True): each name in backquotes, and the
// default written after it.
std::vector<Argument> ParseArguments(const std::string& cell)
{
    std::vector<Argument> arguments;
    size_t at = 0;
    while ((at = cell.find('`', at)) != std::string::npos) {
        const size_t end = cell.find('`', at + 1);
        if (end == std::string::npos)
            break;
        Argument argument{cell.substr(at + 1, end - at - 1), ""};
        const size_t next = cell.find('`', end + 1);
        const std::string tail = cell.substr(end + 1, next - end - 1);
        const size_t word = tail.find("default ");
        if (word != std::string::npos) {
            size_t stop = word + 8;
            while (stop < tail.size() &&
                   (isalnum(static_cast<unsigned char>(tail[stop])) || tail[stop] == '-'))
                ++stop;
            argument.defaultValue = tail.substr(word + 8, stop - word - 8);
        }
        arguments.push_back(argument);
        at = end + 1;
    }
    return arguments;
}

int ParseKinds(const std::string& cell)
{
    return (cell.find("method") != std::string::npos ? kMethod : 0) |
           (cell.find("read") != std::string::npos ? kRead : 0) |
           (cell.find("write") != std::string::npos ? kWrite : 0);
}

struct Document
{
    std::map<std::string, Members> interfaces;
    std::map<long, std::string> messages;
    std::vector<std::string> problems;
};

Document ReadDocument(const char* path)
{
    Document doc;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        doc.problems.push_back(std::string("cannot read ") + path);
        return doc;
    }
    std::string line, heading, table;
    while (std::getline(file, line)) {
        line = Trim(line);
        if (line.rfind("#", 0) == 0) {
            for (const char* name : {"`IUploadFile`", "`IUpload`"}) {
                if (line.find(name) != std::string::npos) {
                    heading = std::string(name + 1, strlen(name) - 2);
                    break;
                }
            }
            table.clear();
            continue;
        }
        if (line.rfind("|", 0) != 0) {
            table.clear();
            continue;
        }
        const std::vector<std::string> cells = Cells(line);
        if (cells.empty() || cells[0].rfind("---", 0) == 0 || cells[0].rfind(":--", 0) == 0)
            continue;
        if (table.empty()) {
            table = cells[0];
            continue;
        }
        if (table == "Member" && cells.size() >= 4) {
            Member member;
            member.dispid = strtol(cells[1].c_str(), nullptr, 0);
            member.kinds = ParseKinds(cells[2]);
            member.arguments = ParseArguments(cells[3]);
            std::string name = cells[0];
            name.erase(std::remove(name.begin(), name.end(), '`'), name.end());
            if (heading.empty())
                doc.problems.push_back("member table before an interface heading: " + line);
            else if (!doc.interfaces[heading].emplace(name, member).second)
                doc.problems.push_back("member listed twice: " + line);
        } else if (table == "Id" && cells.size() >= 2) {
            std::string text = cells[1];
            text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
            doc.messages[strtol(cells[0].c_str(), nullptr, 10)] = text;
        }
    }
    return doc;
}

std::string Describe(const Member& member)
{
    std::ostringstream out;
    out << "dispid " << member.dispid << " kinds " << member.kinds << " (";
    for (const Argument& argument : member.arguments)
        out << argument.name << (argument.defaultValue.empty() ? "" : "=") << argument.defaultValue
            << " ";
    out << ")";
    return out.str();
}

class ReferenceDoc : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const std::string& problem : m_doc.problems)
            ADD_FAILURE() << problem;
    }

    Document m_doc = ReadDocument(TAVRIN_REFERENCE_DOC);
};

TEST_F(ReferenceDoc, MembersMatchTheTypeLibraryOfTheBuiltDll)
{
    ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK,
              LoadTypeLibEx(L"" TAVRIN_DLL_PATH, REGKIND_NONE, library.ReleaseAndGetAddressOf()));
    for (const wchar_t* interfaceName : {L"IUpload", L"IUploadFile"}) {
        const std::string name = Narrow(interfaceName, static_cast<UINT>(wcslen(interfaceName)));
        SCOPED_TRACE(name);
        const Members expected = LibraryMembers(library.Get(), interfaceName);
        const Members& documented = m_doc.interfaces[name];
        EXPECT_FALSE(expected.empty());
        for (const auto& [memberName, member] : expected) {
            const auto found = documented.find(memberName);
            if (found == documented.end()) {
                ADD_FAILURE() << memberName << " is missing from the document";
                continue;
            }
            EXPECT_EQ(Describe(member), Describe(found->second)) << memberName;
        }
        for (const auto& entry : documented) {
            if (!expected.count(entry.first))
                ADD_FAILURE() << entry.first << " is documented but not in the type library";
        }
    }
}

TEST_F(ReferenceDoc, MessagesMatchTheStringTableOfTheBuiltDll)
{
    ModuleHolder dll(LoadLibraryExW(L"" TAVRIN_DLL_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(dll);
    std::map<long, std::string> table;
    for (UINT id = 0; id < 1024; ++id) {
        wchar_t text[256] = {};
        const int length = LoadStringW(dll.Get(), id, text, 256);
        if (length > 0)
            table[static_cast<long>(id)] = Narrow(text, static_cast<UINT>(length));
    }
    EXPECT_EQ(6u, table.size());
    EXPECT_EQ(table, m_doc.messages);
}

} // namespace
