#include "chatlog/notices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamiru::chatlog {
namespace {

TEST(ArrivingFriend, OnlyAWholeNoticeLineOfAListedName) {
  const std::vector<std::string> friends{"aaa", "表", "ソフト"};
  struct Case {
    const char* line;
    std::optional<std::string> name;
  };
  const Case cases[] = {
      {"aaa：<<接続>>\r\n", "aaa"},
      {"表：<<接続>>", "表"},  // "表" ends in the byte of "\"
      {"ソフト：<<接続>>\n", "ソフト"},
      {"aa：<<接続>>\r\n", std::nullopt},   // a prefix of a friend's name
      {"aaaa：<<接続>>\r\n", std::nullopt},  // a friend's name as a prefix
      {"zzz：<<接続>>\r\n", std::nullopt},   // not a friend
      {"ccc>aaa：<<接続>>\r\n", std::nullopt},  // inside a chat message
      {"aaa：<<接続>> です\r\n", std::nullopt},
      {"：<<接続>>\r\n", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ArrivingFriend(c.line, friends), c.name) << c.line;
}

TEST(BalloonText, LineAsTheChatShowedItCutAtACharacterBoundary) {
  EXPECT_EQ(BalloonText("aaa\t>ロン\r\n"), "aaa >ロン");
  EXPECT_EQ(FriendArrivalText("表"), "表 さんが接続しました");
  const std::string long_line = "a" + std::string(200, 'x') + std::string(40, '\x82') + "\r\n";  // lead bytes
  std::string kana = "a>";
  while (kana.size() < 300) kana += "ア";
  const std::string cut = BalloonText(kana);
  EXPECT_LE(cut.size(), kBalloonTextBytes);
  EXPECT_EQ(cut.size() % 2, 0u) << "a double-byte character is never split";
  EXPECT_LE(FriendArrivalText(std::string(300, 'n')).size(), kBalloonTextBytes);
  EXPECT_LE(BalloonText(long_line).size(), kBalloonTextBytes);
}

// Notices faster than a balloon shows are gathered into one, due as soon
// as the showing one has had its time; a quiet gate shows at once.
TEST(BalloonGate, GathersFastNoticesIntoOne) {
  BalloonGate gate(5000);
  EXPECT_EQ(gate.Offer("one", 1000), "one");
  EXPECT_EQ(gate.Offer("two", 2000), std::nullopt);
  EXPECT_EQ(gate.Offer("three", 3000), std::nullopt);
  EXPECT_EQ(gate.Due(4000), std::nullopt);
  EXPECT_EQ(gate.Due(6000), "three\n他 1 件");
  EXPECT_EQ(gate.Due(20000), std::nullopt);
  EXPECT_EQ(gate.Offer("four", 20000), "four");
  EXPECT_EQ(gate.Offer("five", 26000), "five") << "after the showing one's time: at once";
  BalloonGate wrapping(5000);
  EXPECT_EQ(wrapping.Offer("a", 0xFFFFF000u), "a");
  EXPECT_EQ(wrapping.Offer("b", 0x00000100u), std::nullopt) << "the tick count wrapped 4.4 s later";
  EXPECT_EQ(wrapping.Due(0x00001000u), "b");
}

}  // namespace
}  // namespace tamiru::chatlog
