// Small pieces of text shared by the inspect reports: numbers written the
// shortest way that reads back the same, and JSON strings.
#pragma once

#include <string>

namespace kem::cli {

// The shortest decimal text that reads back as `value`.
std::string Number(float value);
std::string Number(double value);

// `text` as a quoted JSON string.
std::string JsonString(const std::string& text);

}  // namespace kem::cli
