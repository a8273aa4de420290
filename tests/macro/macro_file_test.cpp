#include "macro/macro_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "platform/files_testing.h"
#include "text/error.h"

namespace tamiru::macro {
namespace {

TMacroEntry Entry(std::uint16_t key, bool shift, bool alt, bool ctrl, std::string action,
                  std::string argument = "", std::string text = "") {
  return TMacroEntry{key, shift, alt, ctrl, std::move(action), std::move(argument), std::move(text)};
}

TEST(ParseMacroLine, EachActionReadsItsOwnFields) {
  EXPECT_EQ(ParseMacroLine("0D 0 0 1 /CHATON "), Entry(13, false, false, true, "/CHATON"));
  EXPECT_EQ(ParseMacroLine("4C 1 0 1 OPEN friendlist "), Entry(0x4C, true, false, true, "OPEN", "friendlist"));
  for (const char* action : {"/Hide", "/List", "/CHATOFF", "画像保存", "瞬間観戦", "対/w,/r"}) {
    EXPECT_EQ(ParseMacroLine(std::string("41 1 1 1 ") + action + " "), Entry(0x41, true, true, true, action));
  }
  // Bytes behind the last field an action reads are not looked at.
  EXPECT_EQ(ParseMacroLine("7B 0 0 0 /Hide leftover"), Entry(0x7B, false, false, false, "/Hide"));
}

TEST(ParseMacroLine, TextKeepsInnerSpacesAndLosesOnlyTheTrailingOne) {
  EXPECT_EQ(ParseMacroLine("20 0 0 0 /Talk <R-ListBox> see you later "),
            Entry(0x20, false, false, false, "/Talk", "<R-ListBox>", "see you later"));
  EXPECT_EQ(ParseMacroLine("20 0 0 0 /Talk <all>  hi  ")->text, " hi ");
  // An empty phrase composes to an empty TEXT field, which binds the key.
  const auto empty_text = ComposeMacroLine("20", false, false, false, "/Talk", "<all>", "");
  EXPECT_EQ(ParseMacroLine(empty_text), Entry(0x20, false, false, false, "/Talk", "<all>", ""));
  EXPECT_EQ(ParseMacroLine("71 0 0 0 発言  "), Entry(0x71, false, false, false, "発言"));
  // "発言" has no argument: its text starts right after the action.
  EXPECT_EQ(ParseMacroLine("71 0 1 0 発言 よろしく お願いします "),
            Entry(0x71, false, true, false, "発言", "", "よろしく お願いします"));
}

TEST(ParseMacroLine, FlagsAndKey) {
  EXPECT_EQ(ParseMacroKeyCode("7B 0 0 0 /Hide "), 0x7B);
  EXPECT_EQ(ParseMacroKeyCode("7B"), std::nullopt);
  EXPECT_EQ(ParseMacroKeyCode("7G 0 0 0 /Hide "), std::nullopt);
  EXPECT_EQ(ParseMacroLine("70 x 2 1 /List "), Entry(0x70, false, false, true, "/List"));  // only "1" is down
  EXPECT_EQ(ParseMacroLine("0070 1 1 0 /List "), Entry(0x70, true, true, false, "/List"));
  EXPECT_EQ(ParseMacroLine("ba 0 0 0 /List ")->key_code, 0xBA);
  EXPECT_EQ(ParseMacroLine("FFFF 0 0 0 /List ")->key_code, 0xFFFF);
}

// A line that does not parse binds no key, and nothing is read past the line.
TEST(ParseMacroLine, MalformedLinesGiveNoEntry) {
  for (const char* line : {"", " ", "0D", "0D ", "0D 0 0 1", "0D 0 0 1 ", "0D 0 0 1 /CHATON",
                           "0D 0 0 1  /CHATON ", "70 10 1 0 /List ", "70 1 1  /List ", "10000 0 0 0 /List ",
                           "0G 0 0 0 /List ", "0x0D 0 0 0 /List ", " 0 0 0 /List ", "70 0 1 0 /Where",
                           "70 0 1 0 /Where <all>", "70 0 1 0 /Where  ", "20 0 0 0 /Talk <all> ",
                           "20 0 0 0 /Talk <all> hello", "71 0 0 0 発言 ",
                           "71 0 0 0 発言 hello"}) {
    EXPECT_FALSE(ParseMacroLine(line)) << '"' << line << '"';
  }
}

TEST(ParseMacroLine, FieldsOverTheirLimitsGiveNoEntry) {
  const std::string arg19(19, 'a'), text99(99, 't'), action19(19, 'A');
  EXPECT_EQ(ParseMacroLine("70 0 0 0 /Where " + arg19 + " ")->argument, arg19);
  EXPECT_FALSE(ParseMacroLine("70 0 0 0 /Where " + arg19 + "a "));
  EXPECT_EQ(ParseMacroLine("70 0 0 0 /Talk x " + text99 + " ")->text, text99);
  EXPECT_FALSE(ParseMacroLine("70 0 0 0 /Talk x " + text99 + "t "));
  EXPECT_FALSE(ParseMacroLine("70 0 0 0 発言 " + text99 + "t "));
  EXPECT_EQ(ParseMacroLine("70 0 0 0 " + action19 + " x ")->action, action19);
  EXPECT_FALSE(ParseMacroLine("70 0 0 0 " + action19 + "A x "));
}

TEST(ComposeMacroLine, EveryFieldEndsWithOneSpaceAndParsesBack) {
  EXPECT_EQ(ComposeMacroLine("70", false, true, false, "/Where", "<all>"), "70 0 1 0 /Where <all> ");
  EXPECT_EQ(ComposeMacroLine("7B", false, false, false, "/Hide"), "7B 0 0 0 /Hide ");
  EXPECT_EQ(ComposeMacroLine("71", false, true, false, "発言", std::nullopt, "a b"), "71 0 1 0 発言 a b ");
  const auto line = ComposeMacroLine("DE", true, false, true, "/Talk", "taro", "good game");
  EXPECT_EQ(line, "DE 1 0 1 /Talk taro good game ");
  EXPECT_EQ(ParseMacroLine(line), Entry(0xDE, true, false, true, "/Talk", "taro", "good game"));
}

class MacroFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tamiru_macro_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "macro.txt").string();
  }
  void TearDown() override {
    platform::InjectWriteFailureAfter(-1);
    std::filesystem::remove_all(dir_);
  }
  std::string Contents() { return platform::ReadWholeFile(path_).value_or("<missing>"); }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(MacroFileTest, LoadKeepsEveryLineAndSaveEndsEachWithCrLf) {
  ASSERT_TRUE(platform::ReplaceFileContents(path_, ""));
  std::vector<std::string> macro_list{"stale "};
  LoadMacroFile(path_, macro_list);
  EXPECT_TRUE(macro_list.empty());

  ASSERT_TRUE(platform::ReplaceFileContents(path_, "70 0 1 0 /Where <all> \r\n\r\n7B 0 0 0 /Hide "));
  LoadMacroFile(path_, macro_list);
  EXPECT_EQ(macro_list, (std::vector<std::string>{"70 0 1 0 /Where <all> ", "", "7B 0 0 0 /Hide "}));
  SaveMacroFile(path_, macro_list);
  EXPECT_EQ(Contents(), "70 0 1 0 /Where <all> \r\n\r\n7B 0 0 0 /Hide \r\n");
}

TEST_F(MacroFileTest, FailedSaveReportsCreateErrorKeepsTheOldFileAndTheNextSaveCatchesUp) {
  ASSERT_TRUE(platform::ReplaceFileContents(path_, "7B 0 0 0 /Hide \r\n"));
  const std::vector<std::string> macro_list{"7B 0 0 0 /Hide ", "70 0 1 0 /Where <all> "};
  platform::InjectWriteFailureAfter(5);
  try {
    SaveMacroFile(path_, macro_list);
    FAIL() << "no error";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + path_ + " を作成できません");
  }
  EXPECT_EQ(Contents(), "7B 0 0 0 /Hide \r\n");
  platform::InjectWriteFailureAfter(-1);
  SaveMacroFile(path_, macro_list);
  EXPECT_EQ(Contents(), "7B 0 0 0 /Hide \r\n70 0 1 0 /Where <all> \r\n");
}

}  // namespace
}  // namespace tamiru::macro
