// The checks that extract makes before it lets the component save an item
// under its client-given file name inside the target directory. The name
// comes from whoever sent the request, so it is treated as hostile: it must
// stay one plain file name in that directory, and must not be one that
// Windows would map to something else (a device, an alternate data stream,
// a name with its trailing dots or spaces silently dropped).
#pragma once

#include <string_view>

// Null when name is safe to use as a file name inside the target directory;
// otherwise a short English reason (ASCII) why it is refused.
const char* UnsafeFileNameReason(std::u16string_view name);
