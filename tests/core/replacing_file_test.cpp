#include "core/replacing_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kem {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const test::TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

void Write(OutputFile& output, const std::string& text) {
  output.Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

TEST(ReplacingFile, WritesBesideTheOutputUntilCommitted) {
  test::TempDir dir;
  auto output = ReplacingFile::Create(dir.File("out.gnd"));
  ASSERT_TRUE(output);
  Write(*output, "layout bytes");
  const auto names = Names(dir);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].rfind("out.gnd.tmp-", 0), 0u) << names[0];
  EXPECT_FALSE(fs::exists(dir.File("out.gnd")));

  EXPECT_TRUE(output->Commit());
  EXPECT_FALSE(output->Failed());
  EXPECT_EQ(Names(dir), std::vector<std::string>{"out.gnd"});
  const auto bytes = test::ReadFile(dir.File("out.gnd"));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "layout bytes");
  output.reset();
  EXPECT_TRUE(fs::exists(dir.File("out.gnd")));  // a committed output stays
}

TEST(ReplacingFile, ReplacesAnExistingFileOnlyOnCommit) {
  test::TempDir dir;
  test::WriteText(dir.File("out.gnd"), "old");
  auto output = ReplacingFile::Create(dir.File("out.gnd"), 1 << 20);
  ASSERT_TRUE(output);
  Write(*output, std::string(3 << 20, 'n'));  // more than the write buffer
  const auto old = test::ReadFile(dir.File("out.gnd"));
  EXPECT_EQ(std::string(old.begin(), old.end()), "old");
  ASSERT_TRUE(output->Commit());
  EXPECT_EQ(fs::file_size(dir.File("out.gnd")), std::uintmax_t{3} << 20);
}

TEST(ReplacingFile, DiscardsAnUncommittedFile) {
  test::TempDir dir;
  test::WriteText(dir.File("out.gnd"), "old");
  {
    auto output = ReplacingFile::Create(dir.File("out.gnd"));
    ASSERT_TRUE(output);
    Write(*output, "new");
  }
  EXPECT_EQ(Names(dir), std::vector<std::string>{"out.gnd"});
  const auto old = test::ReadFile(dir.File("out.gnd"));
  EXPECT_EQ(std::string(old.begin(), old.end()), "old");
}

TEST(ReplacingFile, TwoOutputsForOnePathGetTheirOwnFiles) {
  test::TempDir dir;
  auto first = ReplacingFile::Create(dir.File("out.gnd"));
  auto second = ReplacingFile::Create(dir.File("out.gnd"));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(Names(dir).size(), 2u);
}

TEST(ReplacingFile, CannotBeCreatedWhereNoFileCanBe) {
  test::TempDir dir;
  fs::create_directory(dir.File("folder"));
  EXPECT_FALSE(ReplacingFile::Create(""));
  EXPECT_FALSE(ReplacingFile::Create(dir.File("missing/out.gnd")));
  EXPECT_FALSE(ReplacingFile::Create(dir.File("folder")));
  EXPECT_EQ(Names(dir), std::vector<std::string>{"folder"});
}

TEST(ReplacingFile, CommitFailsWhenTheOutputFolderIsGone) {
  KEM_SKIP_ON_WINDOWS("Windows keeps a folder while a file in it is open");
  test::TempDir dir;
  fs::create_directory(dir.File("sub"));
  auto output = ReplacingFile::Create(dir.File("sub/out.gnd"));
  ASSERT_TRUE(output);
  Write(*output, "bytes");
  fs::remove_all(dir.File("sub"));
  EXPECT_FALSE(output->Commit());
  EXPECT_TRUE(output->Failed());
  EXPECT_FALSE(output->Commit());
}

TEST(ReplacingFile, FailedCommitRemovesTheTemporaryFileAtOnce) {
  test::TempDir dir;
  auto file = ReplacingFile::Create(dir.File("out.gnd"));
  ASSERT_TRUE(file);
  const std::uint8_t bytes[] = {1, 2, 3};
  file->Write(bytes, sizeof bytes);
  const std::vector<std::string> names = Names(dir);
  ASSERT_EQ(names.size(), 1u);
  const fs::path temporary = dir.path() / names[0];
  // A folder now stands where the file should go, so it cannot be moved there.
  fs::create_directory(dir.File("out.gnd"));

  EXPECT_FALSE(file->Commit());
  // Gone while the object still exists: the desktop application keeps it
  // until the user has closed the error box.
  EXPECT_FALSE(fs::exists(temporary));
  EXPECT_EQ(Names(dir), std::vector<std::string>{"out.gnd"});
  EXPECT_TRUE(fs::is_directory(dir.File("out.gnd")));
}

}  // namespace
}  // namespace kem
