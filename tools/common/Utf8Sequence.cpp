// Utf8SequenceAt and IsWellFormedUtf8: see Utf8Sequence.h. The second byte
// of a sequence carries the range limits that exclude overlong forms (after
// E0 and F0), surrogates (after ED) and values above U+10FFFF (after F4).
#include "common/Utf8Sequence.h"

size_t Utf8SequenceAt(std::string_view bytes, size_t i)
{
    const auto lead = static_cast<unsigned char>(bytes[i]);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() - i < length)
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

bool IsWellFormedUtf8(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t length = Utf8SequenceAt(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}
