// The fixed messages of the library: a lookup into the string table that the
// library carries as a resource (ids 103 to 108), through its own instance.
#pragma once

#include <windows.h>

#include <oleauto.h>

// Ids of the messages in the string table.
enum MessageId : UINT
{
    kMsgInvalidFormat = 103,
    kMsgNotInAsp = 104,
    kMsgOverSizeLimit = 105,
    kMsgUserAbort = 106,
    kMsgBinaryReadFailed = 107,
    kMsgCannotCreateFile = 108,
};

// A new wide string holding the text of messageId, which the caller frees;
// null when the table has no non-empty text for it or memory runs out.
BSTR LoadMessageText(UINT messageId) noexcept;
