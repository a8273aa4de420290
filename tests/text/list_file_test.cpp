#include "text/list_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/files.h"
#include "text/error.h"

namespace tamiru::text {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitLines, EveryLineEndAndTheLastLine) {
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), (Lines{"a"}));
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("\r\n\r\n"), (Lines{"", ""}));
  // CR CR LF is an empty line ended by CR, then a line ended by... nothing:
  // the lone CR ends "a", the CR LF ends the empty line.
  EXPECT_EQ(SplitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines(std::string_view("a\nb\0c\nd", 7)), (Lines{"a", "b"}));
  // Shift_JIS trail bytes are never line ends (0x0A/0x0D cannot be trail bytes).
  EXPECT_EQ(SplitLines("表\r\nソ"), (Lines{"表", "ソ"}));
}

TEST(JoinLines, CrLfAfterEveryLine) {
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinLines({}), "");
  EXPECT_EQ(SplitLines(JoinLines({"x", "", "y"})), (Lines{"x", "", "y"}));
}

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
    platform::InjectWriteFailureAfter(-1);
    std::filesystem::remove_all(dir_);
  }
  std::string Contents() { return platform::ReadWholeFile(path_).value_or("<missing>"); }

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
  platform::InjectWriteFailureAfter(3);
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

}  // namespace
}  // namespace tamiru::text
