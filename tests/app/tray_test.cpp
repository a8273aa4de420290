// The main window's notification-area icon: the four switches in the system
// menu and the icon's menu, minimising there, and the balloons of the chat
// capture's notices.
#include <filesystem>

#include "form_fixture.h"
#include "platform/fake/fake_listview.h"
#include "platform/fake/fake_notification_area.h"

namespace tamiru::testing_support {
namespace {

using platform::fake::FakeNotificationArea;
using platform::fake::FakeViewFormHost;

constexpr int kIconSwitch = 0x0130, kNotifySwitch = 0x0140, kFriendSwitch = 0x0150, kMinimizeSwitch = 0x0160;

class TrayTest : public FormTest {
 protected:
  // The log files lie in the current directory: the test's folder.
  TrayTest() : previous_dir_(std::filesystem::current_path()) {
    std::filesystem::current_path(std::filesystem::path(folder.File("")));
  }
  ~TrayTest() override {
    form.reset();  // before the notification area it works on
    std::filesystem::current_path(previous_dir_);
  }

  void Open(const std::string& tamiru = {}, const std::string& setting = {}, const std::string& friends = {},
            const std::string& keywords = {}) {
    WriteIni(setting + (tamiru.empty() ? "" : "[Tamiru]\r\n" + tamiru));
    WriteLists(friends, {}, keywords);
    form = std::make_unique<app::TForm1>(tray_services);
  }
  bool Checked(int id) const {
    const auto* item = main_host.SystemMenuItem(id);
    return item != nullptr && item->checked;
  }
  int MenuIdOf(const std::string& caption) const {
    for (const auto& item : tray.OpenMenu()) {
      if (item.caption == caption) return item.id;
    }
    return -1;
  }

  FakeViewFormHost main_host{loop, 0x7001, {472, 277}};
  platform::fake::FakeViewFormFactory view_forms{loop};
  FakeNotificationArea tray;
  app::FormServices tray_services{desktop, loop, input, shell, sound, dialogs, main_host, still_screen, view_forms,
                                  tray};

 private:
  std::filesystem::path previous_dir_;
};

TEST_F(TrayTest, SwitchesStandInBothMenusAndGoToTheTamiruSection) {
  Open();
  // The icon is there by default, the others off; the four items follow the
  // history and log search items, one group below one separator, and the
  // client check comes last.
  ASSERT_EQ(tray.adds, std::vector<std::string>{"Tamiru"});
  std::vector<int> ids;
  for (const auto& item : main_host.system_menu) ids.push_back(item.id);
  EXPECT_EQ(ids, (std::vector<int>{0x0110, 0x0120, kIconSwitch, kNotifySwitch, kFriendSwitch, kMinimizeSwitch, 0x0170}));
  EXPECT_FALSE(main_host.system_menu[2].same_group);
  EXPECT_TRUE(main_host.system_menu[3].same_group && main_host.system_menu[5].same_group);
  EXPECT_EQ(main_host.system_menu[4].caption, "友達の接続を知らせる");
  EXPECT_TRUE(Checked(kIconSwitch));
  EXPECT_FALSE(Checked(kNotifySwitch) || Checked(kFriendSwitch) || Checked(kMinimizeSwitch));

  std::vector<std::string> captions;
  for (const auto& item : tray.OpenMenu()) captions.push_back(item.id == 0 ? "-" : item.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{"表示(&S)", "対戦履歴(&H)...", "-", "通知領域にアイコン", "通知を表示",
                                                "友達の接続を知らせる", "最小化で通知領域へ", "-", "終了(&X)"}));

  // Each turned on from one menu shows checked in both.
  ASSERT_TRUE(main_host.ChooseSystemMenu(kNotifySwitch));
  ASSERT_TRUE(tray.Choose(kFriendSwitch));
  ASSERT_TRUE(main_host.ChooseSystemMenu(kMinimizeSwitch));
  EXPECT_TRUE(Checked(kNotifySwitch) && Checked(kFriendSwitch) && Checked(kMinimizeSwitch));
  for (const auto& item : tray.OpenMenu()) {
    if (item.checkable) {
      EXPECT_TRUE(item.checked) << item.caption;
    }
  }
  // The friend notice alone keeps Timer2 running.
  EXPECT_TRUE(form->Timer2->IsEnabled());

