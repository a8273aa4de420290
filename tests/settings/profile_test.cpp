#include "settings/profile.h"
#include "settings/settings.h"
#include "text/error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/files_testing.h"

namespace tamiru::settings {
namespace {

using std::string_literals::operator""s;

std::optional<std::string> Read(std::string_view file, std::string_view key,
                                std::string_view section = "Setting") {
  return ReadProfileValue(file, section, key);
}

std::string Write(std::string_view file, std::string_view key, std::string_view value,
                  std::string_view section = "Setting") {
  return WriteProfileValue(file, section, key, value).value_or("<unchanged>");
}

TEST(ProfileRead, NamesIgnoreAsciiCaseOnly) {
  EXPECT_EQ(Read("[setting]\r\nusername1=a\r\n", "UserName1"), "a");
  EXPECT_EQ(Read("[SETTING]\r\nUSERNAME1=a\r\n", "username1"), "a");
  // "ア" is 0x83 0x41: its trail byte is an "A" that must not fold to the "a" of 0x83 0x61.
  EXPECT_EQ(Read("[Setting]\r\nア=1\r\n", "\x83\x61"), std::nullopt);
  EXPECT_EQ(Read("[Setting]\r\nア=1\r\n", "ア"), "1");
  // Full-width letters are characters of their own, compared exactly.
  EXPECT_EQ(Read("[Setting]\r\nＡ=1\r\n", "ａ"), std::nullopt);
  EXPECT_EQ(Read("[設定]\r\n名前=太郎\r\n", "名前", "設定"), "太郎");
}

TEST(ProfileRead, LineSyntax) {
  EXPECT_EQ(Read(" \t[ Setting ]\t\r\n \t Key \v=\f  a b \x1A \t\r\n", "Key"), "a b");
  // The ideographic space and other control bytes are not blanks.
  EXPECT_EQ(Read("[Setting]\r\nKey=　v\x01\r\n", "Key"), "　v\x01");
  EXPECT_EQ(Read("[Setting]\r\nKey = = x\r\n", "Key"), "= x");
  EXPECT_EQ(Read("[Setting]\r\nK= \" x \" \r\n", "K"), " x ");
  EXPECT_EQ(Read("[Setting]\r\nK='q'\r\n", "K"), "q");
  EXPECT_EQ(Read("[Setting]\r\nK=\"\r\n", "K"), "\"");
  EXPECT_EQ(Read("[Setting]\r\nK=\"x'\r\n", "K"), "\"x'");
  EXPECT_EQ(Read("[Setting]\rA=1\nB=2\r\nC=3", "A"), "1");
  EXPECT_EQ(Read("[Setting]\rA=1\nB=2\r\nC=3", "C"), "3");
  EXPECT_EQ(Read("\xEF\xBB\xBF[Setting]\r\nA=1\r\n", "A"), "1");
}

TEST(ProfileRead, SectionsAndTheirLimits) {
  // Keys before the first header belong to the nameless section.
  EXPECT_EQ(Read("A=1\r\n[Setting]\r\n", "A"), std::nullopt);
  EXPECT_EQ(Read("A=1\r\n[Setting]\r\n", "A", ""), "1");
  EXPECT_EQ(Read("[Setting]\r\n[Other]\r\nA=1\r\n", "A"), std::nullopt);
  // Only the first section of a name is read, even for a key it lacks.
  EXPECT_EQ(Read("[Setting]\r\nA=1\r\n[setting]\r\nB=2\r\n", "B"), std::nullopt);
  // The name runs to the last "]"; text after it is ignored.
  EXPECT_EQ(Read("[Setting] junk\r\nA=1\r\n", "A"), "1");
  EXPECT_EQ(Read("[Set]ting]\r\nA=1\r\n", "A", "Set]ting"), "1");
  // Without "]" the line is a key of the section before it. "ゾ" ends in
  // 0x5D, the byte of "]", and must not be taken for one.
  EXPECT_EQ(Read("[Setting]\r\n[Aゾ\r\nB=1\r\n", "B"), "1");
  EXPECT_EQ(Read("[Setting]\r\n[ゾ]\r\nB=1\r\n", "B", "ゾ"), "1");
}

TEST(ProfileRead, FirstLineOfAKeyDecides) {
  EXPECT_EQ(Read("[Setting]\r\nA=1\r\na=2\r\n", "A"), "1");
  // A first line without "=" makes the key missing, whatever follows.
  EXPECT_EQ(Read("[Setting]\r\nA\r\nA=2\r\n", "A"), std::nullopt);
  // Comment lines are keys like any other.
  EXPECT_EQ(Read("[Setting]\r\n;A=1\r\nA=2\r\n", "A"), "2");
  EXPECT_EQ(Read("[Setting]\r\n;A=1\r\n", ";A"), "1");
}

TEST(ProfileRead, NulBytesEndNamesAndValuesButNotLines) {
  const std::string file = "[Setting]\r\nA=ab\0cd\r\nB\0x=3\r\nC=\"q\0\"\r\n"s;
  EXPECT_EQ(Read(file, "A"), "ab");
  EXPECT_EQ(Read(file, "B"), "3");
  EXPECT_EQ(Read(file, "C"), "\"q");
  EXPECT_EQ(Read("[Set\0x]\r\nA=1\r\n"s, "A", "Set"), "1");
}

TEST(ProfileRead, ValueArrivesThroughTheBuffer) {
  const std::string long_value(3000, 'x');
  EXPECT_EQ(Read("[Setting]\r\nA=" + long_value + "\r\n", "A"), std::string(2047, 'x'));
  // 1100 double-byte characters: 1023 of them fit, never half of the next.
  std::string kanji;
  for (int i = 0; i < 1100; ++i) kanji += "亜";
  EXPECT_EQ(Read("[Setting]\r\nA=" + kanji + "\r\n", "A")->size(), 2046u);
  EXPECT_EQ(Read("[Setting]\r\nA=x" + kanji + "\r\n", "A")->size(), 2047u);
  // Quoted content of exactly 2047 bytes fills the buffer whole.
  EXPECT_EQ(Read("[Setting]\r\nA=\"" + std::string(2047, 'x') + "\"\r\n", "A"), std::string(2047, 'x'));
  EXPECT_EQ(Read("[Setting]\r\nA=\"" + std::string(2048, 'x') + "\"\r\n", "A"), std::string(2047, 'x'));
  EXPECT_EQ(ReadProfileValue("[S]\r\nA=abcdef\r\n", "S", "A", 4), "abc");
  EXPECT_EQ(ReadProfileValue("[S]\r\nA=abcdef\r\n", "S", "A", 1), "");
  EXPECT_EQ(ReadProfileValue("[S]\r\nA=abcdef\r\n", "S", "A", 0), "");
}

TEST(ProfileRead, ManyKeysInOnePass) {
  const auto values = ReadProfileValues("[S]\r\nb=2\r\nA=1\r\nC\r\n", "S", {"a", "B", "c", "A"});
  EXPECT_EQ(values, (std::vector<std::optional<std::string>>{"1", "2", std::nullopt, "1"}));
}

TEST(ProfileWrite, CreatesTheSectionAndKey) {
  EXPECT_EQ(Write("", "A", "1"), "[Setting]\r\nA=1\r\n");
  EXPECT_EQ(Write("[Other]\r\nX=1\r\n", "A", "1"), "[Other]\r\nX=1\r\n[Setting]\r\nA=1\r\n");
  EXPECT_EQ(Write("[Other]\r\nX=1", "A", "1"), "[Other]\r\nX=1\r\n[Setting]\r\nA=1\r\n");
  EXPECT_EQ(Write("[Other]\r\nX=1\r\n", "A", ""), "[Other]\r\nX=1\r\n[Setting]\r\nA=\r\n");
  EXPECT_EQ(Write("\xEF\xBB\xBF", "A", "1"), "\xEF\xBB\xBF[Setting]\r\nA=1\r\n");
}

TEST(ProfileWrite, ReplacesTheLineInPlaceAndNothingElse) {
  EXPECT_EQ(Write("; top\r\n\r\n[Setting]\r\n  a = 1 \r\nB=2\r\n\r\n[Other]\r\n X = y\r\n", "A", "9"),
            "; top\r\n\r\n[Setting]\r\na=9\r\nB=2\r\n\r\n[Other]\r\n X = y\r\n");
  // The line keeps its own line end, whatever the others use.
  EXPECT_EQ(Write("[Setting]\rA=1\rB=2", "A", "9"), "[Setting]\rA=9\rB=2");
  EXPECT_EQ(Write("[Setting]\nA=1", "A", "9"), "[Setting]\nA=9");
  // A key line without "=" gets one.
  EXPECT_EQ(Write("[Setting]\r\nB\r\n", "B", "2"), "[Setting]\r\nB=2\r\n");
  // The first section and the first line of the key take the write.
  EXPECT_EQ(Write("[Setting]\r\nA=1\r\nA=1\r\n[Setting]\r\nB=1\r\n", "a", "3"),
            "[Setting]\r\nA=3\r\nA=1\r\n[Setting]\r\nB=1\r\n");
  EXPECT_EQ(Write("[Setting]\r\nA=1\r\n[Setting]\r\nB=1\r\n", "B", "2"),
            "[Setting]\r\nA=1\r\nB=2\r\n[Setting]\r\nB=1\r\n");
  // Other lines keep every byte, NUL bytes included.
  EXPECT_EQ(Write("[Setting]\r\nA=a\0b\r\nB=1\r\n"s, "B", "2"), "[Setting]\r\nA=a\0b\r\nB=2\r\n"s);
}

TEST(ProfileWrite, SameValueWritesNothing) {
  EXPECT_EQ(WriteProfileValue("[Setting]\r\n  a = 1 \r\n", "Setting", "A", "1"), std::nullopt);
  EXPECT_EQ(WriteProfileValue("[Setting]\r\nA=\r\n", "Setting", "A", ""), std::nullopt);
  // Quotes belong to the stored value: "1" is not 1.
  EXPECT_EQ(Write("[Setting]\r\nA=\"1\"\r\n", "A", "1"), "[Setting]\r\nA=1\r\n");
}

TEST(ProfileWrite, NewKeyFollowsTheLastFilledLineOfItsSection) {
  EXPECT_EQ(Write("[Setting]\r\nA=1\r\n\r\n\r\n[Other]\r\n", "B", "2"),
            "[Setting]\r\nA=1\r\nB=2\r\n\r\n\r\n[Other]\r\n");
  EXPECT_EQ(Write("[Setting]\r\n\r\n[Other]\r\n", "B", "2"), "[Setting]\r\nB=2\r\n\r\n[Other]\r\n");
  EXPECT_EQ(Write("[Setting]\r\nX=1", "B", "2"), "[Setting]\r\nX=1\r\nB=2\r\n");
  EXPECT_EQ(Write("[Setting]", "B", "2"), "[Setting]\r\nB=2\r\n");
  EXPECT_EQ(Write("[Setting]\rX=1\r", "B", "2"), "[Setting]\rX=1\rB=2\r\n");
  EXPECT_EQ(Write("A=1\r\n[Setting]\r\n", "B", "2"), "A=1\r\n[Setting]\r\nB=2\r\n");
  EXPECT_EQ(Write("A=1\r\n[Setting]\r\n", "B", "2", ""), "A=1\r\nB=2\r\n[Setting]\r\n");
}

TEST(ProfileWrite, ValueCannotAddLinesOfItsOwn) {
  // A value with a line end would otherwise plant a key of its choosing.
  const std::string file = Write("", "UserName1", "a\r\nMacro=1");
  EXPECT_EQ(file, "[Setting]\r\nUserName1=a\r\n");
  EXPECT_EQ(Read(file, "Macro"), std::nullopt);
  EXPECT_EQ(Write("", "A", "x\ny"), "[Setting]\r\nA=x\r\n");
  EXPECT_EQ(Write("", "A", "x\0y"s), "[Setting]\r\nA=x\r\n");
  EXPECT_EQ(Write("", "A", " \t\r\nlead  trail  "), "[Setting]\r\nA=lead  trail  \r\n");
}

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tamiru_profile_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "tamiru.INI").string();
  }
  void TearDown() override {
    platform::InjectWriteFailureAfter(-1);
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(ProfileFileTest, UnreadableFileIsNeverOverwritten) {
  // A folder stands for a file that exists but cannot be read (a lock, a
  // permission): writing without its contents would lose them.
  std::filesystem::create_directories(path_);
  EXPECT_EQ(ReadProfileFileForWrite(path_), std::nullopt);
  EXPECT_THROW(SaveSettings(DefaultSettings("C:\\Tamiru"), path_, SaveScope::kAll), TamiruError);
  EXPECT_TRUE(std::filesystem::is_directory(path_));
  EXPECT_EQ(ReadProfileFileForWrite((dir_ / "missing.INI").string()), "");
}

}  // namespace
}  // namespace tamiru::settings
