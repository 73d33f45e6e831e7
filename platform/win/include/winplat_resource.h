// Resources of modules. The platform's modules (the program, its libraries) carry no resource
// section, so a module's resources are registered in the process: FindResource, LoadResource,
// LockResource, SizeofResource and LoadString then find them as they would in the file.
#pragma once
#include "wintypes.h"

namespace winplat {

// Keeps a copy of Size bytes at Data as resource Name of Type in Module (none: the program);
// Type and Name are integer identifiers (MAKEINTRESOURCE) or names (matched without case).
// A second registration of the same resource replaces the first.
void RegisterModuleResource(HMODULE Module, LPCWSTR Type, LPCWSTR Name, const void* Data, DWORD Size);
// Forgets every resource registered for Module.
void UnregisterModuleResources(HMODULE Module);

}  // namespace winplat
