// The classic ASP page compiler: splits a page into literal text, <%= %>
// expressions and <% %> code, expands server-side includes found in the
// literal text, and writes one script for VBScript or JScript with the
// origin of every line. One pass over each file's bytes; every search starts
// where the previous one ended, so the work is linear in the bytes seen.
//
// Tolerances and choices:
// - The first "%>" ends a script block, also inside a string literal of the
//   code ("<% s = "%>" %>" ends after the first quote), as in IIS; write
//   "%" & ">" in the script instead.
// - "<%=" and "<%@" count only with nothing between "<%" and the sign. The
//   expression is written as it stands, spaces included; "<%%>" writes
//   nothing.
// - The page is include depth 0; an include that would reach
//   kMaxIncludeDepth fails, so kMaxIncludeDepth - 1 files may nest.
// - Includes are expanded only in literal text; "<!-- #include" inside
//   <% %> stays code. An HTML comment whose first word is "#include" (after
//   optional whitespace, any letter case, followed by whitespace) must be a
//   complete include directive, else the page does not compile.
// - Line breaks are CR LF, LF or a lone CR, both for counting the lines of
//   a file and for splitting code into script lines.
// - A UTF-8 byte-order mark is removed from the page and from each
//   included file; only the page's sets the code page.
// - <script runat="server"> blocks in literal text are code, in the page's
//   language only; other <script> tags stay literal text.
#include "core/PageCompiler.h"

#include <cstring>

#include <map>
#include <string_view>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr size_t kNone = std::string_view::npos;

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

size_t SkipSpace(std::string_view text, size_t pos)
{
    while (pos < text.size() && IsSpace(text[pos]))
        ++pos;
    return pos;
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerCopy(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = Lower(c);
    return lower;
}

// True when text at pos starts with word (lower case) in any letter case.
bool StartsWithNoCase(std::string_view text, size_t pos, std::string_view word)
{
    if (text.size() - pos < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (Lower(text[pos + i]) != word[i])
            return false;
    }
    return true;
}

std::string_view StripBom(std::string_view text)
{
    return text.substr(0, kBom.size()) == kBom ? text.substr(kBom.size()) : text;
}

// The 1-based line of an offset in a file; offsets asked for never
// decrease, so counting is linear over the whole file.
class LineCounter
{
public:
    explicit LineCounter(std::string_view text) : m_text(text) {}

    uint32_t LineAt(size_t offset)
    {
        for (; m_pos < offset && m_pos < m_text.size(); ++m_pos) {
            const char c = m_text[m_pos];
            const bool crlf = c == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n';
            if (c == '\n' || (c == '\r' && !crlf))
                ++m_line;
        }
        return m_line;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    uint32_t m_line = 1;
};

// Settings read from the page's <%@ ... %> directive.
struct Directive
{
    ScriptLanguage language = ScriptLanguage::VBScript;
    unsigned codePage = 0; // 0 when the directive names none
};

bool ParseCodePage(std::string_view value, unsigned& codePage)
{
    if (value.empty() || value.size() > 5)
        return false;
    unsigned number = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number == 0 || number > 65535)
        return false;
    codePage = number;
    return true;
}

bool LanguageFromName(std::string_view name, ScriptLanguage& language)
{
    const std::string lower = LowerCopy(name);
    if (lower == "vbscript") {
        language = ScriptLanguage::VBScript;
        return true;
    }
    if (lower == "jscript" || lower == "javascript") {
        language = ScriptLanguage::JScript;
        return true;
    }
    return false;
}

bool ApplyAttribute(const std::string& name, std::string_view value, Directive& directive,
                    std::string& message)
{
    if (name == "language") {
        if (LanguageFromName(value, directive.language))
            return true;
        message = "unknown script language: " + std::string(value);
        return false;
    }
    if (name == "codepage") {
        if (ParseCodePage(value, directive.codePage))
            return true;
        message = "invalid CodePage: " + std::string(value);
        return false;
    }
    // Accepted so that pages written for IIS compile; the host has no use
    // for them.
    if (name == "lcid" || name == "enablesessionstate" || name == "transaction")
        return true;
    message = "unknown attribute in the @ directive: " + name;
    return false;
}

// Parses the text between "<%@" and "%>": name=value pairs in any order
// and letter case, values in double or single quotes or bare.
bool ParseDirective(std::string_view text, Directive& directive, std::string& message)
{
    size_t pos = SkipSpace(text, 0);
    while (pos < text.size()) {
        const size_t nameStart = pos;
        while (pos < text.size() && !IsSpace(text[pos]) && text[pos] != '=')
            ++pos;
        const std::string name = LowerCopy(text.substr(nameStart, pos - nameStart));
        pos = SkipSpace(text, pos);
        if (name.empty() || pos >= text.size() || text[pos] != '=') {
            message = "malformed @ directive: expected name=value";
            return false;
        }
        pos = SkipSpace(text, pos + 1);
        std::string_view value;
        if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) {
            const size_t close = text.find(text[pos], pos + 1);
            if (close == kNone) {
                message = "malformed @ directive: unterminated quoted value";
                return false;
            }
            value = text.substr(pos + 1, close - pos - 1);
            pos = close + 1;
        } else {
            const size_t valueStart = pos;
            while (pos < text.size() && !IsSpace(text[pos]))
                ++pos;
            value = text.substr(valueStart, pos - valueStart);
        }
        if (!ApplyAttribute(name, value, directive, message))
            return false;
        pos = SkipSpace(text, pos);
    }
    return true;
}

