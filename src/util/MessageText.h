// The fixed messages of the library: a lookup into the string table that the
// library carries as a resource (util/resource.h), through its own instance.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include "util/resource.h"

// Ids of the messages in the string table.
enum MessageId : UINT
{
    kMsgInvalidFormat = IDS_INVALID_FORMAT,
    kMsgNotInAsp = IDS_NOT_IN_ASP,
    kMsgOverSizeLimit = IDS_OVER_SIZE_LIMIT,
    kMsgUserAbort = IDS_USER_ABORT,
    kMsgBinaryReadFailed = IDS_BINARY_READ_FAILED,
    kMsgCannotCreateFile = IDS_CANNOT_CREATE_FILE,
};

// A new wide string holding the text of messageId, which the caller frees;
// null when the table has no non-empty text for it or memory runs out.
BSTR LoadMessageText(UINT messageId) noexcept;
