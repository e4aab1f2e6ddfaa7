// How the tool reads what the component answers: a failed body load is a
// failure even when it comes back as a bare platform error number, S_FALSE
// is an absent value while an empty string is a value, failures carry the
// component's own error description, and content that is not a byte array
// is refused. The Upload and UploadFile doubles fail the test on any call a
// test did not set up.
#include "UploadClient.h"

#include "TavrinUpload/UploadNative.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

// A member that no test sets up: calling it fails the test.
#define TU_UNEXPECTED(name, params)                                                                \
    HRESULT STDMETHODCALLTYPE name params override                                                 \
    {                                                                                              \
        return Unexpected();                                                                       \
    }

// Shared IUnknown/IDispatch plumbing of both doubles; iid is the one
// interface they answer beside IUnknown and IDispatch.
template <class Interface> class DoubleBase : public Interface
{
public:
    explicit DoubleBase(const IID& iid) : m_iid(iid) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_iid) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_refs; }
    TU_UNEXPECTED(GetTypeInfoCount, (UINT*))
    TU_UNEXPECTED(GetTypeInfo, (UINT, LCID, ITypeInfo**))
    TU_UNEXPECTED(GetIDsOfNames, (REFIID, LPOLESTR*, UINT, LCID, DISPID*))
    TU_UNEXPECTED(Invoke, (DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))
    ULONG m_refs = 1; // owned by the test's stack frame
    const IID& m_iid;

protected:
    static HRESULT Unexpected()
    {
        ADD_FAILURE() << "unexpected call";
        return E_NOTIMPL;
    }
};

class UploadDouble : public DoubleBase<IUploadNative>
{
public:
    UploadDouble() : DoubleBase(IID_IUpload) {}
    std::function<HRESULT(BSTR)> load;
    std::function<HRESULT(LONG*)> count;

    TU_UNEXPECTED(OnStartPage, (IUnknown*))
    TU_UNEXPECTED(OnEndPage, ())
    TU_UNEXPECTED(get_Item, (VARIANT, VARIANT*))
    HRESULT STDMETHODCALLTYPE get_Count(LONG* value) override
    {
        return count ? count(value) : Unexpected();
    }
    TU_UNEXPECTED(get_MaxSize, (LONG*))
    TU_UNEXPECTED(put_MaxSize, (LONG))
    TU_UNEXPECTED(get_PageCode, (LONG*))
    TU_UNEXPECTED(put_PageCode, (LONG))
    TU_UNEXPECTED(get_About, (BSTR*))
    HRESULT STDMETHODCALLTYPE LoadBodyFromFile(BSTR path) override
    {
        return load ? load(path) : Unexpected();
    }
    TU_UNEXPECTED(SaveVariantToFile, (BSTR, VARIANT))
};

class ItemDouble : public DoubleBase<IUploadFile>
{
public:
    ItemDouble() : DoubleBase(IID_IUploadFile) {}
    std::function<HRESULT(BSTR*)> name;
    std::function<HRESULT(VARIANT*)> content;

    HRESULT STDMETHODCALLTYPE get_Content(VARIANT_BOOL isString, VARIANT* value) override
    {
        EXPECT_EQ(VARIANT_FALSE, isString);
        return content ? content(value) : Unexpected();
    }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* value) override
    {
        return name ? name(value) : Unexpected();
    }
    TU_UNEXPECTED(get_FileName, (BSTR*))
    TU_UNEXPECTED(get_FilePath, (BSTR*))
    TU_UNEXPECTED(get_Size, (LONG*))
    TU_UNEXPECTED(get_ContentType, (BSTR*))
    TU_UNEXPECTED(SaveAs, (BSTR, VARIANT_BOOL, VARIANT_BOOL*))
    TU_UNEXPECTED(get_FileExt, (BSTR*))
};

UploadClient ClientFor(UploadDouble& upload)
{
    return UploadClient(ComPtr<IUpload>(static_cast<IUpload*>(&upload)));
}

HRESULT InstallErrorDescription(const wchar_t* text)
{
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.ReleaseAndGetAddressOf())))
        return E_FAIL;
    create->SetDescription(const_cast<LPOLESTR>(text));
    ComPtr<IErrorInfo> info;
    create.As(&info);
    SetErrorInfo(0, info.Get());
    return S_OK;
}

TEST(UploadClient, BodyLoadFailuresAreFailuresWhateverTheirSign)
{
    const struct
    {
        const char* label;
        HRESULT answer;
        HRESULT reported;
    } rows[] = {
        {"bare platform error number", static_cast<HRESULT>(ERROR_FILE_NOT_FOUND),
         HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
        {"failure status", HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION),
         HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION)},
        {"S_FALSE is no success either", S_FALSE, HRESULT_FROM_WIN32(1)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        UploadDouble upload;
        upload.load = [&](BSTR path) {
            EXPECT_STREQ(L"C:\\bodies\\a.body", path);
            return row.answer;
        };
        const Outcome outcome = ClientFor(upload).LoadBody(u"C:\\bodies\\a.body");
        EXPECT_EQ(row.reported, outcome.status);
        EXPECT_EQ(0u, outcome.description.rfind(u"C:\\bodies\\a.body: ", 0));
    }
}

TEST(UploadClient, StaleErrorInformationIsNotReportedForALaterFailure)
{
    InstallErrorDescription(L"left over from an earlier call");
    UploadDouble upload;
    upload.count = [](LONG*) { return E_OUTOFMEMORY; };
    LONG count = 0;
    const Outcome outcome = ClientFor(upload).Count(&count);
    EXPECT_EQ(E_OUTOFMEMORY, outcome.status);
    EXPECT_EQ(std::u16string::npos, outcome.description.find(u"left over"));
}

TEST(UploadClient, AbsentAndEmptyStringsStayDistinct)
{
    const struct
    {
        const char* label;
        HRESULT status;
        const wchar_t* text; // null: leave the result untouched
        bool present;
        std::u16string value;
    } rows[] = {
        {"S_FALSE", S_FALSE, nullptr, false, u""},
        {"S_OK with empty string", S_OK, L"", true, u""},
        {"S_OK with null string", S_OK, nullptr, true, u""},
        {"embedded zero unit kept", S_OK, L"a\0b", true, std::u16string(u"a\0b", 3)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ItemDouble item;
        item.name = [&](BSTR* out) {
            if (row.text)
                *out = SysAllocStringLen(row.text, static_cast<UINT>(row.value.size()));
            return row.status;
        };
        std::optional<std::u16string> value = u"stale";
        ASSERT_FALSE(ReadText(&item, &IUploadFile::get_Name, &value).Failed());
        ASSERT_EQ(row.present, value.has_value());
        if (row.present) {
            EXPECT_TRUE(row.value == *value);
        }
    }
}

TEST(UploadClient, ContentThatIsNoByteArrayIsRefused)
{
    ItemDouble item;
    item.content = [](VARIANT* out) {
        out->vt = VT_BSTR;
        out->bstrVal = SysAllocString(L"text");
        return S_OK;
    };
    bool present = true, consumed = false;
    const Outcome outcome = ReadContentBytes(&item, &present, [&](const void*, size_t) {
        consumed = true;
        return S_OK;
    });
    EXPECT_TRUE(outcome.Failed());
    EXPECT_FALSE(present);
    EXPECT_FALSE(consumed);
}

} // namespace