enum class IncludeKind
{
    File,
    Virtual
};

enum class IncludeParse
{
    NotInclude, // an ordinary HTML comment
    Malformed,
    Include
};

struct IncludeDirective
{
    IncludeKind kind = IncludeKind::File;
    std::string_view path;
    size_t length = 0; // bytes from "<!--" to the end of "-->"
};

// Reads an include directive at the start of text (which starts with
// "<!--"): <!-- #include file="x" --> or virtual="x", whitespace flexible,
// any letter case, double quotes required. The directive must end within
// text (the literal run it was found in).
IncludeParse ParseInclude(std::string_view text, IncludeDirective& include)
{
    size_t pos = SkipSpace(text, 4);
    if (!StartsWithNoCase(text, pos, "#include"))
        return IncludeParse::NotInclude;
    pos += 8;
    if (pos < text.size() && !IsSpace(text[pos]))
        return IncludeParse::NotInclude;
    pos = SkipSpace(text, pos);
    if (StartsWithNoCase(text, pos, "file")) {
        include.kind = IncludeKind::File;
        pos += 4;
    } else if (StartsWithNoCase(text, pos, "virtual")) {
        include.kind = IncludeKind::Virtual;
        pos += 7;
    } else {
        return IncludeParse::Malformed;
    }
    pos = SkipSpace(text, pos);
    if (pos >= text.size() || text[pos] != '=')
        return IncludeParse::Malformed;
    pos = SkipSpace(text, pos + 1);
    if (pos >= text.size() || text[pos] != '"')
        return IncludeParse::Malformed;
    const size_t close = text.find('"', pos + 1);
    if (close == kNone)
        return IncludeParse::Malformed;
    include.path = text.substr(pos + 1, close - pos - 1);
    pos = SkipSpace(text, close + 1);
    if (text.substr(pos, 3) != "-->")
        return IncludeParse::Malformed;
    include.length = pos + 3;
    return IncludeParse::Include;
}

// A <script ...> start tag: how long it is (0 when no '>' ends it in the
// text given; 7 for a longer name such as "<scripts") and what its runat and
// language attributes say.
struct ScriptTag
{
    size_t length = 0;
    bool server = false;
    std::string_view language; // empty when not named
};

// Reads the attributes of the tag at the start of text (which starts with
// "<script" in any case): name, name=value, values quoted or bare.
ScriptTag ParseScriptTag(std::string_view text)
{
    ScriptTag tag;
    size_t pos = 7;
    if (pos < text.size() && !IsSpace(text[pos]) && text[pos] != '>') {
        tag.length = pos;
        return tag;
    }
    while (true) {
        pos = SkipSpace(text, pos);
        if (pos >= text.size())
            return ScriptTag();
        if (text[pos] == '>') {
            tag.length = pos + 1;
            return tag;
        }
        const size_t nameStart = pos;
        while (pos < text.size() && !IsSpace(text[pos]) && text[pos] != '=' && text[pos] != '>')
            ++pos;
        const std::string name = LowerCopy(text.substr(nameStart, pos - nameStart));
        pos = SkipSpace(text, pos);
        std::string_view value;
        if (pos < text.size() && text[pos] == '=') {
            pos = SkipSpace(text, pos + 1);
            if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) {
                const size_t close = text.find(text[pos], pos + 1);
                if (close == kNone)
                    return ScriptTag();
                value = text.substr(pos + 1, close - pos - 1);
                pos = close + 1;
            } else {
                const size_t valueStart = pos;
                while (pos < text.size() && !IsSpace(text[pos]) && text[pos] != '>')
                    ++pos;
                value = text.substr(valueStart, pos - valueStart);
            }
        }
        if (name == "runat" && LowerCopy(value) == "server")
            tag.server = true;
        if (name == "language")
            tag.language = value;
    }
}

