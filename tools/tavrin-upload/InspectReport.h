// The JSON documents that "tavrin-upload inspect" prints: one for a body the
// component split, one for a failure. Kept apart from the COM calls so that
// their exact shape is tested on its own:
//   {"page_code": P, "count": N, "items": [{"index": 0, "name": ..., ...}]}
//   {"error": "...", "status": "0x80020009"}
// Each document is one line of UTF-8 ending in a line break.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the component reported for one item. An absent value is a property
// that answered S_FALSE and prints as null.
struct ItemReport
{
    int32_t index = 0;
    std::optional<std::u16string> name;
    std::optional<std::u16string> filePath;
    std::optional<std::u16string> fileName;
    std::optional<std::u16string> fileExt;
    std::optional<std::u16string> contentType;
    std::optional<int32_t> size;
    std::optional<std::string> sha256; // lower-case hex of the content bytes
};

std::string FormatInspectDocument(int32_t pageCode, int32_t count,
                                  const std::vector<ItemReport>& items);

std::string FormatErrorDocument(std::u16string_view description, uint32_t status);

// "0x" and eight upper-case hex digits.
std::string FormatStatus(uint32_t status);
