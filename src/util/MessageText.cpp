// Reads one message from the string table of the module that holds this
// code. String tables are stored in blocks of 16 entries: block id / 16 + 1
// holds the entry id % 16, and each entry is a 16-bit unit count followed by
// that many UTF-16 units (no terminator). The block is walked entry by entry
// and every step is checked against the block's size, so a damaged or short
// block yields no text instead of a read past its end.
#include "util/MessageText.h"

#include "util/ModuleInstance.h"

namespace {

constexpr UINT kEntriesPerBlock = 16;

struct BlockView
{
    const WCHAR* units = nullptr;
    DWORD unitCount = 0;
};

BlockView FindStringBlock(UINT messageId) noexcept
{
    const HINSTANCE module = ModuleInstance();
    const WORD blockId = static_cast<WORD>(messageId / kEntriesPerBlock + 1);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(blockId), RT_STRING);
    if (!info)
        return {};
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded)
        return {};
    const void* data = LockResource(loaded);
    if (!data)
        return {};
    return {static_cast<const WCHAR*>(data),
            static_cast<DWORD>(SizeofResource(module, info) / sizeof(WCHAR))};
}

} // namespace

BSTR LoadMessageText(UINT messageId) noexcept
{
    if (messageId / kEntriesPerBlock + 1 > 0xFFFF)
        return nullptr;
    const BlockView block = FindStringBlock(messageId);
    DWORD at = 0;
    for (UINT entry = 0; entry < messageId % kEntriesPerBlock; ++entry) {
        if (at >= block.unitCount)
            return nullptr;
        at += 1 + block.units[at];
    }
    if (at >= block.unitCount)
        return nullptr;
    const DWORD count = block.units[at];
    if (count == 0 || count > block.unitCount - at - 1)
        return nullptr;
    return SysAllocStringLen(block.units + at + 1, count);
}
