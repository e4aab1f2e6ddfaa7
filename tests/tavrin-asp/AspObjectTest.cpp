// The table-driven IDispatch of the host objects: an exception thrown by a
// member never reaches the caller (a script engine) and leaves no result.
#include "asp/AspObject.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

enum class Throws
{
    OutOfMemory,
    Other,
};

const MemberName kMembers[] = {{L"Item", DISPID_VALUE}};

// A collection whose only member writes a text result and then throws.
class ThrowingList : public AspObject<IStringList>
{
public:
    explicit ThrowingList(Throws kind)
        : AspObject(IID_IStringList, kMembers, std::size(kMembers), L"Test list"), m_kind(kind)
    {}
    STDMETHODIMP get_Item(VARIANT, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Count(int*) override { return E_NOTIMPL; }
    STDMETHODIMP get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

protected:
    HRESULT Call(DISPID, WORD, const CallArgs&, VARIANT* result) override
    {
        TextToVariant(L"half made", result);
        if (m_kind == Throws::OutOfMemory)
            throw std::bad_alloc();
        throw std::runtime_error("member failed");
    }

private:
    Throws m_kind;
};

TEST(AspObject, AnExceptionFromAMemberBecomesAStatusAndLeavesNoResult)
{
    const struct
    {
        const char* label;
        Throws kind;
        HRESULT expected;
    } rows[] = {
        {"bad_alloc", Throws::OutOfMemory, E_OUTOFMEMORY},
        {"other exception", Throws::Other, E_FAIL},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        IStringList* list = new ThrowingList(row.kind);
        DISPPARAMS none = {};
        VARIANT result;
        VariantInit(&result);
        HRESULT hr = S_OK;
        EXPECT_NO_THROW(hr = list->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                          &result, nullptr, nullptr));
        EXPECT_EQ(row.expected, hr) << "Invoke should map the exception to a status";
        EXPECT_EQ(VT_EMPTY, result.vt) << "the half-made result should be cleared";
        VariantClear(&result);
        list->Release();
    }
}

} // namespace
