// inspect: load the body, set PageCode when asked, then Count and every item
// in order, each property read once in a fixed order (name, file path, file
// name, extension, content type, size, content bytes), and PageCode last, so
// the document shows what the component decided while splitting. The
// document is built whole before anything is printed: a failure half-way
// prints only the error document.
#include "InspectCommand.h"

#include "InspectReport.h"
#include "Sha256.h"
#include "UploadClient.h"

namespace {

Outcome ReadItem(UploadClient& client, LONG index, ItemReport* report)
{
    ComPtr<IUploadFile> item;
    Outcome outcome = client.Item(index, &item);
    if (outcome.Failed())
        return outcome;
    report->index = index;
    const struct
    {
        TextGetter getter;
        std::optional<std::u16string>* value;
    } texts[] = {
        {&IUploadFile::get_Name, &report->name},
        {&IUploadFile::get_FilePath, &report->filePath},
        {&IUploadFile::get_FileName, &report->fileName},
        {&IUploadFile::get_FileExt, &report->fileExt},
        {&IUploadFile::get_ContentType, &report->contentType},
    };
    for (const auto& text : texts) {
        outcome = ReadText(item.Get(), text.getter, text.value);
        if (outcome.Failed())
            return outcome;
    }
    LONG size = 0;
    SetErrorInfo(0, nullptr);
    const HRESULT hr = item->get_Size(&size);
    if (FAILED(hr))
        return FailureFromErrorInfo(hr);
    if (hr == S_OK)
        report->size = size;
    bool present = false;
    std::string hash;
    outcome = ReadContentBytes(item.Get(), &present, [&hash](const void* data, size_t count) {
        return Sha256Hex(data, count, &hash);
    });
    if (outcome.Failed())
        return outcome;
    if (present)
        report->sha256 = hash;
    return {};
}

Outcome Inspect(const ToolArguments& arguments, std::string* document)
{
    UploadClient client;
    LONG count = 0;
    Outcome outcome = client.Open(arguments, &count);
    if (outcome.Failed())
        return outcome;
    std::vector<ItemReport> items(static_cast<size_t>(count < 0 ? 0 : count));
    for (LONG i = 0; i < count; ++i) {
        outcome = ReadItem(client, i, &items[static_cast<size_t>(i)]);
        if (outcome.Failed())
            return outcome;
    }
    LONG pageCode = 0;
    outcome = client.GetPageCode(&pageCode);
    if (outcome.Failed())
        return outcome;
    *document = FormatInspectDocument(pageCode, count, items);
    return {};
}

} // namespace

int RunInspect(const ToolArguments& arguments, std::string* document)
{
    const Outcome outcome = Inspect(arguments, document);
    if (!outcome.Failed())
        return 0;
    *document = FormatErrorDocument(outcome.description, static_cast<uint32_t>(outcome.status));
    return 1;
}
