// Block-wise byte searches used by the splitter. The SSE2 path compares 16
// bytes per step; the portable path compares 8 with exact per-byte equality
// masks built from word arithmetic. The scan for LF "--" loads the block at
// i, i + 1 and i + 2 and ands the three masks, so one step answers for 16
// (or 8) candidate positions and a body made of nothing but LF or nothing
// but hyphens costs no more than any other.
#include "upload/ByteScan.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kHyphen = 0x2D;

#if !defined(__SSE2__)
constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
constexpr uint64_t kOnes = 0x0101010101010101ull;

uint64_t LoadWord(const uint8_t* p)
{
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// 0x80 in each byte of word that equals value, 0 elsewhere (exact, no
// carries between bytes).
uint64_t EqualMask(uint64_t word, uint8_t value)
{
    const uint64_t x = word ^ (kOnes * value);
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// Byte index of the lowest flagged byte; the target is little-endian.
int32_t FirstFlagged(uint64_t mask)
{
    return static_cast<int32_t>(__builtin_ctzll(mask) / 8);
}
#endif

} // namespace

int32_t FindLineFeed(const uint8_t* bytes, int32_t from, int32_t end)
{
    int32_t i = from;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(kLf));
    while (end - i >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(block, lf));
        if (mask)
            return i + __builtin_ctz(static_cast<unsigned>(mask));
        i += 16;
    }
#else
    while (end - i >= 8) {
        const uint64_t mask = EqualMask(LoadWord(bytes + i), kLf);
        if (mask)
            return i + FirstFlagged(mask);
        i += 8;
    }
#endif
    for (; i < end; ++i) {
        if (bytes[i] == kLf)
            return i;
    }
    return -1;
}

int32_t FindLineFeedDashDash(const uint8_t* bytes, int32_t from, int32_t end)
{
    int32_t i = from;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(kLf));
    const __m128i hyphen = _mm_set1_epi8(static_cast<char>(kHyphen));
    const auto match = [&](int32_t at) {
        const auto* p = bytes + at;
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2));
        return _mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(a, lf),
                          _mm_and_si128(_mm_cmpeq_epi8(b, hyphen), _mm_cmpeq_epi8(c, hyphen))));
    };
    // Two blocks per step while 34 bytes remain, then one while 18 do.
    while (end - i >= 34) {
        const int low = match(i);
        const int high = match(i + 16);
        if (low | high) {
            const unsigned both = static_cast<unsigned>(low) | (static_cast<unsigned>(high) << 16);
            return i + __builtin_ctz(both);
        }
        i += 32;
    }
    while (end - i >= 18) {
        const int mask = match(i);
        if (mask)
            return i + __builtin_ctz(static_cast<unsigned>(mask));
        i += 16;
    }
#else
    while (end - i >= 10) {
        const uint64_t mask = EqualMask(LoadWord(bytes + i), kLf) &
                              EqualMask(LoadWord(bytes + i + 1), kHyphen) &
                              EqualMask(LoadWord(bytes + i + 2), kHyphen);
        if (mask)
            return i + FirstFlagged(mask);
        i += 8;
    }
#endif
    for (; end - i >= 3; ++i) {
        if (bytes[i] == kLf && bytes[i + 1] == kHyphen && bytes[i + 2] == kHyphen)
            return i;
    }
    return -1;
}
