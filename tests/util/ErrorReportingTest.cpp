#include "util/ErrorReporting.h"

#include "support/ThreadError.h"

#include <TavrinUpload_h.h>
#include <gtest/gtest.h>

namespace {

// A missing message is "Unknown Error" and a zero status DISP_E_EXCEPTION.
// With the class registered the source is its ProgID: the registration
// scripts check Err.Source through a real failure; unregistered, there is
// no source.
TEST(ReportError, DescriptionStatusAndSource)
{
    const struct
    {
        UINT id;
        HRESULT status;
        HRESULT returned;
        const wchar_t* description;
    } rows[] = {
        {109, E_FAIL, E_FAIL, L"Unknown Error"},
        {0, E_ABORT, E_ABORT, L"Unknown Error"},
        {105, S_OK, DISP_E_EXCEPTION, L"The file size is over the limitation set"},
        {105, DISP_E_OVERFLOW, DISP_E_OVERFLOW, L"The file size is over the limitation set"},
    };
    const bool registered = !RegisteredUploadProgId().empty();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(row.returned, ReportError(row.id, row.status, CLSID_Upload));
        const ThreadError error = TakeThreadError();
        EXPECT_EQ(row.description, error.description);
        EXPECT_TRUE(registered || !error.hasSource);
    }
}

} // namespace
