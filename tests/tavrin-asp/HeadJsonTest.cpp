// The .json recorded beside a body: it must parse as JSON whatever bytes
// the client put in its head, since a replay starts by reading it.
#include "core/HeadJson.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HttpHead ParsedHead(const std::string& bytes)
{
    HttpHead head;
    size_t length = 0;
    EXPECT_EQ(HeadParse::Complete, ParseHttpHead(bytes, head, length)) << bytes;
    return head;
}

// A Latin-1 file name in a header of its own, as some clients send it.
TEST(HeadJson, HeaderValueThatIsNotUtf8StaysValidJson)
{
    const HttpHead head = ParsedHead("POST /up.asp?a=%22 HTTP/1.1\r\n"
                                     "X-File-Name: caf\xe9 \xe4\xb8\xad.txt\r\n"
                                     "Content-Type: text/plain; q=\"1\\2\"\r\n\r\n");
    EXPECT_EQ("{\"method\": \"POST\", \"path\": \"/up.asp\", \"query\": \"a=%22\", \"headers\": "
              "[[\"X-File-Name\", \"caf\\udce9 \xe4\xb8\xad.txt\"], "
              "[\"Content-Type\", \"text/plain; q=\\\"1\\\\2\\\"\"]]}\n",
              HeadJson(head));
}

} // namespace
