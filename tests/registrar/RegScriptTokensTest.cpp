#include "ScriptTestText.h"
#include "registrar/MemoryRegistry.h"
#include "registrar/RegObject.h"
#include "registrar/RegScriptParser.h"
#include "registrar/ScriptBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Reads every token of `text` until the first failure; returns the tokens
// read and the failing status.
struct TokenRun
{
    std::vector<std::string> tokens;
    HRESULT end;
};

TokenRun ReadAll(const std::string& text)
{
    CRegObject registrar;
    MemoryRegistry registry;
    CRegScriptParser parser(registrar, registry);
    const WideString wide = Wide(text);
    parser.SetCursor(wide.c_str());
    TokenRun run;
    std::vector<WCHAR> token(CRegScriptParser::kTokenSize);
    for (;;) {
        run.end = parser.ReadToken(token.data(), token.size());
        if (FAILED(run.end))
            return run;
        run.tokens.push_back(Narrow(token.data()));
    }
}

// Every run ends in a failure: at the end of the text or at a bad token.
TEST(RegScriptTokens, SplitsQuotedAndPlainTokens)
{
    struct Row
    {
        const char* label;
        std::string text;
        std::vector<std::string> tokens;
    } rows[] = {
        {"doubled quote", "'it''s'", {"it's"}},
        {"closing quote ends the token", "'abc'def", {"abc", "def"}},
        {"empty quoted token", "''", {""}},
        {"equals is no separator", "Key=s 'x'", {"Key=s", "x"}},
        {"braces are no separators", "{a} b{", {"{a}", "b{"}},
        {"four whitespace characters", "\ta\r\nb c", {"a", "b", "c"}},
        {"form feed is not whitespace", "a\fb", {"a\fb"}},
        {"unterminated quote", "x 'abc", {"x"}},
        {"quote doubled at the end", "'ab''", {}},
        {"quoted brace stays a brace", "'}'", {"}"}},
        {"whitespace only", " \r\n\t ", {}},
        {"empty text", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const TokenRun run = ReadAll(row.text);
        EXPECT_EQ(row.tokens, run.tokens);
        EXPECT_EQ(DISP_E_EXCEPTION, run.end);
    }
}

TEST(RegScriptTokens, TokenHoldsAtMostTwoLessThanItsBuffer)
{
    const size_t longest = 4094; // of the parser's 4096
    for (const bool quoted : {false, true}) {
        for (const size_t length : {longest, longest + 1}) {
            SCOPED_TRACE(testing::Message() << length << (quoted ? " quoted" : " plain"));
            const std::string body(length, 'k');
            const TokenRun run = ReadAll(quoted ? "'" + body + "'" : body);
            EXPECT_EQ(length == longest ? std::vector<std::string>{body}
                                        : std::vector<std::string>{},
                      run.tokens);
            EXPECT_EQ(DISP_E_EXCEPTION, run.end);
        }
    }
}

struct Expansion
{
    HRESULT status;
    std::string text;
};

Expansion Expand(CRegObject& registrar, const std::string& text)
{
    MemoryRegistry registry;
    CRegScriptParser parser(registrar, registry);
    WideText expanded;
    const WideString wide = Wide(text);
    const HRESULT hr = parser.ExpandVariables(wide.c_str(), &expanded);
    if (FAILED(hr)) {
        EXPECT_EQ(nullptr, expanded.get()) << "no output on failure";
    }
    return {hr, Narrow(expanded.get())};
}

TEST(RegScriptExpansion, ReplacesReferencesByVariables)
{
    CRegObject registrar;
    ASSERT_EQ(S_OK,
              registrar.AddVariable(Wide("Module").c_str(), Wide("C:\\it''s\\x.dll").c_str()));
    ASSERT_EQ(S_OK, registrar.AddVariable(Wide("APPID").c_str(), Wide("").c_str()));
    ASSERT_EQ(S_OK, registrar.AddVariable(Wide("Loop").c_str(), Wide("%Module%").c_str()));
    ASSERT_EQ(S_OK, registrar.AddVariable(Wide("MODULE").c_str(), Wide("second").c_str()));
    const std::string longName(31, 'n');
    ASSERT_EQ(S_OK, registrar.AddVariable(Wide(longName).c_str(), Wide("long").c_str()));
    struct Row
    {
        const char* label;
        std::string text;
        Expansion expected;
    } rows[] = {
        {"plain text", "abc", {S_OK, "abc"}},
        {"empty text", "", {S_OK, ""}},
        {"reference", "'%MODULE%'", {S_OK, "'C:\\it''s\\x.dll'"}},
        {"case-insensitive name", "%module%", {S_OK, "C:\\it''s\\x.dll"}},
        {"double percent", "%%MODULE%%", {S_OK, "%MODULE%"}},
        {"empty value", "[%APPID%]", {S_OK, "[]"}},
        {"value not expanded again", "%Loop%", {S_OK, "%Module%"}},
        {"31-character name", "%" + longName + "%", {S_OK, "long"}},
        {"32-character name", "%" + longName + "n%", {E_FAIL, ""}},
        {"percent at the end", "abc%", {DISP_E_EXCEPTION, ""}},
        {"no closing percent", "%Module", {DISP_E_EXCEPTION, ""}},
        {"unknown variable", "%Nope%", {DISP_E_EXCEPTION, ""}},
        {"empty name is unknown", "a%%%b", {DISP_E_EXCEPTION, ""}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const Expansion got = Expand(registrar, row.text);
        EXPECT_EQ(row.expected.status, got.status);
        EXPECT_EQ(row.expected.text, got.text);
    }
}

TEST(RegScriptExpansion, LongTextGrowsTheBuffer)
{
    CRegObject registrar;
    ASSERT_EQ(S_OK, registrar.AddVariable(Wide("v").c_str(), Wide(std::string(3000, 'x')).c_str()));
    const Expansion got = Expand(registrar, "%v%%v%.");
    EXPECT_EQ(S_OK, got.status);
    EXPECT_EQ(std::string(6000, 'x') + ".", got.text);
}

TEST(RegScriptExpansion, NullArgumentsAreRefused)
{
    CRegObject registrar;
    MemoryRegistry registry;
    CRegScriptParser parser(registrar, registry);
    WideText expanded;
    EXPECT_EQ(E_POINTER, parser.ExpandVariables(nullptr, &expanded));
    EXPECT_EQ(E_POINTER, parser.ExpandVariables(Wide("x").c_str(), nullptr));
    EXPECT_EQ(E_INVALIDARG, registrar.AddVariable(nullptr, Wide("v").c_str()));
    EXPECT_EQ(E_INVALIDARG, registrar.AddVariable(Wide("n").c_str(), nullptr));
}

TEST(RegObject, FirstOfTwoSameNamedVariablesWins)
{
    CRegObject registrar;
    ASSERT_EQ(S_OK, registrar.AddVariable(Wide("Name").c_str(), Wide("first").c_str()));
    ASSERT_EQ(S_OK, registrar.AddVariable(Wide("NAME").c_str(), Wide("second").c_str()));
    EXPECT_EQ(2u, registrar.Variables().Count()) << "no entry is replaced";
    EXPECT_EQ("first", Narrow(registrar.Variables().Lookup(Wide("name").c_str())));
    EXPECT_EQ(S_OK, registrar.ClearVariables());
    EXPECT_EQ(0u, registrar.Variables().Count());
    EXPECT_EQ(nullptr, registrar.Variables().Lookup(Wide("name").c_str()));
}

TEST(ScriptBuffer, DoublesUntilTheAppendAndTerminatorFit)
{
    CScriptBuffer buffer(100);
    const WideString chunk = Wide(std::string(99, 'a'));
    ASSERT_TRUE(buffer.Append(chunk.c_str(), 99));
    EXPECT_EQ(200u, buffer.Capacity()) << "99 + 1 is not below 100";
    ASSERT_TRUE(buffer.Append(chunk.c_str(), 99));
    ASSERT_TRUE(buffer.Append(chunk.c_str(), 99));
    EXPECT_EQ(400u, buffer.Capacity());
    EXPECT_EQ(297u, buffer.Length());
    EXPECT_EQ(0, buffer.Text()[297]);
    EXPECT_FALSE(buffer.Append(chunk.c_str(), SIZE_MAX - 10)) << "overflowing sum";
    EXPECT_EQ(297u, buffer.Length());
}

} // namespace
