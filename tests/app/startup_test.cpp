#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/app/form_fixture.h"
#include "text/error.h"

namespace tamiru::app {
namespace {

class RecordingInstance : public platform::SingleInstance {
 public:
  explicit RecordingInstance(bool other_runs) : other_runs_(other_runs) {}
  bool AnotherInstanceRuns(const std::string& name) override {
    steps.push_back("open " + name);
    return other_runs_;
  }
  void Acquire(const std::string& name) override { steps.push_back("create " + name); }
  void Release() override { steps.push_back("release"); }
  std::vector<std::string> steps;

 private:
  bool other_runs_;
};

TEST(StartupTest, SecondInstanceEndsWithOneShowingNothing) {
  RecordingInstance instance(true);
  testing_support::RecordingDialogs dialogs;
  bool built = false;
  EXPECT_EQ(RunProgram(instance, dialogs, kJapaneseCodePage, [&] { built = true; }), 1);
  EXPECT_FALSE(built);
  EXPECT_TRUE(dialogs.errors.empty());
  EXPECT_EQ(instance.steps, std::vector<std::string>{"open TAMIRU"});
}

TEST(StartupTest, NormalRunTakesTheMutexRunsAndReleasesIt) {
  RecordingInstance instance(false);
  testing_support::RecordingDialogs dialogs;
  EXPECT_EQ(RunProgram(instance, dialogs, kJapaneseCodePage, [&] { instance.steps.push_back("run"); }), 0);
  EXPECT_EQ(instance.steps, (std::vector<std::string>{"open TAMIRU", "create TAMIRU", "run", "release"}));
}

TEST(StartupTest, ErrorDuringConstructionIsShownThenTheProgramEndsNormally) {
  RecordingInstance instance(false);
  testing_support::RecordingDialogs dialogs;
  const int code = RunProgram(instance, dialogs, kJapaneseCodePage, [] { throw FileOpenError("C:\\t\\friendlist.txt"); });
  EXPECT_EQ(code, 0);
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].title, "Tamiru");
  EXPECT_EQ(dialogs.errors[0].message, "ファイル C:\\t\\friendlist.txt は開けません.");
  EXPECT_EQ(dialogs.errors[0].owner, platform::kNoWindow);
  EXPECT_EQ(instance.steps.back(), "release");
}

// Another code page: one warning, in UTF-16 so that it reads on any
// system, saying what to set; then the program goes on as usual.
TEST(StartupTest, OtherCodePageWarnsOnceAndGoesOn) {
  for (const unsigned code_page : {65001u, 1252u}) {
    RecordingInstance instance(false);
    testing_support::RecordingDialogs dialogs;
    EXPECT_EQ(RunProgram(instance, dialogs, code_page, [&] { instance.steps.push_back("run"); }), 0);
    ASSERT_EQ(dialogs.wide_warnings.size(), 1u);
    EXPECT_EQ(dialogs.wide_warnings[0], CodePageWarningText(code_page));
    for (const std::u16string part : {u"日本語 (日本)", u"Japanese (Japan)", u"UTF-8"}) {
      EXPECT_NE(dialogs.wide_warnings[0].find(part), std::u16string::npos);
    }
    EXPECT_NE(dialogs.wide_warnings[0].find(code_page == 65001 ? u"65001" : u"1252"), std::u16string::npos);
    EXPECT_EQ(instance.steps, (std::vector<std::string>{"open TAMIRU", "create TAMIRU", "run", "release"}));
  }
  RecordingInstance instance(false);
  testing_support::RecordingDialogs dialogs;
  RunProgram(instance, dialogs, kJapaneseCodePage, [] {});
  EXPECT_TRUE(dialogs.wide_warnings.empty());
}

}  // namespace
}  // namespace tamiru::app
