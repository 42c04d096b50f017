// Keeps a run from writing its output over one of its own inputs: a height
// map, a guide, a project or a layout named again as the output would be
// replaced before (or while) it is read.
#pragma once

#include <string>
#include <vector>

namespace kem {

// The first of `inputs` that `output` names too (links, other spellings and
// hard links included), or an empty string when none does. Empty names and
// files that do not exist match nothing.
std::string InputAtOutput(const std::string& output, const std::vector<std::string>& inputs);

// "Error: the output OUTPUT is also an input (INPUT); choose another output."
std::string OutputIsInputMessage(const std::string& output, const std::string& input);

}  // namespace kem
