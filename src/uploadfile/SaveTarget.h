// Which target paths SaveAs refuses before the file system sees them.
// Windows rewrites or misroutes some file names: it drops trailing dots and
// spaces ("shell.asp." is stored as "shell.asp"), reads "name:stream" as an
// alternate data stream of "name", and opens a device for CON, NUL, COM1
// and the like whatever extension follows. Pages build
// targets from client file names after checking their extension, so a
// target of that kind would store something other than what was checked,
// or nothing at all. Platform-neutral.
#pragma once

#include "util/Platform.h"

#include <cstddef>

// True when the last component of the length units at path (after the last
// backslash or slash, and after a leading drive designator "X:" of the
// whole path) is one that Windows would not keep as it is: any hazard of
// FindNameHazard (util/WindowsNames.h): a trailing dot or space, a colon, a
// device name alone or with an extension, a control character or one of
// < > " | ? *. An empty last component is not refused here; no file can be
// created under it anyway.
bool IsRefusedSaveTarget(const WCHAR* path, size_t length) noexcept;
