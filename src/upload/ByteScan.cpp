// Block-wise byte searches used by the splitter. The SSE2 path compares 16
// bytes per step; the portable path compares 8 with exact per-byte equality
// masks built from word arithmetic. The scan for LF "--" loads the block at
// i, i + 1, i + 2 and i + offset and ands the four masks, so one step
// answers for 16 (or 8) candidate positions and a body made of nothing but
// LF, nothing but hyphens or nothing but near-miss delimiter lines costs no
// more than any other.
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

int32_t FindLineFeedDashDash(const uint8_t* bytes, int32_t from, int32_t end, int32_t offset,
                             uint8_t value)
{
    int32_t i = from;
    // Every block load at i + k (k <= offset) must end by end.
    const int64_t blockSpan = static_cast<int64_t>(offset) + 16;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8(static_cast<char>(kLf));
    const __m128i hyphen = _mm_set1_epi8(static_cast<char>(kHyphen));
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(value));
    const auto load = [&](int64_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    };
    while (end - i >= blockSpan) {
        const __m128i dashes =
            _mm_and_si128(_mm_cmpeq_epi8(load(i + 1), hyphen), _mm_cmpeq_epi8(load(i + 2), hyphen));
        const __m128i ends =
            _mm_and_si128(_mm_cmpeq_epi8(load(i), lf), _mm_cmpeq_epi8(load(i + offset), wanted));
        const int mask = _mm_movemask_epi8(_mm_and_si128(dashes, ends));
        if (mask)
            return i + __builtin_ctz(static_cast<unsigned>(mask));
        i += 16;
    }
#else
    while (end - i >= blockSpan - 8) {
        const uint64_t mask = EqualMask(LoadWord(bytes + i), kLf) &
                              EqualMask(LoadWord(bytes + i + 1), kHyphen) &
                              EqualMask(LoadWord(bytes + i + 2), kHyphen) &
                              EqualMask(LoadWord(bytes + i + offset), value);
        if (mask)
            return i + FirstFlagged(mask);
        i += 8;
    }
#endif
    for (; end - i > offset; ++i) {
        if (bytes[i] == kLf && bytes[i + 1] == kHyphen && bytes[i + 2] == kHyphen &&
            bytes[i + offset] == value)
            return i;
    }
    return -1;
}
