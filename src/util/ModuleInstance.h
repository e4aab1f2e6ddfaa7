// The instance handle of the module that holds this code: TavrinUpload.dll
// in the product, the test program in tests that link the code directly.
// Messages, registry scripts and the type library are looked up through it.
#pragma once

#include <windows.h>

HINSTANCE ModuleInstance() noexcept;
