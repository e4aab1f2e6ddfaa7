// Content as bytes or text: see ItemContent.h. The bytes are copied once,
// straight from the body into the array's storage.
#include "uploadfile/ItemContent.h"

#include "util/SafeArrayHolder.h"
#include "util/TextConversion.h"

#include <cstring>

namespace {

// The owning Upload object's PageCode as the page code of a decode. The
// statuses of the two calls do not matter: the owner is our own object,
// whose accessors cannot fail with a valid address.
class OwnerPageCode final : public PageCodeAccess
{
public:
    explicit OwnerPageCode(IUpload* owner) : m_owner(owner) {}
    int32_t GetPageCode() override
    {
        LONG pageCode = kPageCodeAnsi;
        m_owner->get_PageCode(&pageCode);
        return pageCode;
    }
    void PutPageCode(int32_t pageCode) override { m_owner->put_PageCode(pageCode); }

private:
    IUpload* m_owner;
};

} // namespace

HRESULT MakeByteArrayContent(const uint8_t* data, int32_t size, VARIANT* result)
{
    if (!result)
        return E_POINTER;
    if (size < 0)
        return E_INVALIDARG;
    if (size > 0 && !data)
        return E_POINTER;
    SAFEARRAYBOUND bound = {static_cast<ULONG>(size), 0};
    SafeArrayHolder array(SafeArrayCreate(VT_UI1, 1, &bound));
    if (!array)
        return E_OUTOFMEMORY;
    if (size > 0) {
        SafeArrayDataLock lock(array.Get());
        if (!lock.Data())
            return lock.Status();
        std::memcpy(lock.Data(), data, static_cast<size_t>(size));
    }
    result->vt = VT_ARRAY | VT_UI1;
    result->parray = array.Detach();
    return S_OK;
}

HRESULT MakeTextContent(const uint8_t* data, int32_t size, IUpload* owner, VARIANT* result)
{
    if (!result)
        return E_POINTER;
    if (!data || size <= 0) {
        result->vt = VT_EMPTY;
        return S_FALSE;
    }
    BSTR text = nullptr;
    if (owner) {
        OwnerPageCode pageCode(owner);
        DecodeUnderPageCode(data, size, pageCode, &text);
    } else {
        DecodeBytes(data, size, CP_ACP, &text);
    }
    result->vt = VT_BSTR;
    result->bstrVal = text;
    return S_OK;
}