// The offset of "</script" in any letter case from pos on, or kNone.
size_t FindScriptEnd(std::string_view text, size_t pos)
{
    while (true) {
        pos = text.find('<', pos);
        if (pos == kNone || StartsWithNoCase(text, pos, "</script"))
            return pos;
        ++pos;
    }
}

// The folder part of a virtual path, with its trailing '/'.
std::string FolderOf(const std::string& virtualPath)
{
    const size_t slash = virtualPath.rfind('/');
    return slash == std::string::npos ? std::string("/") : virtualPath.substr(0, slash + 1);
}

// Joins and normalises an include path: backslashes count as '/', empty
// and "." segments go, ".." removes the previous segment. False when ".."
// would climb above the root.
bool ResolveInclude(const std::string& folder, const IncludeDirective& include, std::string& path)
{
    std::string joined = include.kind == IncludeKind::Virtual ? "/" : folder;
    joined.append(include.path);
    std::vector<std::string_view> segments;
    std::string_view rest(joined);
    while (!rest.empty()) {
        const size_t slash = rest.find_first_of("/\\");
        const std::string_view segment = rest.substr(0, slash);
        rest = slash == kNone ? std::string_view() : rest.substr(slash + 1);
        if (segment.empty() || segment == ".")
            continue;
        if (segment != "..") {
            segments.push_back(segment);
            continue;
        }
        if (segments.empty())
            return false;
        segments.pop_back();
    }
    path.clear();
    for (std::string_view segment : segments) {
        path += '/';
        path.append(segment);
    }
    if (path.empty())
        path = "/";
    return true;
}

// One file being compiled: its bytes, where it sits and how far its lines
// have been counted.
struct FileContext
{
    uint32_t index;
    std::string_view text; // points into bytes owned by the caller's frame
    std::string folder;
    int depth;
    LineCounter lines;
};

class Compiler
{
public:
    Compiler(const PageLoader& loader, CompiledPage& page, PageCompileError& error)
        : m_loader(loader), m_page(page), m_error(error)
    {}

    bool Run(const std::string& virtualPath);

private:
    bool ReadDirective(std::string_view text);
    bool CompileFile(FileContext& file);
    bool CompileScriptBlock(FileContext& file, size_t open, std::string_view body);
    bool CompileLiteral(FileContext& file, size_t begin, size_t end, size_t& next);
    bool CompileServerScript(FileContext& file, size_t tagAt, const ScriptTag& tag, size_t& next);
    bool CompileInclude(FileContext& file, const IncludeDirective& include, uint32_t line);
    uint32_t FileIndex(const std::string& path);
    void EmitBlock(std::string_view bytes, uint32_t file, uint32_t line);
    void EmitCode(std::string_view code, uint32_t file, uint32_t line, std::string_view prefix,
                  std::string_view suffix);
    bool Fail(uint32_t file, uint32_t line, std::string message);

    const PageLoader& m_loader;
    CompiledPage& m_page;
    PageCompileError& m_error;
    std::map<std::string, uint32_t> m_fileIndex;
    size_t m_directiveAt = kNone; // offset of the page's directive in its BOM-less text
    int m_includes = 0;
};

bool Compiler::Fail(uint32_t file, uint32_t line, std::string message)
{
    m_error.message = std::move(message);
    m_error.file = file;
    m_error.line = line;
    return false;
}

bool Compiler::Run(const std::string& virtualPath)
{
    m_page = CompiledPage();
    m_page.files.push_back(virtualPath);
    m_fileIndex[virtualPath] = 0;
    if (virtualPath.empty() || virtualPath[0] != '/')
        return Fail(0, 1, "page path must start with '/': " + virtualPath);
    std::string bytes;
    if (!m_loader(virtualPath, bytes))
        return Fail(0, 1, "page not found: " + virtualPath);
    const std::string_view text = StripBom(bytes);
    if (text.size() != bytes.size())
        m_page.codePage = 65001;
    if (!ReadDirective(text))
        return false;
    FileContext file{0, text, FolderOf(virtualPath), 0, LineCounter(text)};
    return CompileFile(file);
}

