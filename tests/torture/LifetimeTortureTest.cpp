// Lifetime under torture: a seeded random walk, in one apartment, over the
// objects of the built DLL. Upload objects are made from several bodies
// (served by a host double, or loaded from files), items are taken by
// position and by name, uploads are released before and after their items,
// bodies are reloaded under outstanding items, items are read and saved.
// A model predicts every answer: an item keeps reporting the part it was
// bound to whatever its upload does later. At the end everything is
// released: the library must be unloadable (no object is left), the hosts
// unreferenced, and the process heaps no fuller than after a warm-up walk.
//
// TAVRIN_TORTURE_STEPS (default kDefaultSteps) and TAVRIN_TORTURE_SEED set
// the walk; a failure names the seed and the step.
#include "TavrinUpload_h.h"
#include "support/BuiltDll.h"
#include "support/HostDouble.h"
#include "support/TempDir.h"
#include "upload/UploadNative.h"
#include "util/BstrHolder.h"
#include "util/ComPtr.h"
#include "util/VariantHolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr long kDefaultSteps = 100000;
constexpr long kWarmUpSteps = 2000;
constexpr unsigned kDefaultSeed = 20261207;
constexpr size_t kSlots = 4;
constexpr size_t kMaxItems = 48;
constexpr size_t kSaveTargets = 4;
// What the heaps may hold after the walk beyond what they held after the
// warm-up: containers of the model that grew further, the platform's string
// cache. One leaked item object per hundred steps would exceed it.
constexpr size_t kHeapSlack = 64 * 1024;

long EnvNumber(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

// Bytes in use in every heap of the process.
size_t HeapBytesInUse()
{
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    size_t total = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heap, &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        }
        HeapUnlock(heap);
    }
    return total;
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// One part of a body as the model sees it; empty strings are absent.
struct Part
{
    std::string name;
    std::string filePath;
    std::string fileName; // what FileName reports
    std::string contentType;
    std::string content;
    bool fileInput = false;  // sends filename=, also when it is empty
    bool disposition = true; // false: the part has no Content-Disposition line
};

struct Body
{
    std::vector<Part> parts;
    std::string bytes;
    bool wellFormed = true;
    std::wstring file; // empty: served by a host only
};

std::string Encode(const std::vector<Part>& parts, bool closed)
{
    std::string body;
    for (const Part& part : parts) {
        body += "--TortureBoundary\r\n";
        if (part.disposition) {
            body += "Content-Disposition: form-data; name=\"" + part.name + "\"";
            if (part.fileInput)
                body += "; filename=\"" + part.filePath + "\"";
            body += "\r\n";
        }
        if (!part.contentType.empty())
            body += "Content-Type: " + part.contentType + "\r\n";
        body += "\r\n" + part.content + "\r\n";
    }
    if (closed)
        body += "--TortureBoundary--\r\n";
    return body;
}

