#include "core/replacing_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iterator>

#include "support/test_support.h"

namespace kem {
namespace {

namespace fs = std::filesystem;

TEST(ReplacingFile, FailedCommitRemovesTheTemporaryFileAtOnce) {
  test::TempDir dir;
  auto file = ReplacingFile::Create(dir.File("out.gnd"));
  ASSERT_TRUE(file);
  const std::uint8_t bytes[] = {1, 2, 3};
  file->Write(bytes, sizeof bytes);
  const fs::path temporary = file->temporaryPath();
  ASSERT_TRUE(fs::exists(temporary));
  // A folder now stands where the file should go, so it cannot be moved there.
  fs::create_directory(dir.File("out.gnd"));

  EXPECT_FALSE(file->Commit());
  // Gone while the object still exists: the desktop application keeps it
  // until the user has closed the error box.
  EXPECT_FALSE(fs::exists(temporary));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  EXPECT_TRUE(fs::is_directory(dir.File("out.gnd")));
}

}  // namespace
}  // namespace kem
