#include "util/ErrorReporting.h"

#include "support/ThreadError.h"
#include "util/Handles.h"

#include <TavrinUpload_h.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RegKeyTraits
{
    static HKEY Invalid() noexcept { return nullptr; }
    static LONG Close(HKEY h) noexcept { return RegCloseKey(h); }
};
using RegKeyHolder = UniqueHandle<HKEY, RegKeyTraits>;

std::wstring ClassKeyPath()
{
    wchar_t clsid[40] = {};
    StringFromGUID2(CLSID_Upload, clsid, 40);
    return std::wstring(L"Software\\Classes\\CLSID\\") + clsid;
}

// Writes the Upload class's ProgID into the registry for the life of the
// fixture and removes what it wrote afterwards. The class roots of both the
// user and the machine are written, because Wine reads class entries from
// the machine's only. Nothing is written when the class is registered for
// real; the test is then skipped.
class ReportErrorRegistered : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!RegisteredUploadProgId().empty())
            GTEST_SKIP() << "the Upload class is registered on this machine";
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            Register(root);
    }
    void TearDown() override
    {
        // Skipped: the registration found is not this test's to check.
        if (IsSkipped())
            return;
        for (const std::wstring& key : m_created)
            RegDeleteTreeW(key[0] == L'U' ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                           key.c_str() + 2);
        EXPECT_EQ(L"", RegisteredUploadProgId()) << "the registration was not removed";
    }

private:
    // Remembers the topmost key it created, as "U:" or "M:" and its path.
    void Register(HKEY root)
    {
        const std::wstring prefix = root == HKEY_CURRENT_USER ? L"U:" : L"M:";
        RegKeyHolder classKey;
        DWORD disposition = 0;
        if (RegCreateKeyExW(root, ClassKeyPath().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            classKey.ReleaseAndGetAddressOf(), &disposition) != ERROR_SUCCESS)
            return;
        m_created.push_back(prefix + ClassKeyPath() +
                            (disposition == REG_CREATED_NEW_KEY ? L"" : L"\\ProgID"));
        RegKeyHolder progIdKey;
        if (RegCreateKeyExW(classKey.Get(), L"ProgID", 0, nullptr, 0, KEY_WRITE, nullptr,
                            progIdKey.ReleaseAndGetAddressOf(), nullptr) != ERROR_SUCCESS)
            return;
        const wchar_t value[] = L"TavrinUpload.Upload.1";
        RegSetValueExW(progIdKey.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       sizeof(value));
    }

    std::vector<std::wstring> m_created;
};

TEST(ReportError, MissingMessageIsUnknownError)
{
    EXPECT_EQ(E_FAIL, ReportError(109, E_FAIL, CLSID_Upload));
    EXPECT_EQ(L"Unknown Error", TakeThreadError().description);
    EXPECT_EQ(E_ABORT, ReportError(0, E_ABORT, CLSID_Upload));
    EXPECT_EQ(L"Unknown Error", TakeThreadError().description);
}

TEST(ReportError, ZeroStatusBecomesDispException)
{
    EXPECT_EQ(DISP_E_EXCEPTION, ReportError(105, S_OK, CLSID_Upload));
    EXPECT_EQ(L"The file size is over the limitation set", TakeThreadError().description);
}

TEST(ReportError, UnregisteredClassGivesNoSource)
{
    if (!RegisteredUploadProgId().empty())
        GTEST_SKIP() << "the Upload class is registered on this machine";
    EXPECT_EQ(DISP_E_OVERFLOW, ReportError(105, DISP_E_OVERFLOW, CLSID_Upload));
    const ThreadError error = TakeThreadError();
    EXPECT_EQ(L"The file size is over the limitation set", error.description);
    EXPECT_FALSE(error.hasSource);
}

TEST_F(ReportErrorRegistered, SourceIsTheRegisteredProgId)
{
    ASSERT_EQ(L"TavrinUpload.Upload.1", RegisteredUploadProgId())
        << "the test registration is not seen";
    EXPECT_EQ(DISP_E_OVERFLOW, ReportError(105, DISP_E_OVERFLOW, CLSID_Upload));
    const ThreadError error = TakeThreadError();
    EXPECT_EQ(L"The file size is over the limitation set", error.description);
    EXPECT_EQ(L"TavrinUpload.Upload.1", error.source);
    EXPECT_TRUE(IsEqualGUID(GUID_NULL, error.guid));
}

} // namespace
