// Early-return helpers for status codes. Each expands to one statement.
#pragma once

#include "util/Platform.h"

#define RETURN_IF_FAILED(expr)                                                                     \
    do {                                                                                           \
        const HRESULT tu_hr_ = (expr);                                                             \
        if (FAILED(tu_hr_))                                                                        \
            return tu_hr_;                                                                         \
    } while (0)

#define RETURN_HR_IF(hr, cond)                                                                     \
    do {                                                                                           \
        if (cond)                                                                                  \
            return (hr);                                                                           \
    } while (0)

#define RETURN_IF_NULL_ALLOC(ptr)                                                                  \
    do {                                                                                           \
        if (!(ptr))                                                                                \
            return E_OUTOFMEMORY;                                                                  \
    } while (0)
