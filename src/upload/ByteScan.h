// Fast forward searches over the body buffer for the splitter: the next LF,
// and the next LF that is followed by two hyphens (where a delimiter line
// may start). Each scan path looks at whole blocks of bytes at a time and
// gives exactly the index that a byte-by-byte search would give; none reads
// at or beyond `end`.
//
// Two paths exist: SSE2 (16 bytes per step), built wherever the target has
// SSE2, and a portable one (64-bit words), built for every target. The
// splitter uses the first path of kScanPaths; tests, the fuzz target and the
// benchmark run every built path, so the portable one is checked on machines
// whose splitter never uses it.
#pragma once

#include <cstdint>

// gcc and clang announce SSE2 with __SSE2__ (also for x86 with -msse2); MSVC
// never does: there every x64 target has it (_M_X64, which an ARM64EC build
// defines as well without having SSE2) and x86 says so with _M_IX86_FP >= 2.
#if defined(__SSE2__) || (defined(_M_X64) && !defined(_M_ARM64EC)) ||                              \
    (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define TAVRIN_SCAN_SSE2 1
#else
#define TAVRIN_SCAN_SSE2 0
#endif

struct ByteScanPath
{
    const char* name; // "sse2" or "portable"

    // Index of the first LF in [from, end), or -1.
    int32_t (*findLineFeed)(const uint8_t* bytes, int32_t from, int32_t end);

    // Smallest i >= from with i + 3 <= end, bytes[i] LF and bytes[i + 1],
    // bytes[i + 2] hyphens, and also i + offset < end and bytes[i + offset]
    // equal to value; -1 when there is none. offset is at least 3.
    int32_t (*findLineFeedDashDash)(const uint8_t* bytes, int32_t from, int32_t end, int32_t offset,
                                    uint8_t value);
};

extern const ByteScanPath kPortableScan;
#if TAVRIN_SCAN_SSE2
extern const ByteScanPath kSse2Scan;
#endif

// Every path built for this target, fastest first.
constexpr int kScanPathCount = 1 + TAVRIN_SCAN_SSE2;
extern const ByteScanPath* const kScanPaths[kScanPathCount];
