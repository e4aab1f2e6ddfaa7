#include "registrar/RegScriptParser.h"
#include "ScriptTestText.h"
#include "registrar/MemoryRegistry.h"
#include "registrar/RegObject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const bool kRegister = true;
const bool kUnregister = false;

class RegScriptParserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, m_registrar.AddVariable(Wide("Module").c_str(),
                                                Wide("C:\\it''s\\x.dll").c_str()));
    }

    // Runs the script and checks that every key the run opened was closed.
    HRESULT Run(const std::string& script, bool doRegister)
    {
        CRegScriptParser parser(m_registrar, m_registry);
        const WideString text = Wide(script);
        const HRESULT hr = parser.RunScript(text.c_str(), doRegister);
        EXPECT_EQ(0u, m_registry.OpenHandles()) << "a key was left open";
        return hr;
    }

    bool Has(const std::string& path) const { return m_registry.KeyExists(U(path)); }

    // The string value as text without its stored terminator, "<none>"
    // when absent, "<type N>" for another type.
    std::string String(const std::string& path, const std::string& name = "") const
    {
        const MemoryRegistry::Value* value = m_registry.FindValue(U(path), U(name));
        if (!value)
            return "<none>";
        if (value->type != kRegString)
            return "<type " + std::to_string(value->type) + ">";
        std::string units;
        for (size_t i = 0; i + 1 < value->data.size(); i += 2)
            units += static_cast<char>(value->data[i] | (value->data[i + 1] << 8));
        if (units.empty() || units.back() != '\0')
            return "<unterminated>";
        units.pop_back();
        return units;
    }

    static std::u16string U(const std::string& text)
    {
        return std::u16string(text.begin(), text.end());
    }

    CRegObject m_registrar;
    MemoryRegistry m_registry;
};

const char kClassScript[] =
    "HKCR\r\n{\r\n"
    "\tTavrin.Test.1 = s 'Test Class'\r\n\t{\r\n\t\tCLSID = s '{C1}'\r\n\t}\r\n"
    "\tNoRemove CLSID\r\n\t{\r\n"
    "\t\tForceRemove {C1} = s 'Test Class'\r\n\t\t{\r\n"
    "\t\t\tForceRemove 'Programmable'\r\n"
    "\t\t\tInprocServer32 = s '%MODULE%'\r\n\t\t\t{\r\n"
    "\t\t\t\tval ThreadingModel = s 'Apartment'\r\n\t\t\t}\r\n"
    "\t\t}\r\n\t}\r\n}\r\n";

TEST_F(RegScriptParserTest, RegistersAndUnregistersAClassScript)
{
    EXPECT_EQ(S_OK, Run(kClassScript, kUnregister)) << "absent keys are no failure";
    EXPECT_TRUE(m_registry.Dump().empty());
    ASSERT_EQ(S_OK, Run(kClassScript, kRegister));
    const auto once = m_registry.Dump();
    ASSERT_EQ(S_OK, Run(kClassScript, kRegister));
    EXPECT_EQ(once, m_registry.Dump()) << "registering twice changes nothing";
    EXPECT_EQ("Test Class", String("HKCR\\Tavrin.Test.1"));
    EXPECT_EQ("{C1}", String("HKCR\\Tavrin.Test.1\\CLSID"));
    EXPECT_TRUE(Has("HKCR\\CLSID\\{C1}\\Programmable"));
    EXPECT_EQ("<none>", String("HKCR\\CLSID\\{C1}\\Programmable"));
    EXPECT_EQ("C:\\it's\\x.dll", String("HKCR\\CLSID\\{C1}\\InprocServer32"))
        << "doubled quote in the variable reads back as one";
    EXPECT_EQ("Apartment", String("HKCR\\CLSID\\{C1}\\InprocServer32", "ThreadingModel"));

    ASSERT_EQ(S_OK, Run(kClassScript, kUnregister));
    EXPECT_FALSE(Has("HKCR\\Tavrin.Test.1"));
    EXPECT_FALSE(Has("HKCR\\CLSID\\{C1}"));
    EXPECT_TRUE(Has("HKCR\\CLSID")) << "NoRemove keeps the key even when empty";
}

