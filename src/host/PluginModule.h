// Loaded modules, the counterpart of the platform's module handles: the
// plug-in's dialog templates are looked up in the module that the plug-in
// file is, so a template is found only through the plug-in's own module.
#pragma once

#include <cstdint>
#include <string>

// The load address of a module's first segment; 0 is no module.
using ModuleHandle = uintptr_t;

// The loaded module whose file is the file at path (platform encoding); 0
// when that file is not loaded in this process.
ModuleHandle FindLoadedModule(const std::string& path);

// The loaded module that holds address; 0 when none does.
ModuleHandle ModuleOfAddress(const void* address);
