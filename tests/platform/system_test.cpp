// The portable rules under the Win32 layer's system facts: which physical
// mouse button is read, which copy of a file under Program Files is read,
// and when a client of higher integrity is told of.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system.h"
#include "platform/window_system.h"

namespace tamiru::platform {
namespace {

TEST(PhysicalKeyOf, SwappedButtonsExchangeOnlyTheTwoButtons) {
  struct Case {
    int key;
    bool swapped;
    int physical;
  };
  for (const Case& c : {Case{0x01, false, 0x01}, Case{0x01, true, 0x02}, Case{0x02, true, 0x01},
                        Case{0x04, true, 0x04}, Case{0x70, true, 0x70}}) {
    EXPECT_EQ(PhysicalKeyOf(c.key, c.swapped), c.physical) << c.key << " " << c.swapped;
  }
}

TEST(VirtualStorePath, OnlyBelowAProgramFilesFolderWhateverTheLetterCase) {
  const std::vector<std::string> folders{"C:\\Program Files", "C:\\Program Files (x86)\\", ""};
  const std::string local = "C:\\Users\\u\\AppData\\Local";
  const std::string store = local + "\\VirtualStore";
  struct Case {
    const char* path;
    std::optional<std::string> copy;
  };
  for (const Case& c : {
           Case{"C:\\Program Files\\Game\\mjscore.txt", store + "\\Program Files\\Game\\mjscore.txt"},
           Case{"c:\\program files (x86)\\Game\\mjscore.txt", store + "\\program files (x86)\\Game\\mjscore.txt"},
           Case{"C:\\Program Files Old\\mjscore.txt", std::nullopt},
           Case{"C:\\Program Files", std::nullopt},
           Case{"C:\\Program Files\\", std::nullopt},
           Case{"D:\\Program Files\\Game\\mjscore.txt", std::nullopt},
           Case{"mjscore.txt", std::nullopt},
       }) {
    EXPECT_EQ(VirtualStorePath(c.path, folders, local + "\\"), c.copy) << c.path;
  }
  EXPECT_EQ(VirtualStorePath("C:\\Program Files\\a.txt", folders, ""), std::nullopt);
}

TEST(ProgramFilesX86Twin, TheSamePathUnderTheThirtyTwoBitProgramsFolder) {
  struct Case {
    const char* path;
    const char* x86;  // ProgramFiles(x86); empty on 32-bit Windows
    std::optional<std::string> twin;
  };
  for (const Case& c : {
           Case{"C:\\Program Files\\MjTonpu\\mjscore.txt", "C:\\Program Files (x86)",
                "C:\\Program Files (x86)\\MjTonpu\\mjscore.txt"},
           Case{"c:\\program files\\MjTonpu\\mjscore.txt", "C:\\Program Files (x86)\\",
                "C:\\Program Files (x86)\\MjTonpu\\mjscore.txt"},
           Case{"C:\\Program Files (x86)\\MjTonpu\\mjscore.txt", "C:\\Program Files (x86)", std::nullopt},
           Case{"D:\\Games\\mjscore.txt", "C:\\Program Files (x86)", std::nullopt},
           Case{"C:\\Program Files\\MjTonpu\\mjscore.txt", "", std::nullopt},
           Case{"C:\\Program Files\\MjTonpu\\mjscore.txt", "C:\\Program Files", std::nullopt},
       }) {
    EXPECT_EQ(ProgramFilesX86Twin(c.path, "C:\\Program Files", c.x86), c.twin) << c.path << " " << c.x86;
  }
}

TEST(VirtualStorePath, TrailBytesOfTheFolderCompareExactly) {
  // "プ" is 0x83 0x76 ('v'): the trail byte must not match 'V' without case.
  const std::vector<std::string> folders{"C:\\\x83\x76"};
  EXPECT_TRUE(VirtualStorePath("C:\\\x83\x76\\a.txt", folders, "L").has_value());
  EXPECT_FALSE(VirtualStorePath("C:\\\x83\x56\\a.txt", folders, "L").has_value());
}

TEST(PreferVirtualStoreCopy, TheCopyWhenItIsNewerOrTheOnlyOne) {
  EXPECT_TRUE(PreferVirtualStoreCopy(100, 200));
  EXPECT_TRUE(PreferVirtualStoreCopy(std::nullopt, 1));
  EXPECT_FALSE(PreferVirtualStoreCopy(200, 200));
  EXPECT_FALSE(PreferVirtualStoreCopy(200, 100));
  EXPECT_FALSE(PreferVirtualStoreCopy(200, std::nullopt));
  EXPECT_FALSE(PreferVirtualStoreCopy(std::nullopt, std::nullopt));
}

TEST(ElevatedTargetWatch, ToldOnceAtTheFirstTargetAboveThisProgram) {
  constexpr std::uint32_t kMedium = 0x2000, kHigh = 0x3000, kSystem = 0x4000;
  ElevatedTargetWatch medium;
  EXPECT_FALSE(medium.FirstOutranking(kMedium, kMedium));
  EXPECT_FALSE(medium.FirstOutranking(0x1000, kMedium));
  EXPECT_TRUE(medium.FirstOutranking(kHigh, kMedium));
  EXPECT_FALSE(medium.FirstOutranking(kHigh, kMedium));
  EXPECT_FALSE(medium.FirstOutranking(kSystem, kMedium));
  EXPECT_FALSE(medium.FirstRefusal()) << "one message a run, whichever sign came first";
  ElevatedTargetWatch elevated;
  EXPECT_FALSE(elevated.FirstOutranking(kHigh, kHigh));
  EXPECT_TRUE(elevated.FirstOutranking(kSystem, kHigh));
  ElevatedTargetWatch refused;
  EXPECT_TRUE(refused.FirstRefusal());
  EXPECT_FALSE(refused.FirstOutranking(kHigh, kMedium));
  EXPECT_TRUE(refused.Told());
}

}  // namespace
}  // namespace tamiru::platform
