// Growth of the expansion buffer.
#include "registrar/ScriptBuffer.h"

#include <cstdlib>
#include <cstring>

CScriptBuffer::CScriptBuffer(size_t capacity) noexcept
{
    if (capacity < 100)
        capacity = 1000;
    if (capacity > SIZE_MAX / sizeof(WCHAR))
        return;
    m_storage.reset(static_cast<WCHAR*>(std::malloc(capacity * sizeof(WCHAR))));
    if (!m_storage)
        return;
    m_capacity = capacity;
    m_storage.get()[0] = 0;
}

bool CScriptBuffer::Append(const WCHAR* text, size_t count) noexcept
{
    if (!m_storage)
        return false;
    if (count > SIZE_MAX - m_length - 1)
        return false;
    const size_t need = m_length + count + 1;
    size_t capacity = m_capacity;
    while (need >= capacity) {
        if (capacity > kMaxDoublable)
            return false;
        capacity *= 2;
    }
    if (capacity != m_capacity) {
        if (capacity > SIZE_MAX / sizeof(WCHAR))
            return false;
        void* grown = std::realloc(m_storage.get(), capacity * sizeof(WCHAR));
        if (!grown)
            return false;
        (void)m_storage.release();
        m_storage.reset(static_cast<WCHAR*>(grown));
        m_capacity = capacity;
    }
    std::memcpy(m_storage.get() + m_length, text, count * sizeof(WCHAR));
    m_length += count;
    m_storage.get()[m_length] = 0;
    return true;
}

WideText CScriptBuffer::Detach() noexcept
{
    m_length = 0;
    m_capacity = 0;
    return std::move(m_storage);
}
