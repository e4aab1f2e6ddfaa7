/* Resource identifiers of TavrinUpload.dll, shared by the resource script
   (TavrinUpload.rc, which windres reads through the C preprocessor) and the
   code that looks the resources up. Plain macros only: the resource
   compiler understands nothing else. */
#pragma once

/* The type library, as LoadTypeLib finds it in the module file. */
#define IDR_TYPELIB 1

/* Registry scripts (resource type "REGISTRY"), one per class. */
#define IDR_UPLOAD 101
#define IDR_UPLOADFILE 102

/* Messages of the string table, installed as error information. */
#define IDS_INVALID_FORMAT 103
#define IDS_NOT_IN_ASP 104
#define IDS_OVER_SIZE_LIMIT 105
#define IDS_USER_ABORT 106
#define IDS_BINARY_READ_FAILED 107
#define IDS_CANNOT_CREATE_FILE 108
