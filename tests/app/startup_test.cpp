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
  EXPECT_EQ(RunProgram(instance, dialogs, [&] { built = true; }), 1);
  EXPECT_FALSE(built);
  EXPECT_TRUE(dialogs.errors.empty());
  EXPECT_EQ(instance.steps, std::vector<std::string>{"open TAMIRU"});
}

TEST(StartupTest, NormalRunTakesTheMutexRunsAndReleasesIt) {
  RecordingInstance instance(false);
  testing_support::RecordingDialogs dialogs;
  EXPECT_EQ(RunProgram(instance, dialogs, [&] { instance.steps.push_back("run"); }), 0);
  EXPECT_EQ(instance.steps, (std::vector<std::string>{"open TAMIRU", "create TAMIRU", "run", "release"}));
}

TEST(StartupTest, ErrorDuringConstructionIsShownThenTheProgramEndsNormally) {
  RecordingInstance instance(false);
  testing_support::RecordingDialogs dialogs;
  const int code = RunProgram(instance, dialogs, [] { throw FileOpenError("C:\\t\\friendlist.txt"); });
  EXPECT_EQ(code, 0);
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].title, "Tamiru");
  EXPECT_EQ(dialogs.errors[0].message, "ファイル C:\\t\\friendlist.txt は開けません.");
  EXPECT_EQ(dialogs.errors[0].owner, platform::kNoWindow);
  EXPECT_EQ(instance.steps.back(), "release");
}

}  // namespace
}  // namespace tamiru::app
