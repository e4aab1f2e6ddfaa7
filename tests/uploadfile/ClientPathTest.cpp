#include "uploadfile/ClientPath.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using WideString = std::basic_string<WCHAR>;

WideString Repeat(WCHAR unit, size_t count)
{
    return WideString(count, unit);
}

struct Row
{
    const char* label;
    WideString clientName;
    bool splits;
    WideString baseName;
    WideString extension;
};

// Everyday names, dots, bare drives and the 255-unit base name are checked
// through FileName and FileExt by the client-names script.
TEST(ClientPath, SplitsTheLastComponentAtItsLastDot)
{
    const Row rows[] = {
        {"drive-relative name", TU_WIDE("D:notes.txt"), true, TU_WIDE("notes"), TU_WIDE(".txt")},
        {"long-path prefix", TU_WIDE("\\\\?\\C:\\x\\y.txt"), true, TU_WIDE("y"), TU_WIDE(".txt")},
        {"network share", TU_WIDE("\\\\server\\share\\f.txt"), true, TU_WIDE("f"), TU_WIDE(".txt")},
        {"mixed separators", TU_WIDE("a/b\\c.d"), true, TU_WIDE("c"), TU_WIDE(".d")},
        {"a colon later in the name is no drive", TU_WIDE("ab:c.txt"), true, TU_WIDE("ab:c"),
         TU_WIDE(".txt")},
        {"empty", TU_WIDE(""), true, TU_WIDE(""), TU_WIDE("")},
        {"256-unit name without dot", Repeat('b', 256), false, TU_WIDE(""), TU_WIDE("")},
        {"255-unit extension", TU_WIDE("a.") + Repeat('e', 254), true, TU_WIDE("a"),
         TU_WIDE(".") + Repeat('e', 254)},
        {"256-unit extension", TU_WIDE("a.") + Repeat('e', 255), false, TU_WIDE(""), TU_WIDE("")},
        {"255-unit directory", Repeat('d', 254) + TU_WIDE("\\f.txt"), true, TU_WIDE("f"),
         TU_WIDE(".txt")},
        {"256-unit directory", Repeat('d', 255) + TU_WIDE("\\f.txt"), false, TU_WIDE(""),
         TU_WIDE("")},
        {"drive is not counted in the directory",
         TU_WIDE("C:") + Repeat('d', 254) + TU_WIDE("\\f.txt"), true, TU_WIDE("f"),
         TU_WIDE(".txt")},
        {"a leading separator counts in the directory",
         TU_WIDE("\\") + Repeat('d', 254) + TU_WIDE("\\f.txt"), false, TU_WIDE(""), TU_WIDE("")},
        {"a share's two leading separators count in the directory",
         TU_WIDE("\\\\") + Repeat('d', 253) + TU_WIDE("\\f.txt"), false, TU_WIDE(""), TU_WIDE("")},
        {"a separator as fourth unit is no long-path prefix",
         TU_WIDE("dd?\\") + Repeat('d', 251) + TU_WIDE("\\f.txt"), false, TU_WIDE(""), TU_WIDE("")},
        {"long-path prefix is not counted in the directory",
         TU_WIDE("\\\\?\\C:") + Repeat('d', 254) + TU_WIDE("\\f.txt"), true, TU_WIDE("f"),
         TU_WIDE(".txt")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        WCHAR baseName[kClientPathPartUnits];
        WCHAR extension[kClientPathPartUnits];
        // Leftovers of an earlier call must not survive.
        baseName[0] = 'x';
        extension[0] = 'x';
        EXPECT_EQ(row.splits, SplitClientPath(row.clientName.c_str(), baseName, extension));
        EXPECT_EQ(row.baseName, WideString(baseName));
        EXPECT_EQ(row.extension, WideString(extension));
    }
}

} // namespace