TEST_F(RegScriptParserTest, UnregisteringKeepsKeysWithForeignSubkeys)
{
    ASSERT_EQ(S_OK, Run(kClassScript, kRegister));
    m_registry.CreatePath(U("HKCR\\CLSID\\{C1}\\Foreign"));
    ASSERT_EQ(S_OK, Run(kClassScript, kUnregister));
    EXPECT_TRUE(Has("HKCR\\CLSID\\{C1}\\Foreign"));
    EXPECT_EQ("Test Class", String("HKCR\\CLSID\\{C1}")) << "kept with its values";
    EXPECT_FALSE(Has("HKCR\\CLSID\\{C1}\\InprocServer32"));
    EXPECT_FALSE(Has("HKCR\\CLSID\\{C1}\\Programmable"));
    EXPECT_FALSE(Has("HKCR\\Tavrin.Test.1"));
}

TEST_F(RegScriptParserTest, ForceRemoveSparesProtectedNames)
{
    struct Row
    {
        const char* name;
        std::string bare;
        bool oldChildKept;
    } rows[] = {
        {"CLSID", "CLSID", true},
        {"software", "software", true},
        {"'Component Categories'", "Component Categories", true},
        {"Foo", "Foo", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_registry = MemoryRegistry();
        m_registry.CreatePath(U("HKCR\\" + row.bare + "\\Old\\Deep"));
        ASSERT_EQ(S_OK,
                  Run(std::string("HKCR { ForceRemove ") + row.name + " { New } }", kRegister));
        EXPECT_EQ(row.oldChildKept, Has("HKCR\\" + row.bare + "\\Old\\Deep"));
        EXPECT_TRUE(Has("HKCR\\" + row.bare + "\\New"));
    }
}

TEST_F(RegScriptParserTest, DeleteRemovesATreeAndWritesNothing)
{
    m_registry.CreatePath(U("HKCU\\Gone\\Sub\\Deeper"));
    m_registry.CreatePath(U("HKCU\\Stay"));
    ASSERT_EQ(S_OK, Run("HKCU { Delete Gone = s 'x' Delete Absent Stay }", kRegister));
    EXPECT_FALSE(Has("HKCU\\Gone"));
    EXPECT_FALSE(Has("HKCU\\Absent"));
    EXPECT_TRUE(Has("HKCU\\Stay"));
}

TEST_F(RegScriptParserTest, NoRemoveKeepsKeyAndValue)
{
    const char script[] = "HKCU { NoRemove Keep = s 'k' { NoRemove val V = s 'v' val W = s 'w' } }";
    ASSERT_EQ(S_OK, Run(script, kRegister));
    ASSERT_EQ(S_OK, Run(script, kUnregister));
    EXPECT_EQ("k", String("HKCU\\Keep"));
    EXPECT_EQ("v", String("HKCU\\Keep", "V"));
    EXPECT_EQ("<none>", String("HKCU\\Keep", "W"));
    EXPECT_EQ(S_OK, Run(script, kUnregister)) << "a value already gone is no failure";
}

TEST_F(RegScriptParserTest, EqualsInsideAKeyNameIsNoDefaultValue)
{
    ASSERT_EQ(S_OK, Run("HKCU { Key=s 'x' }", kRegister));
    EXPECT_TRUE(Has("HKCU\\Key=s"));
    EXPECT_TRUE(Has("HKCU\\x"));
    EXPECT_EQ("<none>", String("HKCU\\Key=s"));
}

TEST_F(RegScriptParserTest, WritesEachValueType)
{
    struct Row
    {
        const char* label;
        std::string entry;
        HRESULT status;
        DWORD type;
        std::vector<BYTE> data;
    } rows[] = {
        {"string", "s 'ab'", S_OK, kRegString, {'a', 0, 'b', 0, 0, 0}},
        {"upper-case letter", "S ''", S_OK, kRegString, {0, 0}},
        {"binary mixed case", "b '0A1b'", S_OK, kRegBinary, {0x0A, 0x1B}},
        {"binary odd digits", "B 'ABC'", E_FAIL, 0, {}},
        {"binary non-digits count as zero", "B 'zz'", S_OK, kRegBinary, {0x00}},
        {"binary empty", "B ''", S_OK, kRegBinary, {}},
        {"multi", "m 'ab\\0c'", S_OK, kRegMultiString, {'a', 0, 'b', 0, 0, 0, 'c', 0, 0, 0, 0, 0}},
        {"multi ends at empty", "M 'a\\0\\0b'", S_OK, kRegMultiString, {'a', 0, 0, 0, 0, 0}},
        {"backslash", "M 'a\\b'", S_OK, kRegMultiString, {'a', 0, '\\', 0, 'b', 0, 0, 0, 0, 0}},
        {"number", "d '4294967295'", S_OK, kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"number unconvertible writes zero", "D 'x1'", S_OK, kRegDword, {0, 0, 0, 0}},
        {"unknown letter", "q 'x'", DISP_E_EXCEPTION, 0, {}},
        {"type word", "SZ 'x'", DISP_E_EXCEPTION, 0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        m_registry = MemoryRegistry();
        EXPECT_EQ(row.status, Run("HKCU { K { val V = " + row.entry + " } }", kRegister));
        const MemoryRegistry::Value* value = m_registry.FindValue(u"HKCU\\K", u"V");
        if (row.status != S_OK) {
            EXPECT_EQ(nullptr, value);
            continue;
        }
        ASSERT_NE(nullptr, value);
        EXPECT_EQ(row.type, value->type);
        EXPECT_EQ(row.data, value->data);
    }
}

TEST_F(RegScriptParserTest, MalformedScriptsFail)
{
    struct Row
    {
        const char* label;
        std::string script;
        HRESULT status;
    } rows[] = {
        {"empty script", "", S_OK},
        {"whitespace only", " \r\n", DISP_E_EXCEPTION},
        {"unknown root", "HKXX { }", DISP_E_EXCEPTION},
        {"long root name", "HKEY_CURRENT_USER { A }", S_OK},
        {"block not opened", "HKCU A", DISP_E_EXCEPTION},
        {"block not closed", "HKCU { A", DISP_E_EXCEPTION},
        {"backslash in key name", "HKCU { 'A\\B' }", DISP_E_EXCEPTION},
        {"backslash after ForceRemove", "HKCU { ForceRemove A\\B }", DISP_E_EXCEPTION},
        {"empty key name", "HKCU { '' }", DISP_E_EXCEPTION},
        {"empty name after ForceRemove", "HKCU { ForceRemove '' }", DISP_E_EXCEPTION},
        {"val without equals", "HKCU { val V s 'x' }", DISP_E_EXCEPTION},
        {"value name 258", "HKCU { val " + std::string(258, 'v') + " = s 'x' }", S_OK},
        {"value name 259", "HKCU { val " + std::string(259, 'v') + " = s 'x' }", DISP_E_EXCEPTION},
        {"block after a value entry", "HKCU { A { val V = s 'x' { B } } }", DISP_E_EXCEPTION},
        {"block after Delete", "HKCU { Delete A { B } }", DISP_E_EXCEPTION},
        {"missing value", "HKCU { A = s", DISP_E_EXCEPTION},
        {"unknown variable", "HKCU { A = s '%Nope%' }", DISP_E_EXCEPTION},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        m_registry = MemoryRegistry();
        EXPECT_EQ(row.status, Run(row.script, kRegister));
    }
}

TEST_F(RegScriptParserTest, FailingRootBlockIsWalkedAgainToUndoIt)
{
    m_registry.CreatePath(U("HKCU\\Before"));
    m_registry.CreatePath(U("HKCU\\Shared\\Foreign"));
    const char script[] = "HKCU { Done } "
                          "HKCU { Before NoRemove Kept { Made = s 'x' } Shared { Made } "
                          "Bad = q 'x' Never } "
                          "HKCU { Later }";
    EXPECT_EQ(DISP_E_EXCEPTION, Run(script, kRegister));
    EXPECT_TRUE(Has("HKCU\\Done")) << "completed root blocks stay";
    EXPECT_FALSE(Has("HKCU\\Before")) << "the undo deletes named keys it did not create";
    EXPECT_TRUE(Has("HKCU\\Kept"));
    EXPECT_FALSE(Has("HKCU\\Kept\\Made"));
    EXPECT_TRUE(Has("HKCU\\Shared\\Foreign"));
    EXPECT_FALSE(Has("HKCU\\Shared\\Made"));
    EXPECT_FALSE(Has("HKCU\\Bad"));
    EXPECT_FALSE(Has("HKCU\\Later")) << "the run ends at the failing block";
}

TEST_F(RegScriptParserTest, FailedWriteIsReportedByTheStatusRule)
{
    m_registry.FailWrites(5);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), Run("HKCU { A = s 'x' }", kRegister));
    EXPECT_FALSE(Has("HKCU\\A")) << "undone";
}