// The directive counts only as the page's first script block, after
// nothing but whitespace; it is read before compiling because it sets the
// language of every line.
bool Compiler::ReadDirective(std::string_view text)
{
    const size_t open = SkipSpace(text, 0);
    if (text.substr(open, 3) != "<%@")
        return true;
    const uint32_t line = LineCounter(text).LineAt(open);
    const size_t close = text.find("%>", open + 3);
    if (close == kNone)
        return Fail(0, line, "unterminated <% block: no %> follows");
    Directive directive;
    std::string message;
    if (!ParseDirective(text.substr(open + 3, close - open - 3), directive, message))
        return Fail(0, line, message);
    m_page.language = directive.language;
    if (directive.codePage != 0)
        m_page.codePage = directive.codePage;
    m_directiveAt = open;
    return true;
}

bool Compiler::CompileFile(FileContext& file)
{
    const std::string_view text = file.text;
    size_t pos = 0;
    size_t open = text.find("<%");
    while (pos < text.size()) {
        // A server script block may have run past the "<%" found last; the
        // search goes on from where it ended, never over the same bytes.
        if (open != kNone && open < pos)
            open = text.find("<%", pos);
        const size_t end = open == kNone ? text.size() : open;
        size_t next = end;
        if (!CompileLiteral(file, pos, end, next))
            return false;
        if (next != end) {
            pos = next;
            continue;
        }
        if (open == kNone)
            break;
        const size_t close = text.find("%>", open + 2);
        if (close == kNone)
            return Fail(file.index, file.lines.LineAt(open),
                        "unterminated <% block: no %> follows");
        if (!CompileScriptBlock(file, open, text.substr(open + 2, close - open - 2)))
            return false;
        pos = close + 2;
        // The white space after the directive writes nothing, so that
        // "<% Option Explicit %>" on the next line is the script's first
        // statement, as VBScript requires.
        if (file.index == 0 && open == m_directiveAt)
            while (pos < text.size() && strchr(" \t\r\n", text[pos]))
                ++pos;
    }
    return true;
}

bool Compiler::CompileScriptBlock(FileContext& file, size_t open, std::string_view body)
{
    const uint32_t line = file.lines.LineAt(open);
    const bool vb = m_page.language == ScriptLanguage::VBScript;
    if (!body.empty() && body[0] == '@') {
        if (file.index == 0 && open == m_directiveAt)
            return true;
        return Fail(file.index, line,
                    "the @ directive may appear only once, as the first command of the page");
    }
    if (!body.empty() && body[0] == '=') {
        EmitCode(body.substr(1), file.index, line, "Response.Write(", vb ? ")" : ");");
        return true;
    }
    EmitCode(body, file.index, line, "", "");
    return true;
}

// Literal text from begin to end, with the include directives in it
// replaced by the included files. A <script runat="server"> block ends the
// literal where it starts; next is then set past its end tag (else it stays
// end). A "<script" tag that no '>' closes stays literal text, and so does
// every later one in the same literal (which keeps the scan linear).
bool Compiler::CompileLiteral(FileContext& file, size_t begin, size_t end, size_t& next)
{
    const std::string_view literal = file.text.substr(begin, end - begin);
    size_t blockStart = 0;
    size_t search = 0;
    bool scriptTags = true;
    while (true) {
        const size_t open = literal.find('<', search);
        if (open == kNone)
            break;
        const std::string_view rest = literal.substr(open);
        search = open + 1;
        if (scriptTags && StartsWithNoCase(rest, 0, "<script")) {
            const ScriptTag tag = ParseScriptTag(rest);
            scriptTags = tag.length != 0;
            if (!scriptTags)
                continue;
            search = open + tag.length;
            if (!tag.server)
                continue;
            EmitBlock(literal.substr(blockStart, open - blockStart), file.index,
                      file.lines.LineAt(begin + blockStart));
            return CompileServerScript(file, begin + open, tag, next);
        }
        IncludeDirective include;
        const IncludeParse parsed =
            rest.substr(0, 4) == "<!--" ? ParseInclude(rest, include) : IncludeParse::NotInclude;
        if (parsed == IncludeParse::NotInclude)
            continue;
        // Lines are counted forward only: the block's line before the directive's.
        const uint32_t blockLine = file.lines.LineAt(begin + blockStart);
        const uint32_t line = file.lines.LineAt(begin + open);
        if (parsed == IncludeParse::Malformed)
            return Fail(file.index, line,
                        "malformed #include: expected <!-- #include file=\"...\" --> or "
                        "virtual=\"...\"");
        EmitBlock(literal.substr(blockStart, open - blockStart), file.index, blockLine);
        if (!CompileInclude(file, include, line))
            return false;
        blockStart = search = open + include.length;
    }
    EmitBlock(literal.substr(blockStart), file.index, file.lines.LineAt(begin + blockStart));
    return true;
}

