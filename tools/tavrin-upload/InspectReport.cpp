// Writes the inspect documents. Keys appear in a fixed order with one space
// after each colon and comma, so that a document can be compared byte for
// byte with an expected one.
#include "InspectReport.h"

#include "common/JsonText.h"

namespace {

void AppendKey(std::string& out, const char* key)
{
    out += '"';
    out += key;
    out += "\": ";
}

void AppendText(std::string& out, const char* key, const std::optional<std::u16string>& value)
{
    AppendKey(out, key);
    if (value)
        AppendJsonString(out, *value);
    else
        out += "null";
    out += ", ";
}

void AppendItem(std::string& out, const ItemReport& item)
{
    out += '{';
    AppendKey(out, "index");
    out += std::to_string(item.index) + ", ";
    AppendText(out, "name", item.name);
    AppendText(out, "file_path", item.filePath);
    AppendText(out, "file_name", item.fileName);
    AppendText(out, "file_ext", item.fileExt);
    AppendText(out, "content_type", item.contentType);
    AppendKey(out, "size");
    out += item.size ? std::to_string(*item.size) : "null";
    out += ", ";
    AppendKey(out, "sha256");
    out += item.sha256 ? '"' + *item.sha256 + '"' : "null";
    out += '}';
}

} // namespace

std::string FormatStatus(uint32_t status)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        out += kHex[(status >> shift) & 0xF];
    return out;
}

std::string FormatInspectDocument(int32_t pageCode, int32_t count,
                                  const std::vector<ItemReport>& items)
{
    std::string out = "{";
    AppendKey(out, "page_code");
    out += std::to_string(pageCode) + ", ";
    AppendKey(out, "count");
    out += std::to_string(count) + ", ";
    AppendKey(out, "items");
    out += '[';
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ", ";
        AppendItem(out, items[i]);
    }
    out += "]}\n";
    return out;
}

std::string FormatErrorDocument(std::u16string_view description, uint32_t status)
{
    std::string out = "{";
    AppendKey(out, "error");
    AppendJsonString(out, description);
    out += ", ";
    AppendKey(out, "status");
    out += '"' + FormatStatus(status) + "\"}\n";
    return out;
}