TEST_F(RegScriptParserTest, FailedDeleteIsReportedByTheStatusRule)
{
    ASSERT_EQ(S_OK, Run("HKCU { A }", kRegister));
    m_registry.FailDeletes(5);
    EXPECT_EQ(static_cast<HRESULT>(0x80070005), Run("HKCU { A }", kUnregister));
    EXPECT_TRUE(Has("HKCU\\A"));
}

TEST_F(RegScriptParserTest, DeepNestingIsRefusedNotOverflowed)
{
    std::string deep = "HKCU ";
    for (int i = 0; i < 100000; ++i)
        deep += "{ K ";
    EXPECT_EQ(DISP_E_EXCEPTION, Run(deep, kRegister));
    EXPECT_EQ(DISP_E_EXCEPTION, Run(deep, kUnregister));

    m_registry = MemoryRegistry();
    std::string ok = "HKCU";
    for (int i = 1; i < CRegScriptParser::kMaxBlockDepth; ++i)
        ok += " { K";
    ok += " {";
    for (int i = 0; i < CRegScriptParser::kMaxBlockDepth; ++i)
        ok += " }";
    EXPECT_EQ(S_OK, Run(ok, kRegister));
    EXPECT_EQ(S_OK, Run(ok, kUnregister));
    EXPECT_TRUE(m_registry.Dump().empty());
}

