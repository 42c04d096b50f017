#include "core/output_guard.h"

#include "core/file_system.h"

namespace kem {

std::string InputAtOutput(const std::string& output, const std::vector<std::string>& inputs) {
  if (output.empty()) {
    return {};
  }
  for (const std::string& input : inputs) {
    if (!input.empty() && IsSameFile(input, output)) {
      return input;
    }
  }
  return {};
}

std::string OutputIsInputMessage(const std::string& output, const std::string& input) {
  return "Error: the output " + output + " is also an input (" + input +
         "); choose another output.";
}

}  // namespace kem
