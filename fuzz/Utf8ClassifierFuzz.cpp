// Checks ClassifyUtf8 against a reference written from the rule's other
// side: split the run into sequences by lead byte and check each one.
#include "util/Utf8Classifier.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

int32_t Reference(const uint8_t* data, size_t size)
{
    bool high = false;
    size_t i = 0;
    while (i < size) {
        const uint8_t lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        high = true;
        size_t continuations;
        if (lead < 0xC0)
            return -1;
        else if (lead < 0xE0)
            continuations = 1;
        else if (lead < 0xF0)
            continuations = 2;
        else if (lead < 0xF8)
            continuations = 3;
        else if (lead < 0xFC)
            continuations = 4;
        else if (lead < 0xFE)
            continuations = 5;
        else if (lead == 0xFE)
            continuations = 6;
        else
            continuations = 7;
        if (size - i - 1 < continuations)
            return -1;
        for (size_t k = 1; k <= continuations; ++k) {
            if ((data[i + k] & 0xC0) != 0x80)
                return -1;
        }
        i += continuations + 1;
    }
    return high ? 1 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0x7FFFFFFF)
        return 0;
    if (ClassifyUtf8(data, static_cast<int32_t>(size)) != Reference(data, size))
        std::abort();
    return 0;
}
