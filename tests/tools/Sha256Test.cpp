// SHA-256 through the platform service, checked against published test
// vectors, including input that spans more than one block.
#include "Sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct HashRow
{
    const char* label;
    std::string input;
    const char* expected;
};

TEST(Sha256, MatchesKnownDigests)
{
    const HashRow rows[] = {
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"two blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"a million a", std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {"zero bytes", std::string(3, '\0'),
         "709e80c88487a2411e1ee4dfb9f22a861492d20c4765150c0c794abd70f8147c"},
    };
    for (const HashRow& row : rows) {
        SCOPED_TRACE(row.label);
        std::string hex;
        ASSERT_EQ(S_OK, Sha256Hex(row.input.data(), row.input.size(), &hex));
        EXPECT_EQ(row.expected, hex);
    }
}

TEST(Sha256, RefusesMissingInputOrOutput)
{
    std::string hex = "unchanged";
    EXPECT_EQ(E_POINTER, Sha256Hex(nullptr, 1, &hex));
    EXPECT_EQ("unchanged", hex);
    EXPECT_EQ(E_POINTER, Sha256Hex("a", 1, nullptr));
    EXPECT_EQ(S_OK, Sha256Hex(nullptr, 0, &hex));
}

} // namespace
