// ClassifyUtf8 decides whether a byte run is plain ASCII, loosely well-formed
// UTF-8, or neither. The automatic page code uses it to pick the code page
// of a run of names or content.
#pragma once

#include <cstdint>

// 0: empty, or every byte below 0x80.
// 1: at least one byte of 0x80 or more, and every sequence is a lead byte
//    followed by as many continuation bytes as its leading one bits ask for.
// -1: anything else.
// The rule is loose on purpose: every lead byte from 0xC0 to 0xFF is taken
// (0xFF asks for seven continuation bytes), and overlong forms, encoded
// surrogates and values above U+10FFFF are accepted.
int32_t ClassifyUtf8(const uint8_t* bytes, int32_t length);
