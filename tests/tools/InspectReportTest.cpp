// The exact shape of the inspect documents: key order, null for absent
// values, "" for empty ones, and the error document's status format.
#include "InspectReport.h"

#include <gtest/gtest.h>

namespace {

TEST(InspectReport, WritesItemsInFixedKeyOrderWithNullForAbsentValues)
{
    ItemReport field;
    field.index = 0;
    field.name = u"title";
    field.contentType = std::nullopt;
    field.size = 5;
    field.sha256 = "abc";
    ItemReport file;
    file.index = 1;
    file.name = u"up\"load";
    file.filePath = u"C:\\d\\r.txt";
    file.fileName = u"r.txt";
    file.fileExt = u"";
    file.contentType = u"text/plain";
    file.size = 0;
    EXPECT_EQ("{\"page_code\": 65001, \"count\": 2, \"items\": ["
              "{\"index\": 0, \"name\": \"title\", \"file_path\": null, \"file_name\": null, "
              "\"file_ext\": null, \"content_type\": null, \"size\": 5, \"sha256\": \"abc\"}, "
              "{\"index\": 1, \"name\": \"up\\\"load\", \"file_path\": \"C:\\\\d\\\\r.txt\", "
              "\"file_name\": \"r.txt\", \"file_ext\": \"\", \"content_type\": \"text/plain\", "
              "\"size\": 0, \"sha256\": null}]}\n",
              FormatInspectDocument(65001, 2, {field, file}));
}

TEST(InspectReport, EmptyBodyHasAnEmptyItemList)
{
    EXPECT_EQ("{\"page_code\": 65535, \"count\": 0, \"items\": []}\n",
              FormatInspectDocument(65535, 0, {}));
}

TEST(InspectReport, ErrorDocumentCarriesDescriptionAndStatus)
{
    EXPECT_EQ("{\"error\": \"Invalid upload file format\", \"status\": \"0x80020009\"}\n",
              FormatErrorDocument(u"Invalid upload file format", 0x80020009u));
    EXPECT_EQ("{\"error\": \"line\\nbreak\", \"status\": \"0x8007000E\"}\n",
              FormatErrorDocument(u"line\nbreak", 0x8007000Eu));
    EXPECT_EQ("0x00000001", FormatStatus(1));
}

} // namespace
