// SHA-256 through the platform's hashing service (bcrypt.dll), for the
// hashes that "inspect" prints of each item's content.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Lower-case hex of the SHA-256 of size bytes at data, into *hex.
HRESULT Sha256Hex(const void* data, size_t size, std::string* hex);
