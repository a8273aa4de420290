// The client check on the simulated desktop: the client of the contract
// gives every row "OK" and gets nothing but reads; each way a client or a
// file departs from it shows in its row; the window opens from the system
// menu and copies the report, chat left out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/client_check.h"
#include "app/client_check_window.h"
#include "platform/fake/fake_listview.h"
#include "tests/app/form_fixture.h"
#include "tests/stats/score_test_util.h"

namespace tamiru::app {
namespace {

using platform::fake::ControlKind;
namespace integrity = platform::integrity;

class ClientCheckTest : public testing_support::FormTest {
 protected:
  // Tamiru's files as a first start leaves them, the client's folder (a
  // path that auto-connect's "\MJ.exe" rule reads on this system too) and
  // every window of the client standing as the contract says. The program
  // folder too is named so that a Windows path's rules find it here.
  ClientCheckTest() {
    shell.SetExecutablePath(folder.File("prog") + "\\tamiru.exe");
    client_folder = folder.File("client");
    std::string ini = "[Setting]\r\nUserName1=me\r\nMacro=1\r\nFile4=" + client_folder + "\\mjscore.txt\r\n";
    const char* keys[] = {"File1", "File2", "File3", "File5", "File6"};
    const char* names[] = {"friendlist.txt", "ignorelist.txt", "chatlist.txt", "keyword.txt", "macro.txt"};
    for (int i = 0; i < 5; ++i) ini += std::string(keys[i]) + "=" + folder.File(names[i]) + "\r\n";
    folder.Write("prog\\tamiru.INI", ini);
    WriteLists("aaa\r\n", "", "", "70 0 1 0 /Where <all> \r\n");
    for (const char* file : {"ignorelist.txt", "prog\\call.wav", "prog\\TamiruHelp.html", "client\\MJ.exe"}) {
      folder.Write(file, "x");
    }
    folder.Write("client\\mjscore.txt",
                 stats::testing::WithCrLf(stats::testing::Game({"aaa", "me", "ccc", "ddd"},
                                                               {{1, "me", 40}, {2, "aaa", 10}, {3, "ccc", -15},
                                                                {4, "ddd", -35}})));
    table = desktop.CreateGameMainWindow("東風荘 5卓");
    room = desktop.CreateWaitingRoom("東風荘 待合室 - me");
    desktop.SetItems(room.room_selector, {"ランキング卓", "一般卓"});
    desktop.SetItems(room.table_list, {"64卓 東風戦 プレイ中"});
    desktop.AppendLine(table.chat_view, "aaa>秘密の話");
    tops = {table.window, room.window, desktop.CreateConnectDialog().window,
            desktop.CreateMessageDialog("エラー").window, desktop.CreateMessageDialog("観戦失敗").window};
    for (const platform::WindowHandle top : tops) {
      desktop.program_paths[top] = "C:\\MjTonpu\\MJ.exe";
      desktop.integrity_levels[top] = integrity::kMedium;
    }
  }

  std::vector<CheckRow> Check() {
    if (!form) Build();
    return RunClientCheck({services, form->Settings, form->paths()});
  }
  static const CheckRow* Find(const std::vector<CheckRow>& rows, const std::string& item) {
    for (const CheckRow& row : rows) {
      if (row.item == item) return &row;
    }
    return nullptr;
  }

