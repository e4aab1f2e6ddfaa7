// The splitter's block-wise byte searches, one set per scan path.
//
// The scan for LF "--" tests four bytes per candidate position i: LF at i,
// hyphens at i + 1 and i + 2, and the delimiter's last byte at i + offset.
// Both paths load the block at each of those four places, so one step
// answers for a whole block of candidates, and no body (nothing but LF,
// nothing but hyphens, nothing but near-miss delimiter lines) makes a
// step cost more than a fixed amount of work.
//
// SSE2 compares 16 bytes per step and ands the four equality masks. The
// portable path xors each of the four 64-bit words with its wanted byte and
// ors the results: a byte of that word is zero exactly where all four bytes
// match. One zero-byte test then flags the matches; its lowest flag is
// exact, which is all the search needs. Before that exact test it runs a
// cheaper one over 32 positions at a time (below).
#include "upload/ByteScan.h"

#include <cstring>

#if TAVRIN_SCAN_SSE2
#include <emmintrin.h>
#endif
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the portable scan takes a word's first byte from its low-order bits"
#endif

namespace {

constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kHyphen = 0x2D;

// Index of the lowest set bit; mask is not 0. Unused where the target has
// no SSE2 path.
[[maybe_unused]] int32_t LowestBit(uint32_t mask)
{
#if defined(_MSC_VER) && !defined(__clang__)
    unsigned long index;
    _BitScanForward(&index, mask);
    return static_cast<int32_t>(index);
#else
    return __builtin_ctz(mask);
#endif
}

int32_t LowestBit(uint64_t mask)
{
#if defined(_MSC_VER) && !defined(__clang__) && defined(_WIN64)
    unsigned long index;
    _BitScanForward64(&index, mask);
    return static_cast<int32_t>(index);
#elif defined(_MSC_VER) && !defined(__clang__)
    const uint32_t low = static_cast<uint32_t>(mask);
    return low ? LowestBit(low) : 32 + LowestBit(static_cast<uint32_t>(mask >> 32));
#else
    return __builtin_ctzll(mask);
#endif
}

// Finishes a search byte by byte from i: the part of the range too short
// for a whole block.
int32_t LineFeedTail(const uint8_t* bytes, int32_t i, int32_t end)
{
    for (; i < end; ++i) {
        if (bytes[i] == kLf)
            return i;
    }
    return -1;
}

int32_t LineFeedDashDashTail(const uint8_t* bytes, int32_t i, int32_t end, int32_t offset,
                             uint8_t value)
{
    for (; end - i > offset; ++i) {
        if (bytes[i] == kLf && bytes[i + 1] == kHyphen && bytes[i + 2] == kHyphen &&
            bytes[i + offset] == value)
            return i;
    }
    return -1;
}

namespace portable {

using Word = uint64_t;
constexpr int32_t kWordBytes = sizeof(Word);
constexpr int32_t kStepBytes = 4 * kWordBytes;
constexpr Word kOnes = ~Word{0} / 0xFF;
constexpr Word kHighBits = kOnes * 0x80;

Word Load(const uint8_t* p)
{
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// 0x80 in every zero byte of word. A byte 0x01 above a zero byte may be
// flagged as well (the subtraction borrows into it), so only the lowest
// flag is exact.
Word ZeroBytes(Word word)
{
    return (word - kOnes) & ~word & kHighBits;
}

// Byte index of the lowest flagged byte; the target is little-endian.
int32_t FirstFlagged(Word flags)
{
    return LowestBit(flags) / 8;
}

int32_t FindLineFeed(const uint8_t* bytes, int32_t from, int32_t end)
{
    const Word lfs = kOnes * kLf;
    int32_t i = from;
    while (end - i >= kWordBytes) {
        const Word flags = ZeroBytes(Load(bytes + i) ^ lfs);
        if (flags)
            return i + FirstFlagged(flags);
        i += kWordBytes;
    }
    return LineFeedTail(bytes, i, end);
}

// Four words (32 candidate positions) per step. The first test looks only
// at the LF and the delimiter's last byte, two loads per word; random or
// text content passes it rarely. A step that passes gets the exact test,
// word by word, so a body built to pass it every time costs about as much
// per byte as when every word took the exact test.
int32_t FindLineFeedDashDash(const uint8_t* bytes, int32_t from, int32_t end, int32_t offset,
                             uint8_t value)
{
    const Word lfs = kOnes * kLf;
    const Word hyphens = kOnes * kHyphen;
    const Word values = kOnes * value;
    // Zero bytes where an LF stands at at + k and value at at + k + offset.
    const auto ends = [&](int32_t at) {
        return (Load(bytes + at) ^ lfs) | (Load(bytes + at + offset) ^ values);
    };
    const auto matches = [&](int32_t at) {
        return ZeroBytes(ends(at) | (Load(bytes + at + 1) ^ hyphens) |
                         (Load(bytes + at + 2) ^ hyphens));
    };
    int32_t i = from;
    // Every word load at i + k (k <= offset) must end by end.
    const int64_t span = static_cast<int64_t>(offset) + kWordBytes;
    while (end - i >= span + kStepBytes - kWordBytes) {
        const Word candidates = ZeroBytes(ends(i)) | ZeroBytes(ends(i + kWordBytes)) |
                                ZeroBytes(ends(i + 2 * kWordBytes)) |
                                ZeroBytes(ends(i + 3 * kWordBytes));
        if (candidates) {
            for (int32_t k = 0; k < kStepBytes; k += kWordBytes) {
                const Word flags = matches(i + k);
                if (flags)
                    return i + k + FirstFlagged(flags);
            }
        }
        i += kStepBytes;
    }
    while (end - i >= span) {
        const Word flags = matches(i);
        if (flags)
            return i + FirstFlagged(flags);
        i += kWordBytes;
    }
    return LineFeedDashDashTail(bytes, i, end, offset, value);
}

} // namespace portable

#if TAVRIN_SCAN_SSE2
namespace sse2 {

int32_t FindLineFeed(const uint8_t* bytes, int32_t from, int32_t end)
{
    int32_t i = from;
    const __m128i lf = _mm_set1_epi8(static_cast<char>(kLf));
    while (end - i >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(block, lf));
        if (mask)
            return i + LowestBit(static_cast<uint32_t>(mask));
        i += 16;
    }
    return LineFeedTail(bytes, i, end);
}

int32_t FindLineFeedDashDash(const uint8_t* bytes, int32_t from, int32_t end, int32_t offset,
                             uint8_t value)
{
    int32_t i = from;
    // Every block load at i + k (k <= offset) must end by end.
    const int64_t span = static_cast<int64_t>(offset) + 16;
    const __m128i lf = _mm_set1_epi8(static_cast<char>(kLf));
    const __m128i hyphen = _mm_set1_epi8(static_cast<char>(kHyphen));
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(value));
    const auto load = [&](int64_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    };
    while (end - i >= span) {
        const __m128i dashes =
            _mm_and_si128(_mm_cmpeq_epi8(load(i + 1), hyphen), _mm_cmpeq_epi8(load(i + 2), hyphen));
        const __m128i ends =
            _mm_and_si128(_mm_cmpeq_epi8(load(i), lf), _mm_cmpeq_epi8(load(i + offset), wanted));
        const int mask = _mm_movemask_epi8(_mm_and_si128(dashes, ends));
        if (mask)
            return i + LowestBit(static_cast<uint32_t>(mask));
        i += 16;
    }
    return LineFeedDashDashTail(bytes, i, end, offset, value);
}

} // namespace sse2
#endif

} // namespace

const ByteScanPath kPortableScan = {"portable", portable::FindLineFeed,
                                    portable::FindLineFeedDashDash};
#if TAVRIN_SCAN_SSE2
const ByteScanPath kSse2Scan = {"sse2", sse2::FindLineFeed, sse2::FindLineFeedDashDash};
const ByteScanPath* const kScanPaths[kScanPathCount] = {&kSse2Scan, &kPortableScan};
#else
const ByteScanPath* const kScanPaths[kScanPathCount] = {&kPortableScan};
#endif