std::string Pattern(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

std::vector<Body> MakeBodies()
{
    std::vector<Body> bodies(6);
    bodies[0].parts = {
        {"title", "", "", "", "Hello"},
        {"file1", "C:\\docs\\a.txt", "a.txt", "text/plain", "abc", true},
        {"Title", "", "", "", "second field of the same name"},
    };
    std::string allBytes;
    for (int i = 0; i < 3 * 256; ++i)
        allBytes += static_cast<char>(i);
    bodies[1].parts = {
        {"blob", "/home/me/x.bin", "x.bin", "application/octet-stream", allBytes, true},
        {"", "", "", "", "a part without a disposition", false, false},
        {"empty", "", "", "application/octet-stream", "", true},
    };
    for (int i = 0; i < 20; ++i) {
        const std::string n = std::to_string(i);
        bodies[2].parts.push_back({"f" + n, "", "", "", "value " + n + " of many"});
    }
    // One file larger than a read chunk, so that reading takes two.
    bodies[3].parts = {{"big", "big.dat", "big.dat", "image/png", Pattern(300000, 7), true},
                       {"after", "", "", "", "after the big one"}};
    for (size_t i = 0; i < 4; ++i)
        bodies[i].bytes = Encode(bodies[i].parts, true);
    bodies[4].bytes = "no delimiter line: not a form, no items";
    bodies[5].parts = {{"cut", "", "", "", "the closing delimiter never comes"}};
    bodies[5].bytes = Encode(bodies[5].parts, false);
    bodies[5].parts.clear();
    bodies[5].wellFormed = false;
    return bodies;
}

// The first part whose non-empty name equals name, ASCII letters compared
// without case.
const Part* FindByName(const Body& body, const std::string& name)
{
    for (const Part& part : body.parts) {
        if (part.name.empty() || part.name.size() != name.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(part.name[i])) ==
                   std::tolower(static_cast<unsigned char>(name[i]));
        if (same)
            return &part;
    }
    return nullptr;
}

// An Upload object and what the model expects of it.
struct Slot
{
    ComPtr<IUploadNative> upload;
    bool attached = false;
    LONG hostTotal = 0;       // what the host announces
    int hostBody = -1;        // body the host still holds unread, or -1
    std::optional<int> ready; // body whose parts Count reports
    bool needsRead = false;   // the next Count asks the host
    LONG maxSize = 10485760;
};

struct LiveItem
{
    ComPtr<IUploadFile> item;
    const Part* part; // null: bound to nothing
};

class Torture
{
public:
    Torture(const BuiltDll& dll, unsigned seed)
        : m_dll(dll), m_random(seed), m_bodies(MakeBodies()), m_seed(seed)
    {
        for (size_t i = 0; i < m_bodies.size(); ++i) {
            Body& body = m_bodies[i];
            if (!body.wellFormed)
                continue;
            body.file = m_dir.Path(L"body" + std::to_wstring(i) + L".bin");
            EXPECT_TRUE(WriteWholeFile(body.file, body.bytes));
        }
        for (size_t i = 0; i < kSaveTargets; ++i)
            m_targets.push_back(m_dir.Path(L"saved" + std::to_wstring(i) + L".bin"));
    }

    void Run(long steps)
    {
        for (long i = 0; i < steps && !testing::Test::HasFailure(); ++i, ++m_step)
            Step();
    }

    // Releases every item and upload, in random order.
    void ReleaseAll()
    {
        while (!m_items.empty())
            ReleaseItem();
        for (Slot& slot : m_slots)
            slot.upload.Reset();
        for (const auto& host : m_hosts)
            EXPECT_EQ(0, host->References()) << "a host is still referenced" << Where();
        m_hosts.clear();
        // The model's copies of saved files are not the library's memory.
        for (size_t i = 0; i < kSaveTargets; ++i) {
            DeleteFileW(m_targets[i].c_str());
            m_saved[i].reset();
        }
        // The last failure's error information is not ours to count.
        SetErrorInfo(0, nullptr);
    }

private:
    std::string Where() const
    {
        return " (seed " + std::to_string(m_seed) + ", step " + std::to_string(m_step) + ")";
    }
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_random); }
    bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }

    void Step()
    {
        const size_t roll = Pick(100);
        Slot& slot = m_slots[Pick(kSlots)];
        if (roll < 8)
            NewUpload(slot);
        else if (roll < 14)
            slot.upload.Reset();
        else if (roll < 22)
            Count(slot);
        else if (roll < 44)
            ItemByPosition(slot);
        else if (roll < 56)
            ItemByName(slot);
        else if (roll < 72)
            ReleaseItem();
        else if (roll < 92)
            ReadItem();
        else if (roll < 96)
            Reload(slot);
        else if (roll < 98)
            EndPage(slot);
        else
            Save();
    }

    void NewUpload(Slot& slot)
    {
        slot.upload.Reset();
        ComPtr<IUpload> upload;
        ASSERT_EQ(S_OK, m_dll.Create(CLSID_Upload, &upload)) << Where();
        // The object's IUpload pointer carries the native slots after
        // IUpload's own.
        slot.upload = ComPtr<IUploadNative>(static_cast<IUploadNative*>(upload.Get()));
        slot.attached = false;
        slot.ready.reset();
        slot.needsRead = true;
        slot.maxSize = Chance(10) ? static_cast<LONG>(Pick(4000)) : 10485760;
        EXPECT_EQ(S_OK, slot.upload->put_MaxSize(slot.maxSize)) << Where();
        // ASCII names and texts read the same under each of these.
        if (Chance(20)) {
            const LONG pageCodes[] = {0, 936, 1252, 65001};
            EXPECT_EQ(S_OK, slot.upload->put_PageCode(pageCodes[Pick(4)])) << Where();
        }
        // Mostly bodies with items; now and then the empty or broken ones.
        const int body = static_cast<int>(Chance(80) ? Pick(4) : Pick(m_bodies.size()));
        const size_t how = Pick(10);
        if (how < 6) {
            const std::string& bytes = m_bodies[body].bytes;
            HostDouble& host = NewHost();
            host.SetBody(std::vector<uint8_t>(bytes.begin(), bytes.end()));
            EXPECT_EQ(S_OK, slot.upload->OnStartPage(host.Context())) << Where();
            slot.attached = true;
            slot.hostTotal = static_cast<LONG>(bytes.size());
            slot.hostBody = body;
        } else if (how < 9 && m_bodies[body].wellFormed) {
            LoadFile(slot, body);
        }
    }

    // A host for one upload. Hosts that nothing references any more go
    // first: their uploads can never read again.
    HostDouble& NewHost()
    {
        for (size_t i = m_hosts.size(); i-- > 0;) {
            if (m_hosts[i]->References() == 0) {
                m_hosts[i] = std::move(m_hosts.back());
                m_hosts.pop_back();
            }
        }
        m_hosts.push_back(std::make_unique<HostDouble>());
        HostDouble& host = *m_hosts.back();
        host.SetUnexpectedCallHandler([this](const char* member) {
            ADD_FAILURE() << "unexpected host call " << member << Where();
        });
        return host;
    }

    void LoadFile(Slot& slot, int body)
    {
        BstrHolder path(SysAllocString(m_bodies[body].file.c_str()));
        EXPECT_EQ(S_OK, slot.upload->LoadBodyFromFile(path.Get())) << Where();
        slot.ready = body;
        slot.needsRead = false;
    }

    // What the next Count or Item does to the model: the status it returns.
    HRESULT ExpectRead(Slot& slot)
    {
        if (!slot.needsRead)
            return S_OK;
        slot.needsRead = false;
        slot.ready.reset();
        if (!slot.attached)
            return CO_E_NOT_SUPPORTED;
        if (slot.hostTotal > slot.maxSize)
            return DISP_E_OVERFLOW;
        // A host that already served its body delivers nothing more.
        if (slot.hostBody < 0)
            return S_OK;
        const int served = std::exchange(slot.hostBody, -1);
        if (!m_bodies[served].wellFormed) {
            slot.needsRead = true; // discarded; the next call asks again
            return DISP_E_EXCEPTION;
        }
        slot.ready = served;
        return S_OK;
    }

    LONG ExpectedCount(const Slot& slot) const
    {
        return slot.ready ? static_cast<LONG>(m_bodies[*slot.ready].parts.size()) : 0;
    }

    void Count(Slot& slot)
    {
        if (!slot.upload)
            return;
        const HRESULT expected = ExpectRead(slot);
        LONG count = -1;
        ASSERT_EQ(expected, slot.upload->get_Count(&count)) << Where();
        if (SUCCEEDED(expected)) {
            EXPECT_EQ(ExpectedCount(slot), count) << Where();
        }
    }

    void TakeItem(Slot& slot, const VARIANT& index, const Part* part)
    {
        VariantHolder result;
        ASSERT_EQ(S_OK, slot.upload->get_Item(index, result.Get())) << Where();
        ASSERT_EQ(VT_DISPATCH, result->vt) << Where();
        LiveItem live{{}, part};
        ASSERT_EQ(S_OK, result->pdispVal->QueryInterface(
                            IID_IUploadFile,
                            reinterpret_cast<void**>(live.item.ReleaseAndGetAddressOf())))
            << Where();
        if (m_items.size() >= kMaxItems)
            ReleaseItem();
        m_items.push_back(std::move(live));
    }

    // Runs the read that Item starts; when the model says it fails, checks
    // that Item fails so, handing out nothing, and returns false.
    bool ReadForItem(Slot& slot)
    {
        const HRESULT expected = ExpectRead(slot);
        if (SUCCEEDED(expected))
            return true;
        VARIANT index;
        index.vt = VT_I4;
        index.lVal = 0;
        VariantHolder result;
        EXPECT_EQ(expected, slot.upload->get_Item(index, result.Get())) << Where();
        EXPECT_EQ(VT_EMPTY, result->vt) << Where();
        return false;
    }

    void ItemByPosition(Slot& slot)
    {
        if (!slot.upload || !ReadForItem(slot))
            return;
        const LONG count = ExpectedCount(slot);
        VARIANT index;
        index.vt = VT_I4;
        index.lVal = static_cast<LONG>(Pick(static_cast<size_t>(count) + 2)) - 1;
        const Part* part = index.lVal >= 0 && index.lVal < count
                               ? &m_bodies[*slot.ready].parts[static_cast<size_t>(index.lVal)]
                               : nullptr;
        TakeItem(slot, index, part);
    }

    void ItemByName(Slot& slot)
    {
        if (!slot.upload || !ReadForItem(slot))
            return;
        std::string name = "nosuch";
        if (slot.ready && !m_bodies[*slot.ready].parts.empty() && Chance(85)) {
            const auto& parts = m_bodies[*slot.ready].parts;
            name = parts[Pick(parts.size())].name;
            if (Chance(50)) {
                for (char& c : name)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
        VariantHolder index;
        index->vt = VT_BSTR;
        index->bstrVal = SysAllocString(Widen(name).c_str());
        const Part* part = slot.ready ? FindByName(m_bodies[*slot.ready], name) : nullptr;
        TakeItem(slot, *index.Get(), part);
    }

    void ReleaseItem()
    {
        if (m_items.empty())
            return;
        const size_t i = Pick(m_items.size());
        m_items[i] = std::move(m_items.back());
        m_items.pop_back();
    }

    void ExpectProperty(IUploadFile* item, HRESULT (STDMETHODCALLTYPE IUploadFile::*getter)(BSTR*),
                        const std::string& expected, const char* what)
    {
        BstrHolder text;
        const HRESULT hr = (item->*getter)(text.ReleaseAndGetAddressOf());
        if (expected.empty()) {
            EXPECT_EQ(S_FALSE, hr) << what << Where();
            return;
        }
        EXPECT_EQ(S_OK, hr) << what << Where();
        EXPECT_EQ(Widen(expected), std::wstring(text.Get(), text.Length())) << what << Where();
    }

    void ReadItem()
    {
        if (m_items.empty())
            return;
        const LiveItem& live = m_items[Pick(m_items.size())];
        IUploadFile* item = live.item.Get();
        static const Part kNothing;
        const Part& part = live.part ? *live.part : kNothing;
        ExpectProperty(item, &IUploadFile::get_Name, part.name, "Name");
        ExpectProperty(item, &IUploadFile::get_FilePath, part.filePath, "FilePath");
        ExpectProperty(item, &IUploadFile::get_FileName, part.fileName, "FileName");
        ExpectProperty(item, &IUploadFile::get_ContentType, part.contentType, "ContentType");
        LONG size = -1;
        EXPECT_EQ(live.part ? S_OK : S_FALSE, item->get_Size(&size)) << Where();
        EXPECT_EQ(static_cast<LONG>(part.content.size()), size) << Where();

        if (Chance(50))
            ExpectContentBytes(item, live.part);
        else
            ExpectContentText(item, live.part);
    }

    void ExpectContentBytes(IUploadFile* item, const Part* part)
    {
        VariantHolder content;
        const HRESULT hr = item->get_Content(VARIANT_FALSE, content.Get());
        if (!part) {
            EXPECT_EQ(S_FALSE, hr) << Where();
            return;
        }
        ASSERT_EQ(S_OK, hr) << Where();
        ASSERT_EQ(VT_ARRAY | VT_UI1, content->vt) << Where();
        const SAFEARRAY* array = content->parray;
        ASSERT_EQ(part->content.size(), array->rgsabound[0].cElements) << Where();
        EXPECT_TRUE(part->content.empty() ||
                    std::memcmp(array->pvData, part->content.data(), part->content.size()) == 0)
            << "content differs" << Where();
    }

    // Text asks the item's upload for its PageCode, and may set it: the
    // upload may be one that only its items still hold.
    void ExpectContentText(IUploadFile* item, const Part* part)
    {
        VariantHolder content;
        const HRESULT hr = item->get_Content(VARIANT_TRUE, content.Get());
        if (!part) {
            EXPECT_EQ(S_FALSE, hr) << Where();
            return;
        }
        if (part->content.empty()) {
            EXPECT_EQ(S_FALSE, hr) << Where();
            EXPECT_EQ(VT_EMPTY, content->vt) << Where();
            return;
        }
        ASSERT_EQ(S_OK, hr) << Where();
        ASSERT_EQ(VT_BSTR, content->vt) << Where();
        const bool ascii = std::all_of(part->content.begin(), part->content.end(),
                                       [](char c) { return (c & 0x80) == 0; });
        if (ascii) {
            EXPECT_EQ(Widen(part->content),
                      std::wstring(content->bstrVal, SysStringLen(content->bstrVal)))
                << Where();
        }
    }

    // Reloads a body from its file, or from a file that is not there, which
    // discards the records and leaves the upload to ask its host again.
    void Reload(Slot& slot)
    {
        if (!slot.upload)
            return;
        const int body = static_cast<int>(Pick(m_bodies.size()));
        if (m_bodies[body].wellFormed) {
            LoadFile(slot, body);
            return;
        }
        BstrHolder path(SysAllocString(m_dir.Path(L"missing.bin").c_str()));
        EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                  slot.upload->LoadBodyFromFile(path.Get()))
            << Where();
        slot.ready.reset();
        slot.needsRead = true;
    }

    void EndPage(Slot& slot)
    {
        if (!slot.upload)
            return;
        EXPECT_EQ(S_OK, slot.upload->OnEndPage()) << Where();
        slot.attached = false;
    }

    void Save()
    {
        if (m_items.empty())
            return;
        const LiveItem& live = m_items[Pick(m_items.size())];
        const size_t target = Pick(kSaveTargets);
        const bool overwrite = Chance(50);
        BstrHolder path(SysAllocString(m_targets[target].c_str()));
        VARIANT_BOOL saved = 1;
        const HRESULT hr =
            live.item->SaveAs(path.Get(), overwrite ? VARIANT_TRUE : VARIANT_FALSE, &saved);
        const bool exists = m_saved[target].has_value();
        if (!live.part) {
            EXPECT_EQ(S_FALSE, hr) << Where();
            EXPECT_EQ(VARIANT_FALSE, saved) << Where();
        } else {
            EXPECT_EQ(S_OK, hr) << Where();
            const bool expectSaved = overwrite || !exists;
            EXPECT_EQ(expectSaved ? VARIANT_TRUE : VARIANT_FALSE, saved) << Where();
            if (expectSaved)
                m_saved[target] = live.part->content;
        }
        if (m_saved[target]) {
            EXPECT_TRUE(ReadWholeFileForTest(m_targets[target]) == *m_saved[target])
                << "saved file differs" << Where();
        } else {
            EXPECT_FALSE(FileExists(m_targets[target])) << Where();
        }
    }

    const BuiltDll& m_dll;
    std::mt19937 m_random;
    std::vector<Body> m_bodies;
    unsigned m_seed;
    long m_step = 0;
    TempDir m_dir;
    std::vector<std::wstring> m_targets;
    std::array<std::optional<std::string>, kSaveTargets> m_saved;
    // Hosts outlive the uploads bound to them, uploads are held by slots
    // and items.
    std::vector<std::unique_ptr<HostDouble>> m_hosts;
    std::array<Slot, kSlots> m_slots;
    std::vector<LiveItem> m_items;
};