  // What the cases below change.
 public:
  using FormTest::desktop;
  using FormTest::folder;
  using FormTest::shell;
  std::string client_folder;
  platform::fake::GameMainWindows table;
  platform::fake::WaitingRoomWindows room;
  std::vector<platform::WindowHandle> tops;
};

TEST_F(ClientCheckTest, TheClientOfTheContractIsOkInEveryRowAndOnlyRead) {
  const std::vector<CheckRow> rows = Check();
  ASSERT_GT(rows.size(), 40U);
  for (const CheckRow& row : rows) {
    EXPECT_EQ(row.result, CheckResult::kOk) << row.item << ": " << row.detail;
  }
  EXPECT_EQ(Find(rows, "チャットの読み取り")->detail, "卓のチャット表示から 12 バイト, 1 行");
  EXPECT_EQ(Find(rows, "待合室 子 1 部屋の選択")->detail, "ComboBox, コンボボックス, 項目 2");
  EXPECT_EQ(Find(rows, "成績ファイルの記録")->detail, "東風戦 1, 東南戦 0, 三人打ち 0 (me の試合)");
  EXPECT_EQ(Find(rows, "MJ.exe (自動接続)")->detail, client_folder + "\\MJ.exe");

  // Reads only, each sent (never posted), and no window brought forward.
  const std::set<unsigned> reads{platform::msg::kGetText,          platform::msg::kGetTextLength,
                                 platform::msg::kEditGetLineCount, platform::msg::kEditLineLength,
                                 platform::msg::kComboGetCount,    platform::msg::kListGetCount};
  ASSERT_FALSE(desktop.Messages().empty());
  for (const platform::fake::RecordedMessage& message : desktop.Messages()) {
    EXPECT_EQ(message.kind, platform::fake::RecordedMessage::Kind::kSent);
    EXPECT_EQ(reads.count(message.message), 1U) << std::hex << message.message;
  }
}

struct Departure {
  const char* name;
  std::function<void(ClientCheckTest&)> change;
  std::string item;
  CheckResult result;
  std::string detail_holds;
};

void PrintTo(const Departure& departure, std::ostream* out) { *out << departure.name; }

// Each case: a change to the client of the contract (or to Tamiru's files
// and system), and the row it shows in.
const std::vector<Departure> kDepartures{
      {"a static where the table's chat view stands",
       [](ClientCheckTest& t) {
         t.desktop.Destroy(t.table.window);
         const auto w = t.desktop.CreateTopLevel("KatuGameMjMain", "東風荘 5卓");
         t.desktop.CreateChild(w, ControlKind::kStatic, "盤");
         t.desktop.CreateChild(w, ControlKind::kSingleLineEdit);
       },
       "卓のウィンドウ 子 0 チャット表示", CheckResult::kFailed, "Static: テキストの欄ではない"},
      {"a single-line edit as the room's chat view",
       [](ClientCheckTest& t) { t.desktop.styles[t.room.chat_view] = 0x50000000; },
       "待合室 子 3 チャット表示", CheckResult::kFailed, "ES_MULTILINE がない"},
      {"a room with six children",
       [](ClientCheckTest& t) {
         for (int n = 12; n >= 6; --n) t.desktop.Destroy(t.room.child[n]);
       },
       "待合室 の子ウィンドウ", CheckResult::kFailed, "6 個: 子 12 まで使う"},
      {"a room with six children has no spectate button",
       [](ClientCheckTest& t) {
         for (int n = 12; n >= 6; --n) t.desktop.Destroy(t.room.child[n]);
       },
       "待合室 子 10 観戦ボタン", CheckResult::kFailed, "ない (子は 6 個)"},
      {"a hung room", [](ClientCheckTest& t) { t.desktop.SetHung(t.room.window, true); }, "待合室",
       CheckResult::kFailed, "応答なし"},
      {"a hung room's controls are not asked", [](ClientCheckTest& t) { t.desktop.SetHung(t.room.window, true); },
       "待合室 子 5 チャット入力", CheckResult::kNotChecked, "ウィンドウが応答しない"},
      {"a hung room leaves the dialogs after it unasked",
       [](ClientCheckTest& t) { t.desktop.SetHung(t.room.window, true); }, "接続ダイアログ", CheckResult::kFailed,
       "応答を待たない (クライアントがほかのウィンドウで応答しなかった): クラス #32770"},
      {"a hung table list", [](ClientCheckTest& t) { t.desktop.SetHung(t.room.table_list, true); },
       "待合室 子 2 卓の一覧", CheckResult::kFailed, "応答なし (ListBox)"},
      {"the controls after a hung one wait for nothing",
       [](ClientCheckTest& t) { t.desktop.SetHung(t.room.table_list, true); }, "待合室 子 3 チャット表示",
       CheckResult::kNotChecked, "応答しない"},
      {"a client run as administrator",
       [](ClientCheckTest& t) { t.desktop.integrity_levels[t.table.window] = integrity::kHigh; }, "卓のウィンドウ",
       CheckResult::kFailed, "整合性 高 (0x3000): Tamiru (中 (0x2000)) より高い"},
      {"no client at all",
       [](ClientCheckTest& t) {
         for (const auto top : t.tops) t.desktop.Destroy(top);
       },
       "ゲームクライアント", CheckResult::kFailed, "見つからない"},
      {"no client: no room", [](ClientCheckTest& t) {
         for (const auto top : t.tops) t.desktop.Destroy(top);
       },
       "待合室", CheckResult::kNotChecked, "待合室が開いていない"},
      {"no client: no chat", [](ClientCheckTest& t) {
         for (const auto top : t.tops) t.desktop.Destroy(top);
       },
       "チャットの読み取り", CheckResult::kNotChecked, "卓も待合室も開いていない"},
      {"the score file only under Program Files (x86)",
       [](ClientCheckTest& t) {
         std::filesystem::rename(t.folder.File("client\\mjscore.txt"), t.folder.File("x86\\mjscore.txt"));
         t.shell.installed[t.client_folder + "\\mjscore.txt"] = t.folder.File("x86") + "\\mjscore.txt";
       },
       "成績ファイル", CheckResult::kOk, "x86\\mjscore.txt (Program Files (x86)), "},
      {"no score file", [](ClientCheckTest& t) { std::filesystem::remove(t.folder.File("client\\mjscore.txt")); },
       "成績ファイル", CheckResult::kFailed, "見つからない: File4 = "},
      {"a read-only friend list",
       [](ClientCheckTest& t) {
         std::filesystem::permissions(t.folder.File("friendlist.txt"), std::filesystem::perms::owner_read);
       },
       "友達リスト (File1)", CheckResult::kFailed, "書き込めない"},
      {"a list file under Program Files with a VirtualStore copy",
       [](ClientCheckTest& t) {
         t.shell.virtual_store[t.folder.File("keyword.txt")] = t.folder.File("chatlist.txt");
       },
       "キーワード (File5)", CheckResult::kCaution, "Program Files の下, VirtualStore に別の写しがある"},
      {"a macro line the strict parser refuses",
       [](ClientCheckTest& t) { t.folder.Write("macro.txt", "70 0 1 0 /Where <all> \r\nzz 0 0 0 /l\r\n"); },
       "マクロの行", CheckResult::kCaution, "2 行, 読めない行 1: 2"},
      {"another code page", [](ClientCheckTest& t) { t.shell.facts.code_page = 65001; }, "コードページ",
       CheckResult::kFailed, "65001: 日本語 (932) ではない"},
};

class ClientCheckDeparture : public ClientCheckTest, public ::testing::WithParamInterface<Departure> {};

TEST_P(ClientCheckDeparture, ShowsInItsRow) {
  const Departure& departure = GetParam();
  departure.change(*this);
  const std::vector<CheckRow> rows = Check();
  const CheckRow* row = Find(rows, departure.item);
  ASSERT_NE(row, nullptr) << departure.item;
  EXPECT_EQ(row->result, departure.result) << row->detail;
  EXPECT_NE(row->detail.find(departure.detail_holds), std::string::npos) << row->detail;
}

INSTANTIATE_TEST_SUITE_P(Cases, ClientCheckDeparture, ::testing::ValuesIn(kDepartures),
                         [](const ::testing::TestParamInfo<Departure>& tested) { return std::to_string(tested.index); });

class ClientCheckWindowTest : public ClientCheckTest {
 protected:
  platform::fake::FakeViewFormHost main_host{loop, 0x7001, {472, 277}};
  platform::fake::FakeViewFormFactory view_forms{loop};
  FormServices view_services{desktop, loop, input, shell, sound, dialogs, main_host, still_screen, view_forms};
};

TEST_F(ClientCheckWindowTest, OpensFromTheSystemMenuChecksAgainOnAskingAndCopiesTheReportWithoutTheChat) {
  form = std::make_unique<TForm1>(view_services);
  ASSERT_GE(main_host.system_menu.size(), 2U);  // the last item
  EXPECT_EQ(main_host.system_menu.back().id, 0x0170);
  EXPECT_EQ(main_host.system_menu.back().caption, "クライアント診断(&D)...");
  EXPECT_FALSE(main_host.system_menu.back().same_group);
  ASSERT_TRUE(main_host.ChooseSystemMenu(kClientCheckMenuId));
  ASSERT_EQ(view_forms.owned.size(), 1U);
  const platform::WindowOptions& options = view_forms.owned_options.back();
  EXPECT_EQ(options.class_name, "TForm5");
  EXPECT_EQ(options.caption, "クライアント診断");
  EXPECT_TRUE(options.resizable);
  platform::fake::FakeViewFormHost* window = view_forms.owned.back();
  platform::fake::FakeListView* list = window->List("ListView1");
  ASSERT_GT(list->RowCount(), 40);
  EXPECT_EQ(list->Cell(0, 0), "Windows");
  EXPECT_EQ(list->Cell(0, 1), "OK");

  // Opened again from the menu: the same window, not checked again.
  const std::size_t sent = desktop.Messages().size();
  ASSERT_TRUE(main_host.ChooseSystemMenu(kClientCheckMenuId));
  EXPECT_EQ(view_forms.owned.size(), 1U);
  EXPECT_EQ(desktop.Messages().size(), sent);

  // "再確認" sees the client as it is now.
  for (const auto top : tops) desktop.Destroy(top);
  TForm5& check = *form->Windows.ClientCheck.Form;
  check.Button1Click();
  const auto client = std::find_if(check.Rows().begin(), check.Rows().end(),
                                   [](const CheckRow& row) { return row.item == "ゲームクライアント"; });
  ASSERT_NE(client, check.Rows().end());
  EXPECT_EQ(client->result, CheckResult::kFailed);
  EXPECT_EQ(list->RowCount(), static_cast<int>(check.Rows().size()));

  check.Button2Click();
  ASSERT_EQ(shell.copied.size(), 1U);
  const std::string& report = shell.copied[0];
  EXPECT_EQ(report.rfind("Tamiru Ver1.52 クライアント診断 ", 0), 0U) << report;
  EXPECT_NE(report.find("\r\n[OK] Windows: 10.0.19045, 64 ビット\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("\r\n[NG] ゲームクライアント: 見つからない"), std::string::npos);
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), static_cast<long>(check.Rows().size()) + 1);
  EXPECT_EQ(report.find("秘密"), std::string::npos);

  check.Button3Click();
  EXPECT_FALSE(form->Windows.ClientCheck.IsOpen());
}

}  // namespace
}  // namespace tamiru::app
