// Parts of Kem built as modules of their own (shared libraries) and loaded
// when first needed, so that what they link stays out of every program's
// start. Each system loads them its own way (program_module_posix.cpp,
// program_module_windows.cpp).
#pragma once

namespace kem {

// A function of a module as the system hands it out, to be cast to its type.
using ModuleFunction = void (*)();

// Loads the module file `fileName` from `folder` (a path relative to the
// running program's own folder), or else from the program's folder itself,
// and returns its exported function `name`. Null when no such module loads or
// it has no such function. A loaded module stays loaded for the life of the
// process.
ModuleFunction LoadModuleFunction(const char* fileName, const char* folder, const char* name);

}  // namespace kem
