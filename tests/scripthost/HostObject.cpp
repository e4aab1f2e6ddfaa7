// The Host object of upload script tests: see HostObject.h. A plain
// IDispatch with a fixed name table; it lives as long as the script engine
// holds it.
#include "HostObject.h"

#include "ScriptObject.h"

#include "util/BstrHolder.h"
#include "util/Handles.h"
#include "util/SafeArrayHolder.h"
#include "util/VariantHolder.h"

#include <string>

namespace {

enum : DISPID
{
    kNewUpload = 1,
    kNewBareUpload,
    kCanUnload,
    kScratchPath,
    kFileHex,
    kDescribe,
};

struct Member
{
    const wchar_t* name;
    DISPID id;
    UINT argCount;
};

const Member kMembers[] = {
    {L"NewUpload", kNewUpload, 0}, {L"NewBareUpload", kNewBareUpload, 0},
    {L"CanUnload", kCanUnload, 0}, {L"ScratchPath", kScratchPath, 1},
    {L"FileHex", kFileHex, 1},     {L"Describe", kDescribe, 1},
};

// Argument i in script order (the engine passes them last first).
HRESULT TextArg(const DISPPARAMS* params, UINT i, std::wstring& text)
{
    VariantHolder converted;
    HRESULT hr =
        VariantChangeType(converted.Get(), &params->rgvarg[params->cArgs - 1 - i], 0, VT_BSTR);
    if (FAILED(hr))
        return hr;
    text.assign(converted->bstrVal, SysStringLen(converted->bstrVal));
    return S_OK;
}

HRESULT ReturnText(const std::wstring& text, VARIANT* result)
{
    if (!result)
        return S_OK;
    result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!result->bstrVal)
        return E_OUTOFMEMORY;
    result->vt = VT_BSTR;
    return S_OK;
}

void AppendHex(std::wstring& text, unsigned value, int digits)
{
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text.push_back(kDigits[(value >> shift) & 0xF]);
}

std::wstring Describe(const VARIANT& argument)
{
    const VARIANT* value = &argument;
    if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal)
        value = value->pvarVal;
    if (value->vt == VT_EMPTY)
        return L"empty";
    std::wstring text;
    if (value->vt == VT_BSTR) {
        text = L"text ";
        for (UINT i = 0; i < SysStringLen(value->bstrVal); ++i)
            AppendHex(text, value->bstrVal[i], 4);
        return text;
    }
    if (value->vt == (VT_ARRAY | VT_UI1) && value->parray && SafeArrayGetDim(value->parray) == 1) {
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(value->parray, 1, &lower);
        SafeArrayGetUBound(value->parray, 1, &upper);
        text = L"bytes from " + std::to_wstring(lower) + L": ";
        SafeArrayDataLock lock(value->parray);
        const auto* bytes = static_cast<const unsigned char*>(lock.Data());
        for (LONG i = 0; bytes && i <= upper - lower; ++i)
            AppendHex(text, bytes[i], 2);
        return text;
    }
    return L"vt " + std::to_wstring(value->vt);
}

std::wstring HexOfFile(const std::wstring& path)
{
    HandleHolder file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return L"";
    std::wstring hex;
    unsigned char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        for (DWORD i = 0; i < read; ++i)
            AppendHex(hex, chunk[i], 2);
    }
    return hex;
}

class HostObject : public ScriptObject
{
public:
    HostObject(UploadSource& source, const std::wstring& scratchDir)
        : m_source(source), m_scratchDir(scratchDir)
    {}
    virtual ~HostObject() = default;

    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }

    DISPID FindMember(LPCOLESTR name) const override
    {
        for (const Member& member : kMembers) {
            if (lstrcmpiW(name, member.name) == 0)
                return member.id;
        }
        return DISPID_UNKNOWN;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override
    {
        const Member* member = nullptr;
        for (const Member& candidate : kMembers)
            member = candidate.id == id ? &candidate : member;
        if (!member)
            return DISP_E_MEMBERNOTFOUND;
        if (params->cArgs != member->argCount)
            return DISP_E_BADPARAMCOUNT;
        if (result)
            VariantInit(result);
        switch (id) {
        case kNewUpload:
        case kNewBareUpload: {
            IDispatch* upload = nullptr;
            const HRESULT hr = m_source.NewUpload(id == kNewUpload, &upload);
            if (FAILED(hr))
                return hr;
            if (!result) {
                upload->Release();
                return S_OK;
            }
            result->vt = VT_DISPATCH;
            result->pdispVal = upload;
            return S_OK;
        }
        case kCanUnload:
            if (result) {
                result->vt = VT_BOOL;
                result->boolVal = m_source.CanUnload() ? VARIANT_TRUE : VARIANT_FALSE;
            }
            return S_OK;
        case kScratchPath: {
            std::wstring name;
            const HRESULT hr = TextArg(params, 0, name);
            return FAILED(hr) ? hr : ReturnText(m_scratchDir + L"\\" + name, result);
        }
        case kFileHex: {
            std::wstring path;
            const HRESULT hr = TextArg(params, 0, path);
            return FAILED(hr) ? hr : ReturnText(HexOfFile(path), result);
        }
        case kDescribe:
            return ReturnText(Describe(params->rgvarg[0]), result);
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    ULONG m_refs = 0;
    UploadSource& m_source;
    std::wstring m_scratchDir;
};

} // namespace

ComPtr<IDispatch> MakeHostObject(UploadSource& source, const std::wstring& scratchDir)
{
    return ComPtr<IDispatch>(new HostObject(source, scratchDir));
}
