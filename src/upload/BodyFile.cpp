// Body file operations: see BodyFile.h.
#include "upload/BodyFile.h"

#include "upload/body/UploadBody.h"
#include "util/Handles.h"
#include "util/LastErrorStatus.h"
#include "util/SafeArrayHolder.h"

namespace {

// One write of count bytes; a short write counts as a failure, since the
// bytes that did not reach the file are lost.
HRESULT WriteAll(HANDLE file, const void* bytes, DWORD count)
{
    DWORD written = 0;
    if (!WriteFile(file, bytes, count, &written, nullptr))
        return LastErrorStatus();
    if (written != count)
        return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    return S_OK;
}

HRESULT WriteByteArray(HANDLE file, SAFEARRAY* array)
{
    if (!array)
        return E_POINTER;
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
        FAILED(SafeArrayGetUBound(array, 1, &upper)) || upper < lower)
        return S_OK;
    const DWORD count = static_cast<DWORD>(upper - lower) + 1;
    SafeArrayDataLock lock(array);
    if (!lock.Data())
        return lock.Status();
    return WriteAll(file, lock.Data(), count);
}

// The string as UTF-16 little-endian text with a byte-order mark and one
// zero unit after the text. Windows targets are little-endian, so the units
// are written as they lie in memory.
HRESULT WriteString(HANDLE file, BSTR text)
{
    static const BYTE kByteOrderMark[2] = {0xFF, 0xFE};
    static const WCHAR kZeroUnit = 0;
    HRESULT hr = WriteAll(file, kByteOrderMark, sizeof kByteOrderMark);
    if (FAILED(hr))
        return hr;
    const UINT units = SysStringLen(text);
    if (units > 0 && FAILED(hr = WriteAll(file, text, units * sizeof(WCHAR))))
        return hr;
    return WriteAll(file, &kZeroUnit, sizeof kZeroUnit);
}

// Reads count bytes; a file that ends early (it shrank since its size was
// taken) is a failure, not a body with undefined bytes at its end.
HRESULT ReadExactly(HANDLE file, uint8_t* into, int32_t count)
{
    int32_t done = 0;
    while (done < count) {
        DWORD read = 0;
        if (!ReadFile(file, into + done, static_cast<DWORD>(count - done), &read, nullptr))
            return LastErrorStatus();
        if (read == 0)
            return HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
        done += static_cast<int32_t>(read);
    }
    return S_OK;
}

} // namespace

HRESULT ReadBodyFile(LPCWSTR path, CUploadBody& body)
{
    body.ResetBody();
    HandleHolder file(CreateFileW(path ? path : L"", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return LastErrorStatus();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size))
        return LastErrorStatus();
    if (size.QuadPart > 0x7FFFFFFF)
        return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    const int32_t total = static_cast<int32_t>(size.QuadPart);
    HRESULT hr = body.AllocBody(total);
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = ReadExactly(file.Get(), body.BodyData(), total))) {
        body.ResetBody();
        return hr;
    }
    body.SetBodyLength(total);
    return S_OK;
}

HRESULT WriteVariantToNewFile(LPCWSTR path, const VARIANT& value, bool& created)
{
    created = false;
    HandleHolder file(CreateFileW(path ? path : L"", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return LastErrorStatus();
    created = true;
    const VARIANT* target = &value;
    if (V_VT(target) == (VT_BYREF | VT_VARIANT)) {
        target = V_VARIANTREF(target);
        if (!target)
            return E_POINTER;
    }
    HRESULT hr = S_OK;
    if (V_VT(target) == (VT_ARRAY | VT_UI1))
        hr = WriteByteArray(file.Get(), V_ARRAY(target));
    else if (V_VT(target) == VT_BSTR)
        hr = WriteString(file.Get(), V_BSTR(target));
    if (FAILED(hr))
        return hr;
    if (!file.Close())
        return LastErrorStatus();
    return S_OK;
}
