#include "core/replacing_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
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

std::size_t FileCount(const fs::path& folder) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

std::string Text(const std::string& path) {
  const auto bytes = test::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// The system's file calls, recorded in order, with one step made to fail.
class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(std::string failing) : failing_(std::move(failing)) {}

  std::string ResolveLinks(const std::string& path) override { return native_.ResolveLinks(path); }
  PathKind KindOf(const std::string& path) override { return native_.KindOf(path); }
  CreateResult CreateExclusive(const std::string& path, std::FILE*& file) override {
    return native_.CreateExclusive(path, file);
  }
  std::FILE* OpenInPlace(const std::string& path) override { return native_.OpenInPlace(path); }
  bool SyncFile(std::FILE* file) override { return Step("sync") && native_.SyncFile(file); }
  bool SetFinalMode(const std::string& path, const std::string& replaced) override {
    return Step("mode") && native_.SetFinalMode(path, replaced);
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return Step("replace") && native_.Replace(from, to);
  }
  bool SyncFolderOf(const std::string& path) override {
    return Step("sync folder") && native_.SyncFolderOf(path);
  }
  void Remove(const std::string& path) override { native_.Remove(path); }

  std::vector<std::string> steps;

 private:
  bool Step(const std::string& name) {
    steps.push_back(name);
    return name != failing_;
  }

  FileSystem& native_ = FileSystem::Native();
  std::string failing_;
};

TEST(ReplacingFile, DataReachesTheDiskBeforeTheOldFileIsReplaced) {
  test::TempDir dir;
  FaultyFileSystem fileSystem("");
  auto output = ReplacingFile::Create(dir.File("out.gnd"), 0, fileSystem);
  ASSERT_TRUE(output);
  Write(*output, "new");
  ASSERT_TRUE(output->Commit());
  EXPECT_EQ(fileSystem.steps, (std::vector<std::string>{"sync", "mode", "replace", "sync folder"}));
}

// A failure anywhere between the last write and the move leaves the old file
// whole and no temporary file behind.
class ReplacingFileFault : public testing::TestWithParam<const char*> {};

TEST_P(ReplacingFileFault, KeepsTheOldFileAndLeavesNoTemporary) {
  test::TempDir dir;
  test::WriteText(dir.File("out.gnd"), "old");
  FaultyFileSystem fileSystem(GetParam());
  auto output = ReplacingFile::Create(dir.File("out.gnd"), 0, fileSystem);
  ASSERT_TRUE(output);
  Write(*output, "new");
  EXPECT_FALSE(output->Commit());
  EXPECT_TRUE(output->Failed());
  EXPECT_EQ(Names(dir), std::vector<std::string>{"out.gnd"});
  EXPECT_EQ(Text(dir.File("out.gnd")), "old");
}

