#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/files_testing.h"
#include "text/error.h"

namespace tamiru::platform {
namespace {

using Lines = std::vector<std::string>;

class ListFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tamiru_list_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "friendlist.txt").string();
  }
  void TearDown() override {
    ResetFileFailures();
    std::filesystem::remove_all(dir_);
  }
  std::string Contents() { return ReadWholeFile(path_).value_or("<missing>"); }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(ListFileTest, ReadMissingFileNamesThePath) {
  try {
    ReadListFile(path_);
    FAIL() << "no error";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + path_ + " は開けません");
  }
  EXPECT_THROW(ReadListFile(""), TamiruError);
}

TEST_F(ListFileTest, WriteThenReadRoundTrips) {
  WriteListFile(path_, {"aaa", "", "表示"});
  EXPECT_EQ(Contents(), "aaa\r\n\r\n表示\r\n");
  EXPECT_EQ(ReadListFile(path_), (Lines{"aaa", "", "表示"}));
  WriteListFile(path_, {});
  EXPECT_EQ(Contents(), "");
  EXPECT_FALSE(std::filesystem::exists(path_ + ".tmp~"));
}

TEST_F(ListFileTest, FailedWriteLeavesTheOldFileWhole) {
  WriteListFile(path_, {"old1", "old2"});
  InjectWriteFailureAfter(3);
  try {
    WriteListFile(path_, {"new1", "new2", "new3"});
    FAIL() << "no error";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + path_ + " を作成できません");
  }
  EXPECT_EQ(Contents(), "old1\r\nold2\r\n");
  EXPECT_FALSE(std::filesystem::exists(path_ + ".tmp~"));
}

TEST_F(ListFileTest, TargetThatCannotBeReplacedIsACreateError) {
  // A folder where the file should be: the rename over it fails (as it does
  // for a read-only file on Windows), and the folder is left alone.
  std::filesystem::create_directories(dir_ / "friendlist.txt" / "inner");
  EXPECT_THROW(WriteListFile(path_, {"new"}), TamiruError);
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "friendlist.txt" / "inner"));
  EXPECT_FALSE(std::filesystem::exists(path_ + ".tmp~"));
}

TEST_F(ListFileTest, MissingFolderIsACreateError) {
  EXPECT_THROW(WriteListFile((dir_ / "gone" / "x.txt").string(), {"a"}), TamiruError);
}

// A target that another program holds (opened without delete sharing, or
// taken for a moment by antivirus or cloud sync) is tried again over about a
// second; the waits are the file layer's, so here they take no time.
TEST_F(ListFileTest, AHeldTargetIsTriedAgainThenFailsWithTheOldFileWhole) {
  WriteListFile(path_, {"old"});
  InjectBusyTarget(2);
  WriteListFile(path_, {"new"});
  EXPECT_EQ(Contents(), "new\r\n");
  EXPECT_EQ(TakeFileWaits(), (std::vector<unsigned>{50, 100}));

  InjectBusyTarget(-1);  // held for good
  try {
    WriteListFile(path_, {"newer"});
    FAIL() << "no error";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + path_ + " を作成できません");
  }
  EXPECT_EQ(Contents(), "new\r\n");
  const std::vector<unsigned> waits = TakeFileWaits();
  unsigned total = 0;
  for (const unsigned wait : waits) total += wait;
  EXPECT_GE(total, 800u);
  EXPECT_LE(total, 1500u);
  EXPECT_FALSE(std::filesystem::exists(path_ + ".tmp~"));
}

TEST_F(ListFileTest, AFullDiskWhileTheTemporaryFileIsHeldLeavesNoTemporaryFile) {
  WriteListFile(path_, {"old1", "old2"});
  InjectWriteFailureAfter(4);
  InjectBusyTemporary(3);  // the removal of the cut temporary file is refused three times
  EXPECT_THROW(WriteListFile(path_, {"new1", "new2"}), TamiruError);
  EXPECT_EQ(Contents(), "old1\r\nold2\r\n");
  EXPECT_FALSE(std::filesystem::exists(path_ + ".tmp~"));
  EXPECT_EQ(TakeFileWaits().size(), 3u);
}

TEST_F(ListFileTest, TheReplacedFileKeepsTheOldFilesAttributes) {
  WriteListFile(path_, {"old"});
  ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
  WriteListFile(path_, {"new"});
  struct stat replaced {};
  ASSERT_EQ(::stat(path_.c_str(), &replaced), 0);
  EXPECT_EQ(replaced.st_mode & 0777, 0600u);
  EXPECT_EQ(Contents(), "new\r\n");
}

}  // namespace
}  // namespace tamiru::platform
