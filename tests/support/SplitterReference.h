// Literal, byte-by-byte renderings of the splitter's content scan and of its
// two block searches, used as the references that the block-wise scan paths
// must agree with (tests and fuzz target). They read the body only.
#pragma once

#include <cstdint>
#include <cstring>

struct ReferenceContent
{
    bool found = false;   // a delimiter line follows the content
    bool closing = false; // ... and it is the closing one
    int32_t size = 0;
    int32_t cursor = 0; // where the splitter's cursor ends up
};

// Index of the first LF in [from, end), or -1.
inline int32_t ReferenceLineFeed(const uint8_t* bytes, int32_t from, int32_t end)
{
    for (int32_t i = from; i < end; ++i) {
        if (bytes[i] == '\n')
            return i;
    }
    return -1;
}

// First i >= from with LF "--" at i and value at i + offset, all before end,
// or -1.
inline int32_t ReferenceLineFeedDashDash(const uint8_t* bytes, int32_t from, int32_t end,
                                         int32_t offset, uint8_t value)
{
    for (int32_t i = from; i + offset < end; ++i) {
        if (bytes[i] == '\n' && bytes[i + 1] == '-' && bytes[i + 2] == '-' &&
            bytes[i + offset] == value)
            return i;
    }
    return -1;
}

inline int32_t ReferenceLineLength(const uint8_t* body, int32_t length, int32_t start)
{
    if (start >= length)
        return -1;
    for (int32_t i = start; i < length; ++i) {
        if (body[i] == '\n')
            return i - start - ((i > start && body[i - 1] == '\r') ? 1 : 0);
    }
    return -1;
}

// Scans for the delimiter line after the content that starts at start.
// delimiter holds delimiterLength bytes followed by "--".
inline ReferenceContent ReferenceScan(const uint8_t* body, int32_t length, int32_t start,
                                      const uint8_t* delimiter, int32_t delimiterLength)
{
    ReferenceContent result;
    if (start >= length)
        return result;
    int32_t i = start;
    while (i < length) {
        if (!(body[i] == '\n' && i + 3 <= length && body[i + 1] == '-' && body[i + 2] == '-')) {
            ++i;
            continue;
        }
        const int32_t s = i + 3;
        int32_t m = ReferenceLineLength(body, length, s);
        if (m < 0)
            m = length - s;
        const bool ordinary = m == delimiterLength && std::memcmp(body + s, delimiter, m) == 0;
        const bool closing = m == delimiterLength + 2 && std::memcmp(body + s, delimiter, m) == 0;
        if (!ordinary && !closing) {
            i = s + 1;
            continue;
        }
        result.found = true;
        result.closing = closing;
        // A CR before the LF is the line break's; a bare LF keeps the
        // content's last byte.
        result.size = i - start - ((i > start && body[i - 1] == '\r') ? 1 : 0);
        int32_t cursor = s + delimiterLength;
        if (cursor < length && body[cursor] == '\r')
            ++cursor;
        if (cursor < length && body[cursor] == '\n')
            ++cursor;
        result.cursor = cursor;
        return result;
    }
    return result;
}