INSTANTIATE_TEST_SUITE_P(Steps, ReplacingFileFault, testing::Values("sync", "mode", "replace"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

TEST(ReplacingFile, AFolderThatCannotBeSyncedStillCountsAsWritten) {
  test::TempDir dir;
  FaultyFileSystem fileSystem("sync folder");
  auto output = ReplacingFile::Create(dir.File("out.gnd"), 0, fileSystem);
  ASSERT_TRUE(output);
  Write(*output, "new");
  EXPECT_TRUE(output->Commit());
  EXPECT_EQ(Text(dir.File("out.gnd")), "new");
}

mode_t Mode(const std::string& path) {
  struct stat info = {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST(ReplacingFile, KeepsTheModeOfTheFileItReplacesAndGivesANewOneTheUsualMode) {
  KEM_SKIP_ON_WINDOWS("Windows files have a read-only flag, not modes (see the next test)");
  test::TempDir dir;
  test::WriteText(dir.File("old.gnd"), "old");
  ASSERT_EQ(::chmod(dir.File("old.gnd").c_str(), 0640), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  for (const std::string name : {"old.gnd", "new.gnd"}) {
    auto output = ReplacingFile::Create(dir.File(name));
    ASSERT_TRUE(output);
    int temporaries = 0;
    for (const std::string& entry : Names(dir)) {
      if (entry.starts_with(name + ".tmp-")) {
        ++temporaries;
        EXPECT_EQ(Mode(dir.File(entry)) & 077, 0u) << "the temporary file is private";
      }
    }
    EXPECT_EQ(temporaries, 1);
    ASSERT_TRUE(output->Commit());
  }
  EXPECT_EQ(Mode(dir.File("old.gnd")), 0640u);
  EXPECT_EQ(Mode(dir.File("new.gnd")), 0666u & ~mask);
}

// A read-only file is replaced like any other (Windows' own move refuses to)
// and the new file is read-only too.
TEST(ReplacingFile, ReplacesAReadOnlyFileAndKeepsItReadOnly) {
  test::TempDir dir;
  const std::string path = dir.File("old.gnd");
  test::WriteText(path, "old");
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  auto output = ReplacingFile::Create(path);
  ASSERT_TRUE(output);
  Write(*output, "new bytes");
  ASSERT_TRUE(output->Commit());
  EXPECT_EQ(test::ReadFile(path).size(), 9u);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_EQ(Names(dir), std::vector<std::string>{"old.gnd"});
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

// A link at the output path is written through: the file it finally names is
// replaced, its temporary beside it, and the link stays a link.
struct LinkCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> links;  // link, what it names
  const char* target;                                      // the file finally written
  bool targetExists;
};

class ReplacingFileLink : public testing::TestWithParam<LinkCase> {};

TEST_P(ReplacingFileLink, WritesThroughTheLink) {
  KEM_SKIP_ON_WINDOWS(
      "links on Windows need privileges few users have; outputs do not follow them");
  const LinkCase& link = GetParam();
  test::TempDir dir;
  fs::create_directory(dir.File("data"));
  fs::create_directory(dir.File("out"));
  if (link.targetExists) {
    test::WriteText(dir.File(link.target), "old");
  }
  for (const auto& [from, to] : link.links) {
    fs::create_symlink(to, dir.File(from));
  }
  auto output = ReplacingFile::Create(dir.File("out/out.gnd"));
  ASSERT_TRUE(output);
  Write(*output, "new");
  EXPECT_EQ(FileCount(dir.path() / "data"), link.targetExists ? 2u : 1u)
      << "the temporary file sits beside the target";
  ASSERT_TRUE(output->Commit());
  EXPECT_EQ(Text(dir.File(link.target)), "new");
  EXPECT_TRUE(fs::is_symlink(dir.File("out/out.gnd")));
  EXPECT_EQ(FileCount(dir.path() / "data"), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Links, ReplacingFileLink,
    testing::Values(
        LinkCase{"ToAFile", {{"out/out.gnd", "../data/real.gnd"}}, "data/real.gnd", true},
        LinkCase{"Chain",
                 {{"out/out.gnd", "step.gnd"}, {"out/step.gnd", "../data/real.gnd"}},
                 "data/real.gnd",
                 true},
        LinkCase{"ToNothingYet", {{"out/out.gnd", "../data/new.gnd"}}, "data/new.gnd", false}),
    [](const testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

TEST(ReplacingFile, RefusesALoopOfLinks) {
  KEM_SKIP_ON_WINDOWS("links on Windows need privileges few users have");
  test::TempDir dir;
  fs::create_symlink("b.gnd", dir.File("a.gnd"));
  fs::create_symlink("a.gnd", dir.File("b.gnd"));
  EXPECT_FALSE(ReplacingFile::Create(dir.File("a.gnd")));
  EXPECT_TRUE(fs::is_symlink(dir.File("a.gnd")));
  EXPECT_EQ(FileCount(dir.path()), 2u);
}

// A name up to the 255-byte limit is written, its temporary name shortened
// to fit: plain letters, and two-byte letters that must not be cut apart.
TEST(ReplacingFile, WritesANameNearTheLengthLimit) {
  std::string umlauts = "n";
  for (int i = 0; i < 123; ++i) {
    umlauts += "\xC3\xBC";  // u with umlaut
  }
  for (const std::string& stem : {std::string(248, 'n'), umlauts}) {
    test::TempDir dir;
    const std::string path = dir.File(stem + ".gnd");
    auto output = ReplacingFile::Create(path);
    ASSERT_TRUE(output) << stem.size() + 4 << " bytes";
    Write(*output, "long");
    ASSERT_TRUE(output->Commit());
    EXPECT_EQ(Text(path), "long");
    EXPECT_EQ(FileCount(dir.path()), 1u);
  }
}

TEST(ReplacingFile, WritesADeviceInPlaceAndReportsItsErrors) {
  KEM_SKIP_ON_WINDOWS("Windows devices have no paths in folders to write to");
  auto sink = ReplacingFile::Create("/dev/null");
  ASSERT_TRUE(sink);
  Write(*sink, "bytes");
  EXPECT_TRUE(sink->Commit());

  if (fs::exists("/dev/full")) {
    auto full = ReplacingFile::Create("/dev/full");
    ASSERT_TRUE(full);
    Write(*full, "bytes");
    EXPECT_FALSE(full->Commit());
    EXPECT_TRUE(full->Failed());
  }
}

TEST(ReplacingFile, WritesAPipeInPlace) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no named pipes in folders";
#else
  test::TempDir dir;
  const std::string pipe = dir.File("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    std::ifstream in(pipe, std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  });
  auto output = ReplacingFile::Create(pipe);
  ASSERT_TRUE(output);
  Write(*output, "through the pipe");
  EXPECT_TRUE(output->Commit());
  output.reset();
  reader.join();
  EXPECT_EQ(received, "through the pipe");
  EXPECT_EQ(Names(dir), std::vector<std::string>{"pipe"});
#endif
}

}  // namespace
}  // namespace kem
