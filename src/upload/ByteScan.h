// Fast forward searches over the body buffer for the splitter: the next LF,
// and the next LF that is followed by two hyphens (where a delimiter line
// may start). Both look at whole blocks of bytes at a time (SSE2 where the
// target has it, 64-bit words elsewhere) and give exactly the index that a
// byte-by-byte search would give. Neither reads at or beyond `end`.
#pragma once

#include <cstdint>

// Index of the first LF in [from, end), or -1.
int32_t FindLineFeed(const uint8_t* bytes, int32_t from, int32_t end);

// Smallest i >= from with i + 3 <= end, bytes[i] LF and bytes[i + 1],
// bytes[i + 2] hyphens, and also i + offset < end and bytes[i + offset]
// equal to value; -1 when there is none. offset is at least 3.
int32_t FindLineFeedDashDash(const uint8_t* bytes, int32_t from, int32_t end, int32_t offset,
                             uint8_t value);
