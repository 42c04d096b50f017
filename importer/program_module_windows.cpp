// Modules on Windows: the program's folder from GetModuleFileNameW, the module
// through LoadLibraryExW with its own folder searched for the libraries it
// links.
#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "core/open_file.h"
#include "importer/program_module.h"

namespace kem {

ModuleFunction LoadModuleFunction(const char* fileName, const char* folder, const char* name) {
  std::wstring program(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
    if (length == 0) {
      return nullptr;
    }
    if (length < program.size()) {
      program.resize(length);
      break;
    }
    program.resize(program.size() * 2);
  }
  const std::filesystem::path programFolder = std::filesystem::path(program).parent_path();
  const std::filesystem::path file = FileSystemPath(fileName);
  std::error_code error;
  for (const std::filesystem::path& candidate :
       {programFolder / FileSystemPath(folder) / file, programFolder / file}) {
    if (!std::filesystem::is_regular_file(candidate, error)) {
      continue;
    }
    HMODULE module = LoadLibraryExW(candidate.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) {
      continue;
    }
    FARPROC function = GetProcAddress(module, name);
    if (function == nullptr) {
      FreeLibrary(module);
      continue;
    }
    return reinterpret_cast<ModuleFunction>(function);
  }
  return nullptr;
}

}  // namespace kem
