// Growable wide text that variable expansion writes into. The storage is
// always zero-terminated after the used length; the capacity doubles until
// an append fits, and an append that would overflow the count fails instead.
#pragma once

#include "registrar/RegObject.h"
#include "util/Platform.h"

#include <cstddef>

class CScriptBuffer
{
public:
    // Capacity `capacity` characters, or 1000 when that is below 100. Check
    // IsValid(): the storage may not have been had.
    explicit CScriptBuffer(size_t capacity) noexcept;

    bool IsValid() const noexcept { return static_cast<bool>(m_storage); }
    // Appends `count` characters; false when the capacity cannot grow.
    bool Append(const WCHAR* text, size_t count) noexcept;
    size_t Length() const noexcept { return m_length; }
    size_t Capacity() const noexcept { return m_capacity; }
    const WCHAR* Text() const noexcept { return m_storage.get(); }
    // Hands the zero-terminated text to the caller; the buffer is then empty.
    WideText Detach() noexcept;

private:
    static constexpr size_t kMaxDoublable = 0x3FFFFFFF;

    size_t m_length = 0;
    size_t m_capacity = 0;
    WideText m_storage;
};
