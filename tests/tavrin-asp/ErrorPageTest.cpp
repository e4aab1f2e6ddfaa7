// The host's error page carries request paths and script messages: they
// must stay text, never markup.
#include "core/ErrorPage.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorPage, EscapesEveryParagraphAndTheStatus)
{
    EXPECT_EQ(
        "<!DOCTYPE html>\r\n<html><head><title>404 Not &lt;Found&gt;</title></head><body>\r\n"
        "<h1>404 Not &lt;Found&gt;</h1>\r\n"
        "<p>&lt;script&gt;x(&quot;a&amp;b&quot;)&lt;/script&gt;</p>\r\n"
        "<p>caf\xC3\xA9, line 3</p>\r\n"
        "</body></html>\r\n",
        ErrorPageHtml("404 Not <Found>", {"<script>x(\"a&b\")</script>", "caf\xC3\xA9, line 3"}));
}

} // namespace
