// The user's settings folder on Linux: $XDG_CONFIG_HOME/kem when that names
// an absolute path, else ~/.config/kem; nothing when neither is known.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/file_system.h"

namespace kem {
namespace {

#ifndef _WIN32

// Sets (or, with nullopt, removes) an environment variable for as long as it
// lives.
class EnvironmentValue {
 public:
  EnvironmentValue(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      old_ = old;
    }
    Set(value);
  }
  ~EnvironmentValue() { Set(old_); }
  EnvironmentValue(const EnvironmentValue&) = delete;
  EnvironmentValue& operator=(const EnvironmentValue&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
    if (value) {
      setenv(name_, value->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

  const char* name_;
  std::optional<std::string> old_;
};

TEST(UserSettingsFolder, TakesOnlyAnAbsoluteConfigHome) {
  struct Case {
    std::optional<std::string> configHome;
    std::optional<std::string> home;
    std::string folder;
  };
  const Case cases[] = {
      {"/srv/config", "/home/ann", "/srv/config/kem"},
      {std::nullopt, "/home/ann", "/home/ann/.config/kem"},
      {"", "/home/ann", "/home/ann/.config/kem"},
      // A relative value is ignored: it would name a folder that moves with
      // the current folder.
      {"config", "/home/ann", "/home/ann/.config/kem"},
      {"./config", std::nullopt, ""},
      {std::nullopt, "", ""},
  };
  for (const Case& c : cases) {
    const EnvironmentValue configHome("XDG_CONFIG_HOME", c.configHome);
    const EnvironmentValue home("HOME", c.home);
    EXPECT_EQ(UserSettingsFolder(), c.folder) << c.configHome.value_or("(unset)");
  }
}

#endif  // _WIN32

}  // namespace
}  // namespace kem
