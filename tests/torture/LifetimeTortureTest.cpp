// A seeded random walk, in one apartment, over the objects of the built DLL:
// uploads of several bodies (from a host double or a file), items by position
// and by name, uploads released before and after their items, reloads under
// outstanding items, reads and saves. A model predicts every answer: an item
// keeps reporting the part it was bound to whatever its upload does later. At
// the end the library must be unloadable, the hosts unreferenced, and the
// heaps no fuller than after a warm-up walk. TAVRIN_TORTURE_STEPS (default
// 100000) and TAVRIN_TORTURE_SEED set the walk.
#include "TavrinUpload/UploadNative.h"
#include "TavrinUpload_h.h"
#include "support/BuiltDll.h"
#include "support/HostDouble.h"
#include "support/TempDir.h"
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

constexpr size_t kSlots = 4;
constexpr size_t kMaxItems = 48;
constexpr size_t kTargets = 4;
// What the heaps may hold after the walk beyond what they held after the
// warm-up: the model's containers, the platform's string cache. One leaked
// item object per hundred steps would exceed it.
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

// One part as the model sees it; empty strings are absent.
struct Part
{
    std::string name, filePath, fileName, contentType, content;
};

struct Body
{
    std::vector<Part> parts;
    std::string bytes;
    bool wellFormed = true;
};

// A part with neither name nor file path goes without a disposition line.
std::string Encode(const std::vector<Part>& parts)
{
    std::string body;
    for (const Part& part : parts) {
        body += "--TortureBoundary\r\n";
        if (!part.name.empty() || !part.filePath.empty()) {
            body += "Content-Disposition: form-data; name=\"" + part.name + "\"";
            if (!part.filePath.empty())
                body += "; filename=\"" + part.filePath + "\"";
            body += "\r\n";
        }
        if (!part.contentType.empty())
            body += "Content-Type: " + part.contentType + "\r\n";
        body += "\r\n" + part.content + "\r\n";
    }
    return body;
}

// Bodies 0 to 2 hold items, 3 is no form, 4 never closes.
std::vector<Body> MakeBodies()
{
    std::string big(300000, '\0'); // larger than a read chunk: read in two
    std::mt19937 random(7);
    for (char& c : big)
        c = static_cast<char>(random());
    std::vector<Body> bodies(5);
    bodies[0].parts = {{"title", "", "", "", "Hello"},
                       {"file1", "C:\\docs\\a.txt", "a.txt", "text/plain", "abc"},
                       {"Title", "", "", "", "second field of the same name"},
                       {"", "", "", "", "a part without a disposition"},
                       {"empty", "e.bin", "e.bin", "application/octet-stream", ""}};
    bodies[1].parts = {{"big", "/home/me/big.dat", "big.dat", "image/png", big},
                       {"after", "", "", "", "after the big one"}};
    for (int i = 0; i < 20; ++i)
        bodies[2].parts.push_back({"f" + std::to_string(i), "", "", "", std::to_string(i)});
    for (size_t i = 0; i < 3; ++i)
        bodies[i].bytes = Encode(bodies[i].parts) + "--TortureBoundary--\r\n";
    bodies[3].bytes = "no delimiter line: not a form, no items";
    bodies[4].bytes = Encode({{"cut", "", "", "", "the closing delimiter never comes"}});
    bodies[4].wellFormed = false;
    return bodies;
}

// An Upload object and what the model expects of it.
struct Slot
{
    ComPtr<IUploadNative> upload;
    bool attached = false;
    int hostBody = -1;        // body the host still holds unread, or -1
    std::optional<int> ready; // body whose parts Count reports
    bool needsRead = false;   // the next Count or Item asks the host
};

struct LiveItem
{
    ComPtr<IUploadFile> item;
    const Part* part; // null: bound to nothing
};

class Torture
{
public:
    Torture(const BuiltDll& dll, unsigned seed) : m_dll(dll), m_random(seed), m_seed(seed)
    {
        for (size_t i = 0; i < m_bodies.size(); ++i)
            EXPECT_TRUE(WriteWholeFile(BodyFile(static_cast<int>(i)), m_bodies[i].bytes));
    }

