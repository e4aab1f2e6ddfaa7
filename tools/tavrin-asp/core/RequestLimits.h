// The largest request body the host can take on a platform. A page learns a
// body's length as a LONG (Request.TotalBytes, the component's byte counts),
// and a body held in memory is a size_t: a limit past either would wrap a
// count and make a buffer smaller than the bytes read into it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

constexpr uint64_t kLongMax = 0x7FFFFFFF;

// The largest body for a platform whose size_t holds at most sizeMax.
constexpr uint64_t LargestRequestBytes(uint64_t sizeMax)
{
    return std::min(kLongMax, sizeMax);
}

// The same for the platform this is built for.
constexpr uint64_t LargestRequestBytes()
{
    return LargestRequestBytes(SIZE_MAX);
}

// True when count comes through a conversion to size_t unchanged.
constexpr bool FitsSizeT(uint64_t count)
{
    return static_cast<uint64_t>(static_cast<size_t>(count)) == count;
}