  // Off, the icon goes (and a hidden window comes back); on, it comes again.
  main_host.hidden = true;
  tray.Choose(kIconSwitch);
  EXPECT_EQ(tray.removes, 1);
  EXPECT_FALSE(main_host.hidden);
  EXPECT_FALSE(Checked(kIconSwitch));
  main_host.ChooseSystemMenu(kIconSwitch);
  EXPECT_EQ(tray.adds.size(), 2U);

  // The icon menu's 終了 is the window's close: the INI gets both sections.
  tray.Choose(kIconSwitch);
  main_host.ChooseSystemMenu(kIconSwitch);
  ASSERT_TRUE(tray.Choose(MenuIdOf("終了(&X)")));
  EXPECT_EQ(main_host.Handle(), platform::kNoWindow);
  const std::string ini = folder.Read("tamiru.INI");
  EXPECT_NE(ini.find("\r\n[Tamiru]\r\nTrayIcon=1\r\nNotify=1\r\nFriendNotice=1\r\nMinimizeToTray=1\r\n"),
            std::string::npos)
      << ini;
  EXPECT_LT(ini.find("Keyword="), ini.find("[Tamiru]"));
}

TEST_F(TrayTest, IconMenuShowsTheWindowAndOpensTheHistory) {
  Open();
  tray.DoubleClick();
  EXPECT_EQ(main_host.brought_to_front, 1);
  ASSERT_TRUE(tray.Choose(MenuIdOf("表示(&S)")));
  EXPECT_EQ(main_host.brought_to_front, 2);
  ASSERT_TRUE(tray.Choose(MenuIdOf("対戦履歴(&H)...")));
  ASSERT_EQ(view_forms.owned_options.size(), 1U);
  EXPECT_EQ(view_forms.owned_options[0].class_name, "TForm3");
}

// Minimising hides the window only with the switch on and the icon there to
// bring it back.
TEST_F(TrayTest, MinimiseGoesToTheNotificationAreaOnlyWithTheIcon) {
  struct Case {
    const char* tamiru;
    bool hidden;
  };
  for (const Case& c : {Case{"", false}, Case{"MinimizeToTray=1\r\n", true},
                        Case{"MinimizeToTray=1\r\nTrayIcon=0\r\n", false}}) {
    SCOPED_TRACE(c.tamiru);
    main_host.hidden = false;
    Open(c.tamiru);
    main_host.Minimise();
    EXPECT_EQ(main_host.hidden, c.hidden);
    if (c.hidden) {
      tray.DoubleClick();
      EXPECT_FALSE(main_host.hidden || main_host.minimised);
    }
    form.reset();
    EXPECT_FALSE(tray.HasIcon());  // the program's end takes it away
  }
}

TEST_F(TrayTest, FriendsAndKeywordHitsBecomeBalloonsGatheredWhenTheyComeFast) {
  Open("Notify=1\r\nFriendNotice=1\r\n", "Keyword=1\r\nSaveChatLogTimeInterval=3\r\n", "友達\r\n", "ロン\r\n");
  const auto room = desktop.CreateWaitingRoom();
  desktop.SetText(room.chat_view, "他人：<<接続>>\r\n");
  loop.Advance(3000);
  EXPECT_TRUE(tray.balloons.empty());
  EXPECT_TRUE(sound.played.empty());

  // Within one capture interval: the sound and the balloon.
  desktop.AppendLine(room.chat_view, "友達：<<接続>>");
  loop.Advance(3000);
  ASSERT_EQ(tray.balloons.size(), 1U);
  EXPECT_EQ(tray.balloons[0].title, "友達の接続");
  EXPECT_EQ(tray.balloons[0].text, "友達 さんが接続しました");
  EXPECT_EQ(sound.played.size(), 1U);

  // Two hits while that balloon shows: gathered into one, out once it is due.
  desktop.AppendLine(room.chat_view, "太郎\t>ロン1");
  desktop.AppendLine(room.chat_view, "花子\t>ロン2");
  loop.Advance(1000);
  EXPECT_EQ(tray.balloons.size(), 1U);
  loop.Advance(4000);
  ASSERT_EQ(tray.balloons.size(), 2U);
  EXPECT_EQ(tray.balloons[1].title, "キーワード");
  EXPECT_EQ(tray.balloons[1].text, "花子 >ロン2\n他 1 件");
  EXPECT_EQ(sound.played.size(), 3U);  // the hits sound as ever
  EXPECT_FALSE(form->Windows.Balloons.DueTimer->IsEnabled());
}

}  // namespace
}  // namespace tamiru::testing_support
