#include "macro/macro_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "platform/files.h"
#include "text/error.h"

namespace tamiru::macro {
namespace {

TMacroEntry Entry(std::uint16_t key, bool shift, bool alt, bool ctrl, std::string action,
                  std::string argument = "", std::string text = "") {
  return TMacroEntry{key, shift, alt, ctrl, std::move(action), std::move(argument), std::move(text)};
}

TEST(ParseMacroLine, ActionWithoutArguments) {
  EXPECT_EQ(ParseMacroLine("0D 0 0 1 /CHATON "), Entry(13, false, false, true, "/CHATON"));
  EXPECT_EQ(ParseMacroLine("7B 0 0 0 /Hide "), Entry(0x7B, false, false, false, "/Hide"));
  for (const char* action : {"/Hide", "/List", "/CHATON", "/CHATOFF", "画像保存", "瞬間観戦", "対/w,/r"}) {
    const auto entry = ParseMacroLine(std::string("41 1 1 1 ") + action + " ");
    ASSERT_TRUE(entry) << action;
    EXPECT_EQ(*entry, Entry(0x41, true, true, true, action));
  }
  // Whatever follows the last field the action reads is not looked at.
  EXPECT_EQ(ParseMacroLine("7B 0 0 0 /Hide leftover"), Entry(0x7B, false, false, false, "/Hide"));
}

TEST(ParseMacroLine, ActionWithArgument) {
  EXPECT_EQ(ParseMacroLine("70 0 1 0 /Where <all> "), Entry(0x70, false, true, false, "/Where", "<all>"));
  EXPECT_EQ(ParseMacroLine("4C 1 0 1 OPEN friendlist "), Entry(0x4C, true, false, true, "OPEN", "friendlist"));
  EXPECT_EQ(ParseMacroLine("BA 0 0 0 対戦成績 たろう "), Entry(0xBA, false, false, false, "対戦成績", "たろう"));
}

TEST(ParseMacroLine, TalkTextKeepsInnerSpacesAndDropsTheTrailingOne) {
  EXPECT_EQ(ParseMacroLine("20 0 0 0 /Talk <R-ListBox> see you later "),
            Entry(0x20, false, false, false, "/Talk", "<R-ListBox>", "see you later"));
  // Spaces at the text's edges belong to it; only the line's last byte is cut.
  EXPECT_EQ(ParseMacroLine("20 0 0 0 /Talk <all>  hi  ")->text, " hi ");
}

TEST(ParseMacroLine, SayTakesTextRightAfterTheActionAndNoArgument) {
  EXPECT_EQ(ParseMacroLine("71 0 1 0 発言 よろしく お願いします "),
            Entry(0x71, false, true, false, "発言", "", "よろしく お願いします"));
}

TEST(ParseMacroLine, FlagsAreOneByteAtFixedOffsetsAndOnlyOneMeansDown) {
  EXPECT_EQ(ParseMacroLine("70 1 0 0 /List "), Entry(0x70, true, false, false, "/List"));
  EXPECT_EQ(ParseMacroLine("70 0 1 0 /List "), Entry(0x70, false, true, false, "/List"));
  EXPECT_EQ(ParseMacroLine("70 x 2 Y /List "), Entry(0x70, false, false, false, "/List"));
  // Flags are found after a KEY of any length.
  EXPECT_EQ(ParseMacroLine("0070 1 1 0 /List "), Entry(0x70, true, true, false, "/List"));
  // Two-byte flags shift every field: the separators must be single spaces.
  EXPECT_FALSE(ParseMacroLine("70 10 1 0 /List "));
  EXPECT_FALSE(ParseMacroLine("70 1 1  /List "));
}

TEST(ParseMacroLine, KeyIsHexadecimalAndFitsSixteenBits) {
  EXPECT_EQ(ParseMacroLine("ba 0 0 0 /List ")->key_code, 0xBA);
  EXPECT_EQ(ParseMacroLine("FFFF 0 0 0 /List ")->key_code, 0xFFFF);
  EXPECT_EQ(ParseMacroLine("00000D 0 0 0 /List ")->key_code, 0x0D);
  EXPECT_FALSE(ParseMacroLine("10000 0 0 0 /List "));  // would wrap to 0
  EXPECT_FALSE(ParseMacroLine("0G 0 0 0 /List "));
  EXPECT_FALSE(ParseMacroLine("-1 0 0 0 /List "));
  EXPECT_FALSE(ParseMacroLine("0x0D 0 0 0 /List "));
  EXPECT_FALSE(ParseMacroLine(" 0 0 0 /List "));
}

// A line that does not parse binds no key; nothing is read past the line.
TEST(ParseMacroLine, MalformedLinesGiveNoEntry) {
  for (const char* line : {"", " ", "0D", "0D ", "0D 0 0 1", "0D 0 0 1 ", "0D 0 0 1 /CHATON",
                           "70 0 1 0 /Where", "70 0 1 0 /Where <all>", "70 0 1 0 /Where  ",
                           "70 0 1 0 /Where <all>x", "20 0 0 0 /Talk <all> ", "20 0 0 0 /Talk <all>  ",
                           "20 0 0 0 /Talk <all> hello", "71 0 0 0 発言 ", "71 0 0 0 発言 hello",
                           "0D 0 0 1  /CHATON ", "0D\t0 0 1 /CHATON "}) {
    EXPECT_FALSE(ParseMacroLine(line)) << '"' << line << '"';
  }
}

TEST(ParseMacroLine, FieldsOverTheirLimitsGiveNoEntry) {
  const std::string arg19(19, 'a');
  const std::string text99(99, 't');
  EXPECT_EQ(ParseMacroLine("70 0 0 0 /Where " + arg19 + " ")->argument, arg19);
  EXPECT_FALSE(ParseMacroLine("70 0 0 0 /Where " + arg19 + "a "));
  EXPECT_EQ(ParseMacroLine("70 0 0 0 /Talk x " + text99 + " ")->text, text99);
  EXPECT_FALSE(ParseMacroLine("70 0 0 0 /Talk x " + text99 + "t "));
  EXPECT_FALSE(ParseMacroLine("70 0 0 0 発言 " + text99 + "t "));
  EXPECT_EQ(ParseMacroLine("70 0 0 0 " + std::string(19, 'A') + " x ")->action, std::string(19, 'A'));
  EXPECT_FALSE(ParseMacroLine("70 0 0 0 " + std::string(20, 'A') + " x "));
}

TEST(ComposeMacroLine, FieldsEachFollowedByOneSpace) {
  EXPECT_EQ(ComposeMacroLine("70", false, true, false, "/Where", "<all>"), "70 0 1 0 /Where <all> ");
  EXPECT_EQ(ComposeMacroLine("7B", false, false, false, "/Hide"), "7B 0 0 0 /Hide ");
  EXPECT_EQ(ComposeMacroLine("4C", true, false, true, "OPEN", "friendlist"), "4C 1 0 1 OPEN friendlist ");
  EXPECT_EQ(ComposeMacroLine("71", false, true, false, "発言", std::nullopt, "a b"), "71 0 1 0 発言 a b ");
  EXPECT_EQ(ComposeMacroLine("20", true, true, true, "/Talk", "<R-ListBox>", "see you"),
            "20 1 1 1 /Talk <R-ListBox> see you ");
}

TEST(ComposeMacroLine, ParsesBackToWhatWasComposed) {
  const auto line = ComposeMacroLine("DE", true, false, true, "/Talk", "taro", "good game all");
  EXPECT_EQ(ParseMacroLine(line), Entry(0xDE, true, false, true, "/Talk", "taro", "good game all"));
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
  void Write(std::string_view bytes) { ASSERT_TRUE(platform::ReplaceFileContents(path_, bytes)); }
  std::string Contents() { return platform::ReadWholeFile(path_).value_or("<missing>"); }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(MacroFileTest, EmptyFileGivesEmptyList) {
  Write("");
  std::vector<std::string> macro_list{"stale "};
  LoadMacroFile(path_, macro_list);
  EXPECT_TRUE(macro_list.empty());
}

TEST_F(MacroFileTest, LoadKeepsLinesByteForByteAndTheLastLineWithoutLineEnd) {
  Write("70 0 1 0 /Where <all> \r\n\r\n7B 0 0 0 /Hide \n0D 0 0 1 /CHATON ");
  std::vector<std::string> macro_list;
  LoadMacroFile(path_, macro_list);
  EXPECT_EQ(macro_list, (std::vector<std::string>{"70 0 1 0 /Where <all> ", "", "7B 0 0 0 /Hide ",
                                                  "0D 0 0 1 /CHATON "}));
  // The empty line stays in the list but binds nothing.
  EXPECT_FALSE(ParseMacroLine(macro_list[1]));
}

TEST_F(MacroFileTest, SaveEndsEveryLineWithCrLf) {
  SaveMacroFile(path_, {"70 0 1 0 /Where <all> ", "7B 0 0 0 /Hide "});
  EXPECT_EQ(Contents(), "70 0 1 0 /Where <all> \r\n7B 0 0 0 /Hide \r\n");
  SaveMacroFile(path_, {});
  EXPECT_EQ(Contents(), "");
}

TEST_F(MacroFileTest, MissingFileNamesThePathAndLeavesTheList) {
  std::vector<std::string> macro_list{"7B 0 0 0 /Hide "};
  try {
    LoadMacroFile(path_, macro_list);
    FAIL() << "no error";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + path_ + " は開けません");
  }
  EXPECT_EQ(macro_list, std::vector<std::string>{"7B 0 0 0 /Hide "});
}

TEST_F(MacroFileTest, FailedSaveReportsCreateErrorAndKeepsTheOldFile) {
  Write("7B 0 0 0 /Hide \r\n");
  const std::vector<std::string> macro_list{"7B 0 0 0 /Hide ", "70 0 1 0 /Where <all> "};
  platform::InjectWriteFailureAfter(5);
  try {
    SaveMacroFile(path_, macro_list);
    FAIL() << "no error";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + path_ + " を作成できません");
  }
  EXPECT_EQ(Contents(), "7B 0 0 0 /Hide \r\n");
  // The next successful save writes the change still held in memory.
  platform::InjectWriteFailureAfter(-1);
  SaveMacroFile(path_, macro_list);
  EXPECT_EQ(Contents(), "7B 0 0 0 /Hide \r\n70 0 1 0 /Where <all> \r\n");
}

}  // namespace
}  // namespace tamiru::macro