// The code of a <script runat="server"> block, line for line like <% %>.
// Only the page's own language can run: the host has one engine per page.
bool Compiler::CompileServerScript(FileContext& file, size_t tagAt, const ScriptTag& tag,
                                   size_t& next)
{
    const uint32_t line = file.lines.LineAt(tagAt);
    ScriptLanguage language = m_page.language;
    if (!tag.language.empty() && !LanguageFromName(tag.language, language))
        return Fail(file.index, line, "unknown script language: " + std::string(tag.language));
    if (language != m_page.language)
        return Fail(file.index, line,
                    "a <script runat=\"server\"> block must use the page's language");
    const size_t codeStart = tagAt + tag.length;
    const size_t close = FindScriptEnd(file.text, codeStart);
    const size_t closeEnd = close == kNone ? kNone : file.text.find('>', close);
    if (closeEnd == kNone)
        return Fail(file.index, line, "unterminated <script runat=\"server\">: no </script>");
    EmitCode(file.text.substr(codeStart, close - codeStart), file.index,
             file.lines.LineAt(codeStart), "", "");
    next = closeEnd + 1;
    return true;
}

bool Compiler::CompileInclude(FileContext& file, const IncludeDirective& include, uint32_t line)
{
    std::string path;
    if (!ResolveInclude(file.folder, include, path))
        return Fail(file.index, line, "include path leaves the root: " + std::string(include.path));
    if (file.depth + 1 >= kMaxIncludeDepth)
        return Fail(file.index, line, "includes nested too deeply: " + path);
    if (++m_includes > kMaxIncludeCount)
        return Fail(file.index, line, "too many includes: " + path);
    std::string bytes;
    if (!m_loader(path, bytes))
        return Fail(file.index, line, "include file not found: " + path);
    const std::string_view text = StripBom(bytes);
    FileContext included{FileIndex(path), text, FolderOf(path), file.depth + 1, LineCounter(text)};
    return CompileFile(included);
}

uint32_t Compiler::FileIndex(const std::string& path)
{
    const auto found = m_fileIndex.find(path);
    if (found != m_fileIndex.end())
        return found->second;
    const auto index = static_cast<uint32_t>(m_page.files.size());
    m_page.files.push_back(path);
    m_fileIndex.emplace(path, index);
    return index;
}

void Compiler::EmitBlock(std::string_view bytes, uint32_t file, uint32_t line)
{
    if (bytes.empty())
        return;
    const std::string index = std::to_string(m_page.blocks.size());
    m_page.blocks.emplace_back(bytes);
    if (m_page.language == ScriptLanguage::VBScript)
        m_page.script += "Response.WriteBlock " + index + "\r\n";
    else
        m_page.script += "Response.WriteBlock(" + index + ");\r\n";
    m_page.lines.push_back(LineOrigin{file, line});
}

// Writes code as script lines, one per line of the source, prefix before
// the first and suffix after the last. Empty code without a prefix writes
// nothing.
void Compiler::EmitCode(std::string_view code, uint32_t file, uint32_t line,
                        std::string_view prefix, std::string_view suffix)
{
    if (code.empty() && prefix.empty())
        return;
    m_page.script.append(prefix);
    size_t start = 0;
    while (true) {
        const size_t brk = code.find_first_of("\r\n", start);
        m_page.script.append(code.substr(start, brk == kNone ? kNone : brk - start));
        if (brk == kNone)
            break;
        m_page.script += "\r\n";
        m_page.lines.push_back(LineOrigin{file, line++});
        const bool crlf = code[brk] == '\r' && brk + 1 < code.size() && code[brk + 1] == '\n';
        start = brk + (crlf ? 2 : 1);
    }
    m_page.script.append(suffix);
    m_page.script += "\r\n";
    m_page.lines.push_back(LineOrigin{file, line});
}

} // namespace

bool CompilePage(const std::string& virtualPath, const PageLoader& loader, CompiledPage& page,
                 PageCompileError& error)
{
    Compiler compiler(loader, page, error);
    return compiler.Run(virtualPath);
}