TEST_F(RegScriptParserTest, EmptyKeyNameNeverReachesTheParent)
{
    m_registry.CreatePath(U("HKCU\\Keep\\Child"));
    EXPECT_EQ(DISP_E_EXCEPTION, Run("HKCU { Keep { ForceRemove '' } }", kRegister));
    EXPECT_TRUE(Has("HKCU\\Keep\\Child"));
    m_registry = MemoryRegistry();
    m_registry.CreatePath(U("HKCU\\Keep"));
    EXPECT_EQ(DISP_E_EXCEPTION, Run("HKCU { NoRemove Keep { '' } }", kUnregister));
    EXPECT_TRUE(Has("HKCU\\Keep"));
}

// After a failure the cursor stands anywhere in the script; reading on
// would take the second HKCU below as a new root block that removes C.
TEST_F(RegScriptParserTest, UnregisterStopsAtTheFirstFailure)
{
    m_registry.CreatePath(U("HKCU\\A"));
    m_registry.CreatePath(U("HKCU\\C"));
    EXPECT_EQ(DISP_E_EXCEPTION, Run("HKCU { A } HKCU { val V HKCU HKCU { C } }", kUnregister));
    EXPECT_FALSE(Has("HKCU\\A"));
    EXPECT_TRUE(Has("HKCU\\C"));
}

} // namespace
