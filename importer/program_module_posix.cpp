// Modules on Linux: the program's folder from /proc/self/exe (links resolved,
// so an installed program reached through a link finds its own modules), the
// module through dlopen.
#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "importer/program_module.h"

namespace kem {

ModuleFunction LoadModuleFunction(const char* fileName, const char* folder, const char* name) {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    return nullptr;
  }
  const std::filesystem::path programFolder = program.parent_path();
  for (const std::filesystem::path& candidate :
       {programFolder / folder / fileName, programFolder / fileName}) {
    if (!std::filesystem::is_regular_file(candidate, error)) {
      continue;
    }
    void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      continue;
    }
    void* function = dlsym(module, name);
    if (function == nullptr) {
      dlclose(module);
      continue;
    }
    ModuleFunction result = nullptr;
    static_assert(sizeof result == sizeof function);
    std::memcpy(&result, &function, sizeof result);
    return result;
  }
  return nullptr;
}

}  // namespace kem
