// Byte-run classification for the automatic page code.
#include "util/Utf8Classifier.h"

namespace {

// Number of leading one bits of a byte of 0x80 or more (1 to 8).
int LeadingOnes(uint8_t byte)
{
    int count = 0;
    while (count < 8 && (byte & (0x80u >> count)))
        ++count;
    return count;
}

bool IsContinuation(uint8_t byte)
{
    return (byte & 0xC0u) == 0x80u;
}

} // namespace

int32_t ClassifyUtf8(const uint8_t* bytes, int32_t length)
{
    if (length <= 0)
        return 0;
    int expected = 0;
    bool allAscii = true;
    for (int32_t i = 0; i < length; ++i) {
        const uint8_t byte = bytes[i];
        if (byte >= 0x80)
            allAscii = false;
        if (expected > 0) {
            if (!IsContinuation(byte))
                return -1;
            --expected;
            continue;
        }
        if (byte < 0x80)
            continue;
        const int ones = LeadingOnes(byte);
        if (ones == 1)
            return -1;
        expected = ones - 1;
    }
    if (expected > 0)
        return -1;
    return allAscii ? 0 : 1;
}