TEST(LifetimeTorture, RandomWalkLeavesNoObjectNoHostReferenceAndNoHeapGrowth)
{
    const long steps = EnvNumber("TAVRIN_TORTURE_STEPS", kDefaultSteps);
    const unsigned seed =
        static_cast<unsigned>(EnvNumber("TAVRIN_TORTURE_SEED", static_cast<long>(kDefaultSeed)));
    RecordProperty("steps", static_cast<int>(steps));
    RecordProperty("seed", static_cast<int>(seed));
    BuiltDll dll(L"" TAVRIN_DLL_PATH);
    ASSERT_TRUE(dll.Loaded()) << "cannot load " << TAVRIN_DLL_PATH;
    {
        Torture torture(dll, seed);
        // The warm-up fills what the platform caches (type information,
        // string cache, the model's containers) before the heaps are
        // measured.
        torture.Run(kWarmUpSteps);
        torture.ReleaseAll();
        ASSERT_FALSE(testing::Test::HasFailure());
        ASSERT_EQ(S_OK, dll.CanUnloadNow()) << "objects outlived the warm-up";
        const size_t before = HeapBytesInUse();

        torture.Run(steps);
        torture.ReleaseAll();
        ASSERT_FALSE(testing::Test::HasFailure());
        EXPECT_EQ(S_OK, dll.CanUnloadNow()) << "objects outlived their last reference";
        const size_t after = HeapBytesInUse();
        EXPECT_LE(after, before + kHeapSlack)
            << "the heaps grew by " << (after - before) << " bytes over " << steps << " steps";
    }
}

} // namespace
