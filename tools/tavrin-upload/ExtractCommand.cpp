// extract: one line per item, "item N NAME: saved|skipped|refused|not saved
// ...". A file name is used only when SafeFileName accepts it. Within one
// run no file is written twice: a second item whose target is a file saved
// earlier in the run (compared by the file's identity, so that another
// spelling of the same file, such as its 8.3 short name or another letter
// case, is caught too) is refused instead of overwriting the first one's
// file, --overwrite or not; --overwrite only replaces files that were there
// before the run. After SaveAs reports success the file's size is compared
// with the item's, so a short write is not reported as saved.
#include "ExtractCommand.h"

#include "InspectReport.h"
#include "SafeFileName.h"
#include "UploadClient.h"
#include "common/JsonText.h"
#include "util/BstrHolder.h"
#include "util/Handles.h"

#include <vector>

namespace {

// A file as the file system knows it, whatever name reaches it.
struct FileIdentity
{
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;

    bool operator==(const FileIdentity& other) const
    {
        return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow;
    }
};

struct SavedFile
{
    FileIdentity identity;
    LONG index;
};

// The identity of the file at path; nothing when there is none.
std::optional<FileIdentity> IdentityOf(const std::u16string& path)
{
    HandleHolder file(CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.Get(), &info))
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

std::string Quoted(const std::optional<std::u16string>& text)
{
    std::string out;
    if (text)
        AppendJsonString(out, *text);
    else
        out = "null";
    return out;
}

std::u16string JoinPath(const std::u16string& dir, const std::u16string& name)
{
    if (dir.back() == u'\\' || dir.back() == u'/')
        return dir + name;
    return dir + u'\\' + name;
}

bool IsDirectory(const std::u16string& path)
{
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Size of the file at path, or -1 when it cannot be read.
int64_t FileSize(const std::u16string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(reinterpret_cast<const wchar_t*>(path.c_str()), GetFileExInfoStandard,
                              &data))
        return -1;
    return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class Extractor
{
public:
    Extractor(const ToolArguments& arguments, const LineSink& out)
        : m_arguments(arguments), m_out(out)
    {}

    // Handles one item; a failure of the component ends the run.
    Outcome ExtractItem(UploadClient& client, LONG index)
    {
        ComPtr<IUploadFile> item;
        Outcome outcome = client.Item(index, &item);
        if (outcome.Failed())
            return outcome;
        std::optional<std::u16string> name, fileName;
        outcome = ReadText(item.Get(), &IUploadFile::get_Name, &name);
        if (!outcome.Failed())
            outcome = ReadText(item.Get(), &IUploadFile::get_FileName, &fileName);
        if (outcome.Failed())
            return outcome;
        m_prefix = "item " + std::to_string(index) + " " + Quoted(name) + ": ";
        if (!fileName) {
            Report("skipped (no file name)");
            return {};
        }
        const std::string shownName = Quoted(fileName);
        if (const char* reason = UnsafeFileNameReason(*fileName))
            return Refuse("refused " + shownName + " (" + reason + ")");
        const std::u16string path = JoinPath(m_arguments.targetDir, *fileName);
        if (const std::optional<FileIdentity> existing = IdentityOf(path)) {
            for (const SavedFile& saved : m_saved) {
                if (saved.identity == *existing)
                    return Refuse("refused " + shownName + " (item " + std::to_string(saved.index) +
                                  " was saved under the same name)");
            }
        }
        return Save(item.Get(), index, path, shownName);
    }

    bool AllSaved() const { return m_allSaved; }

private:
    Outcome Save(IUploadFile* item, LONG index, const std::u16string& path,
                 const std::string& shownName)
    {
        if (IsDirectory(path))
            return Refuse("not saved " + shownName + " (a directory of that name exists)");
        if (!m_arguments.overwrite && FileSize(path) >= 0)
            return Refuse("not saved " + shownName + " (the file exists; --overwrite replaces it)");
        LONG size = 0;
        SetErrorInfo(0, nullptr);
        HRESULT hr = item->get_Size(&size);
        if (FAILED(hr))
            return FailureFromErrorInfo(hr);
        BstrHolder bstrPath(SysAllocStringLen(reinterpret_cast<const wchar_t*>(path.c_str()),
                                              static_cast<UINT>(path.size())));
        if (!bstrPath)
            return {E_OUTOFMEMORY, PlatformMessage(E_OUTOFMEMORY)};
        VARIANT_BOOL saved = VARIANT_FALSE;
        hr = item->SaveAs(bstrPath.Get(), m_arguments.overwrite ? VARIANT_TRUE : VARIANT_FALSE,
                          &saved);
        if (FAILED(hr))
            return FailureFromErrorInfo(hr);
        if (!saved)
            return Refuse("not saved " + shownName + " (SaveAs could not write the file)");
        const int64_t written = FileSize(path);
        if (written != size)
            return Refuse("not saved " + shownName + " (the file holds " + std::to_string(written) +
                          " of " + std::to_string(size) + " bytes)");
        if (const std::optional<FileIdentity> identity = IdentityOf(path))
            m_saved.push_back({*identity, index});
        Report("saved " + shownName + " (" + std::to_string(size) + " bytes)");
        return {};
    }

    Outcome Refuse(const std::string& what)
    {
        m_allSaved = false;
        Report(what);
        return {};
    }

    void Report(const std::string& what) { m_out(m_prefix + what + "\n"); }

    const ToolArguments& m_arguments;
    const LineSink& m_out;
    std::string m_prefix;
    std::vector<SavedFile> m_saved;
    bool m_allSaved = true;
};

std::string ErrorLine(const Outcome& outcome)
{
    std::string line = "tavrin-upload: ";
    AppendUtf8(line, outcome.description);
    return line + " (status " + FormatStatus(static_cast<uint32_t>(outcome.status)) + ")\n";
}

} // namespace

int RunExtract(const ToolArguments& arguments, const LineSink& out, const LineSink& err)
{
    if (!IsDirectory(arguments.targetDir)) {
        std::string line = "tavrin-upload: ";
        AppendUtf8(line, arguments.targetDir);
        err(line + ": not an existing directory\n");
        return 1;
    }
    UploadClient client;
    LONG count = 0;
    Outcome outcome = client.Open(arguments, &count);
    Extractor extractor(arguments, out);
    for (LONG i = 0; i < count && !outcome.Failed(); ++i)
        outcome = extractor.ExtractItem(client, i);
    if (outcome.Failed()) {
        err(ErrorLine(outcome));
        return 1;
    }
    return extractor.AllSaved() ? 0 : 1;
}