    void Run(long steps)
    {
        for (long i = 0; i < steps && !testing::Test::HasFailure(); ++i, ++m_step) {
            SCOPED_TRACE("seed " + std::to_string(m_seed) + ", step " + std::to_string(m_step));
            Step(m_slots[Pick(kSlots)]);
        }
    }

    // Releases every item and upload, in random order.
    void ReleaseAll()
    {
        while (!m_items.empty())
            ReleaseItem();
        for (Slot& slot : m_slots)
            slot.upload.Reset();
        for (const auto& host : m_hosts)
            EXPECT_EQ(0, host->References()) << "a host is still referenced";
        m_hosts.clear();
        // The model's copies of saved files are not the library's memory.
        for (size_t i = 0; i < kTargets; ++i) {
            DeleteFileW(Target(i).c_str());
            m_saved[i].reset();
        }
        // The last failure's error information is not ours to count.
        SetErrorInfo(0, nullptr);
    }

private:
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_random); }
    bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }

    std::wstring BodyFile(int body) { return m_dir.Path(L"body" + std::to_wstring(body)); }
    std::wstring Target(size_t i) { return m_dir.Path(L"saved" + std::to_wstring(i)); }

    void Step(Slot& slot)
    {
        const size_t roll = Pick(100);
        if (roll < 38) {
            if (m_items.empty())
                return;
            if (roll < 16)
                ReleaseItem();
            else if (roll < 36)
                ReadItem(m_items[Pick(m_items.size())]);
            else
                Save(m_items[Pick(m_items.size())]);
            return;
        }
        if (roll < 46)
            return NewUpload(slot);
        if (!slot.upload)
            return;
        if (roll < 52) {
            slot.upload.Reset();
        } else if (roll < 94) {
            TakeItem(slot);
        } else if (roll < 98) {
            Reload(slot, static_cast<int>(Pick(m_bodies.size())));
        } else {
            EXPECT_EQ(S_OK, slot.upload->OnEndPage());
            slot.attached = false;
        }
    }

    void NewUpload(Slot& slot)
    {
        slot.upload.Reset();
        ComPtr<IUpload> upload;
        ASSERT_EQ(S_OK, m_dll.Create(CLSID_Upload, &upload));
        // The object's IUpload pointer carries the native slots after
        // IUpload's own.
        slot = Slot();
        slot.upload = ComPtr<IUploadNative>(static_cast<IUploadNative*>(upload.Get()));
        slot.needsRead = true;
        // ASCII names and texts read the same under each of these.
        const LONG pageCode = std::array<LONG, 5>{65535, 0, 936, 1252, 65001}[Pick(5)];
        EXPECT_EQ(S_OK, slot.upload->put_PageCode(pageCode));
        // Mostly bodies with items; now and then the empty or broken ones.
        const int body = static_cast<int>(Chance(80) ? Pick(3) : Pick(m_bodies.size()));
        const size_t how = Pick(10);
        if (how >= 6) {
            if (how < 9 && m_bodies[body].wellFormed)
                Reload(slot, body);
            return;
        }
        const std::string& bytes = m_bodies[body].bytes;
        // Hosts that nothing references any more go first: their uploads
        // can never read again.
        m_hosts.erase(std::remove_if(m_hosts.begin(), m_hosts.end(),
                                     [](const auto& host) { return host->References() == 0; }),
                      m_hosts.end());
        HostDouble& host = *m_hosts.emplace_back(std::make_unique<HostDouble>());
        host.SetUnexpectedCallHandler(
            [](const char* member) { ADD_FAILURE() << "unexpected host call " << member; });
        host.SetBody(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        EXPECT_EQ(S_OK, slot.upload->OnStartPage(host.Context()));
        slot.attached = true;
        slot.hostBody = body;
    }

    // What the next Count or Item does to the model: the status it returns.
    HRESULT ExpectRead(Slot& slot)
    {
        if (!std::exchange(slot.needsRead, false))
            return S_OK;
        slot.ready.reset();
        if (!slot.attached)
            return CO_E_NOT_SUPPORTED;
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

    // Counts the items, or takes one by position (one before and one after
    // the parts, too) or by name (in another case, or one that no part has).
    void TakeItem(Slot& slot)
    {
        const HRESULT expected = ExpectRead(slot);
        static const std::vector<Part> kNone;
        const std::vector<Part>& parts = slot.ready ? m_bodies[*slot.ready].parts : kNone;
        if (Chance(20)) {
            LONG count = -1;
            ASSERT_EQ(expected, slot.upload->get_Count(&count));
            EXPECT_EQ(SUCCEEDED(expected) ? static_cast<LONG>(parts.size()) : -1, count);
            return;
        }
        VariantHolder index;
        const Part* part = nullptr;
        if (Chance(60)) {
            const LONG at = static_cast<LONG>(Pick(parts.size() + 2)) - 1;
            index->vt = VT_I4;
            index->lVal = at;
            if (at >= 0 && at < static_cast<LONG>(parts.size()))
                part = &parts[static_cast<size_t>(at)];
        } else {
            std::string name =
                parts.empty() || Chance(15) ? "nosuch" : parts[Pick(parts.size())].name;
            for (char& c : name)
                c = static_cast<char>(Chance(50) ? std::toupper(static_cast<unsigned char>(c)) : c);
            index->vt = VT_BSTR;
            index->bstrVal = SysAllocString(Widen(name).c_str());
            const auto found = std::find_if(parts.begin(), parts.end(), [&](const Part& p) {
                return !p.name.empty() && _stricmp(p.name.c_str(), name.c_str()) == 0;
            });
            part = found == parts.end() ? nullptr : &*found;
        }
        VariantHolder result;
        ASSERT_EQ(expected, slot.upload->get_Item(*index.Get(), result.Get()));
        if (FAILED(expected)) {
            EXPECT_EQ(VT_EMPTY, result->vt) << "a failed Item hands out nothing";
            return;
        }
        ASSERT_EQ(VT_DISPATCH, result->vt);
        LiveItem live{{}, part};
        ASSERT_EQ(S_OK, result->pdispVal->QueryInterface(
                            IID_IUploadFile,
                            reinterpret_cast<void**>(live.item.ReleaseAndGetAddressOf())));
        if (m_items.size() >= kMaxItems)
            ReleaseItem();
        m_items.push_back(std::move(live));
    }

    void ReleaseItem()
    {
        if (m_items.empty())
            return;
        const size_t i = Pick(m_items.size());
        m_items[i] = std::move(m_items.back());
        m_items.pop_back();
    }

    // Reads every text, the size, and the content as bytes or as text. Text
    // asks the item's upload for its PageCode: the upload may be one that
    // only its items still hold.
    void ReadItem(const LiveItem& live)
    {
        static const Part kNothing;
        const Part& part = live.part ? *live.part : kNothing;
        using Getter = HRESULT (STDMETHODCALLTYPE IUploadFile::*)(BSTR*);
        const std::pair<Getter, const std::string*> texts[] = {
            {&IUploadFile::get_Name, &part.name},
            {&IUploadFile::get_FilePath, &part.filePath},
            {&IUploadFile::get_FileName, &part.fileName},
            {&IUploadFile::get_ContentType, &part.contentType},
        };
        for (const auto& [getter, expected] : texts) {
            BstrHolder text;
            EXPECT_EQ(expected->empty() ? S_FALSE : S_OK,
                      (live.item.Get()->*getter)(text.ReleaseAndGetAddressOf()));
            EXPECT_EQ(Widen(*expected), std::wstring(text.Get(), text.Length()));
        }
        LONG size = -1;
        EXPECT_EQ(live.part ? S_OK : S_FALSE, live.item->get_Size(&size));
        EXPECT_EQ(static_cast<LONG>(part.content.size()), size);

        const bool asText = Chance(50);
        VariantHolder content;
        const HRESULT hr =
            live.item->get_Content(asText ? VARIANT_TRUE : VARIANT_FALSE, content.Get());
        if (!live.part || (asText && part.content.empty())) {
            EXPECT_EQ(S_FALSE, hr);
            EXPECT_EQ(VT_EMPTY, content->vt);
            return;
        }
        ASSERT_EQ(S_OK, hr);
        if (asText) {
            ASSERT_EQ(VT_BSTR, content->vt);
            if (std::all_of(part.content.begin(), part.content.end(),
                            [](char c) { return c > 0; })) {
                EXPECT_EQ(Widen(part.content),
                          std::wstring(content->bstrVal, SysStringLen(content->bstrVal)));
            }
            return;
        }
        ASSERT_EQ(VT_ARRAY | VT_UI1, content->vt);
        const SAFEARRAY* array = content->parray;
        EXPECT_TRUE(part.content == std::string(static_cast<const char*>(array->pvData),
                                                array->rgsabound[0].cElements))
            << "content differs";
    }

    // Loads a body from its file; a broken body stands for a file that is
    // not there, which discards the records and leaves the upload to ask its
    // host again.
    void Reload(Slot& slot, int body)
    {
        const bool there = m_bodies[body].wellFormed;
        BstrHolder path(SysAllocString(BodyFile(there ? body : -1).c_str()));
        EXPECT_EQ(there ? S_OK : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                  slot.upload->LoadBodyFromFile(path.Get()));
        slot.ready = there ? std::optional<int>(body) : std::nullopt;
        slot.needsRead = !there;
    }

    void Save(const LiveItem& live)
    {
        const size_t target = Pick(kTargets);
        const bool overwrite = Chance(50);
        BstrHolder path(SysAllocString(Target(target).c_str()));
        VARIANT_BOOL saved = 1;
        const HRESULT hr =
            live.item->SaveAs(path.Get(), overwrite ? VARIANT_TRUE : VARIANT_FALSE, &saved);
        const bool expectSaved = live.part && (overwrite || !m_saved[target]);
        EXPECT_EQ(live.part ? S_OK : S_FALSE, hr);
        EXPECT_EQ(expectSaved ? VARIANT_TRUE : VARIANT_FALSE, saved);
        if (expectSaved)
            m_saved[target] = live.part->content;
        EXPECT_TRUE(m_saved[target] ? ReadWholeFileForTest(Target(target)) == *m_saved[target]
                                    : !FileExists(Target(target)))
            << "saved file differs";
    }

    const BuiltDll& m_dll;
    std::mt19937 m_random;
    unsigned m_seed;
    long m_step = 0;
    std::vector<Body> m_bodies = MakeBodies();
    TempDir m_dir;
    std::array<std::optional<std::string>, kTargets> m_saved;
    // Hosts outlive the uploads bound to them; uploads are held by slots and
    // items.
    std::vector<std::unique_ptr<HostDouble>> m_hosts;
    std::array<Slot, kSlots> m_slots;
    std::vector<LiveItem> m_items;
};

TEST(LifetimeTorture, RandomWalkLeavesNoObjectNoHostReferenceAndNoHeapGrowth)
{
    const long steps = EnvNumber("TAVRIN_TORTURE_STEPS", 100000);
    const auto seed = static_cast<unsigned>(EnvNumber("TAVRIN_TORTURE_SEED", 20261207));
    RecordProperty("steps", static_cast<int>(steps));
    RecordProperty("seed", static_cast<int>(seed));
    BuiltDll dll(L"" TAVRIN_DLL_PATH);
    ASSERT_TRUE(dll.Loaded()) << "cannot load " << TAVRIN_DLL_PATH;
    Torture torture(dll, seed);
    // The warm-up fills what the platform caches (type information, string
    // cache, the model's containers) before the heaps are measured.
    torture.Run(2000);
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

} // namespace
