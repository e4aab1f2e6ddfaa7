// Registration of the library's classes and type library. Each class has a
// registry script among the library's resources (type "REGISTRY"); running
// it in register mode writes the class's ProgID and class keys, running it
// in unregister mode removes them. The type library embedded in the library
// file (or a .tlb beside it) is registered after the classes.
#pragma once

#include <windows.h>

#include <oaidl.h>

struct IRegistrarBase;
struct ObjectMapEntry;

// Adds the variables every script of this module may use ("APPID").
HRESULT AddCommonVariables(IRegistrarBase* registrar);

// Runs the module's script resource of the given number (or name), with the
// variables APPID, Module and Module_Raw set, in register or unregister mode.
HRESULT UpdateRegistryFromScript(UINT resourceId, bool doRegister);
HRESULT UpdateRegistryFromScript(LPCWSTR resourceName, bool doRegister);

// Every class of the object map in order (its UpdateClassRegistry), then the
// type library. The first failure ends the walk; what was done before it
// stays.
HRESULT RegisterClassesAndTypeLib(ObjectMapEntry* map);
HRESULT UnregisterClassesAndTypeLib(ObjectMapEntry* map);

// Loads the type library of `instance`'s file, or of the .tlb file of the
// same name. On success *path (the file that loaded) and *typeLib belong to
// the caller.
HRESULT LoadModuleTypeLib(HINSTANCE instance, BSTR* path, ITypeLib** typeLib);
HRESULT RegisterModuleTypeLib(HINSTANCE instance);
HRESULT UnregisterModuleTypeLib(HINSTANCE instance);
