// The match history window on in-memory controls: opened from the main
// window's system menu, it shows the kind of TableType, changes kind from
// what it read, sorts by a header, reads the file again by itself keeping
// the sort and the selection, and a double click reports into ComboBox1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/history_chart.h"
#include "app/history_window.h"
#include "app/main_window.h"
#include "platform/fake/fake_listview.h"
#include "stats/score_report.h"
#include "tests/app/form_fixture.h"
#include "tests/stats/score_test_util.h"

namespace tamiru::app {
namespace {

namespace score = stats::testing;

class SavingDialogs : public testing_support::RecordingDialogs {
 public:
  std::optional<FileDialogResult> ShowSaveDialog(platform::WindowHandle, const FileDialogRequest& request) override {
    requests.push_back(request);
    if (path.empty()) return std::nullopt;
    return FileDialogResult{path, 1};
  }
  std::string path;
  std::vector<FileDialogRequest> requests;
};

std::string Games() {
  const std::vector<std::string> seats{"aaa", "me", "ccc", "ddd"};
  return score::WithCrLf(
      score::Game(seats, {{1, "me", 40}, {2, "aaa", 10}, {3, "ccc", -15}, {4, "ddd", -35}}) +
      score::Game(seats, {{1, "aaa", 30}, {2, "ccc", 0}, {3, "me", -10}, {4, "ddd", -20}}) +
      score::Game({"bbb", "me", "ccc", "ddd"}, {{1, "bbb", 50}, {2, "ddd", 0}, {3, "ccc", -20}, {4, "me", -30}}) +
      score::Game(seats, {{1, "ddd", 50}, {2, "me", 0}, {3, "ccc", -20}, {4, "aaa", -30}}, "東南戦"));
}

class HistoryWindowTest : public testing_support::FormTest {
 protected:
  void Open(const std::string& extra_ini = "TableType=0\r\n") {
    WriteIni("UserName2=me\r\n" + extra_ini);
    WriteLists();
    folder.Write("mjscore.txt", Games());
    form = std::make_unique<TForm1>(view_services);
    ASSERT_FALSE(main_host.system_menu.empty());  // the history item first
    EXPECT_EQ(main_host.system_menu[0].id, 0x0110);
    EXPECT_EQ(main_host.system_menu[0].caption, "対戦履歴(&H)...");
    ASSERT_TRUE(main_host.ChooseSystemMenu(kHistoryMenuId));
    ASSERT_FALSE(view_forms.owned.empty());
    window = view_forms.owned.back();
    list = window->List("ListView1");
  }
  std::vector<std::string> Column(int column) const {
    std::vector<std::string> cells;
    for (int row = 0; row < list->RowCount(); ++row) cells.push_back(list->Cell(row, column));
    return cells;
  }

  platform::fake::FakeViewFormHost main_host{loop, 0x7001, {472, 277}};
  platform::fake::FakeViewFormFactory view_forms{loop};
  SavingDialogs saving;
  FormServices view_services{desktop, loop, input, shell, sound, saving, main_host, still_screen, view_forms};
  platform::fake::FakeViewFormHost* window = nullptr;
  platform::fake::FakeListView* list = nullptr;
};

TEST_F(HistoryWindowTest, OpensOnceFromTheSystemMenuOwnedByTheMainWindow) {
  Open();
  const platform::WindowOptions& options = view_forms.owned_options.back();
  EXPECT_EQ(options.class_name, "TForm3");
  EXPECT_EQ(options.caption, "対戦履歴");
  EXPECT_TRUE(options.resizable);
  EXPECT_GT(options.min_client_width, 0);
  EXPECT_EQ(view_forms.owners.back(), main_host.Handle());
  EXPECT_EQ(window->Find<platform::Label>("Label1")->Caption(),
            "試合数 3  1位 1 (33.3%)  2位 0 (0.0%)  3位 1 (33.3%)  4位 1 (33.3%)  平均順位 2.67  平均得点 0  合計得点 0");
  EXPECT_EQ(Column(0), (std::vector<std::string>{"ccc", "ddd", "aaa", "bbb"}));  // games, then name
  EXPECT_EQ(list->columns().size(), 9U);
  // Again: the open window comes to the front, no second one.
  const int fronts = window->brought_to_front;
  main_host.ChooseSystemMenu(kHistoryMenuId);
  EXPECT_EQ(view_forms.owned.size(), 1U);
  EXPECT_EQ(window->brought_to_front, fronts + 1);
  // Closed, it goes; the menu makes a new one.
  EXPECT_TRUE(window->Find<platform::Button>("Button3") != nullptr);
  window->Click("Button3");
  EXPECT_EQ(window->Handle(), platform::kNoWindow);
  main_host.ChooseSystemMenu(kHistoryMenuId);
  EXPECT_EQ(view_forms.owned.size(), 2U);
}

TEST_F(HistoryWindowTest, KindChangeRedrawsFromWhatWasRead) {
  Open("TableType=7\r\n");  // out of range: 東風戦
  EXPECT_TRUE(window->Find<platform::CheckBox>("RadioButton1")->IsChecked());
  std::filesystem::remove(folder.File("mjscore.txt"));
  window->Click("RadioButton2");
  EXPECT_EQ(Column(0), (std::vector<std::string>{"aaa", "ccc", "ddd"}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"1", "1", "0"}));
  EXPECT_EQ(window->Picture("PaintBox1")->picture().texts.back().text, kTooFewGames);
  window->Click("RadioButton3");
  EXPECT_EQ(window->Find<platform::Label>("Label1")->Caption(), "試合の記録がありません");
  EXPECT_EQ(list->RowCount(), 0);
  // Now the file is read again, and it is gone: the window says so and stays.
  window->Click("Button1");
  EXPECT_EQ(window->Find<platform::Label>("Label1")->Caption(), "ファイル " + folder.File("mjscore.txt") + " は開けません");
  EXPECT_TRUE(saving.errors.empty());
}

TEST_F(HistoryWindowTest, ANewGameShowsUpKeepingTheSortAndTheSelection) {
  Open();
  window->ClickHeader("ListView1", 2);  // 勝, ascending, equal ones by name
  EXPECT_EQ(Column(0), (std::vector<std::string>{"bbb", "aaa", "ccc", "ddd"}));
  window->ClickHeader("ListView1", 2);  // reversed
  EXPECT_EQ(Column(0), (std::vector<std::string>{"ddd", "aaa", "ccc", "bbb"}));
  list->SetSelectedIndex(1);  // aaa
  loop.Advance(kHistoryCheckMs);
  EXPECT_EQ(list->set_rows_calls(), 3);  // nothing changed: not read again
  // A game in which the user beats bbb: bbb now has a win.
  std::ofstream(folder.File("mjscore.txt"), std::ios::binary | std::ios::app)
      << score::WithCrLf(score::Game({"bbb", "me", "eee", "fff"},
                                     {{1, "me", 50}, {2, "bbb", 0}, {3, "eee", -20}, {4, "fff", -30}}));
  loop.Advance(kHistoryCheckMs);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"ddd", "aaa", "bbb", "ccc", "eee", "fff"}));
  EXPECT_EQ(list->Cell(list->SelectedIndex(), 0), "aaa");
  EXPECT_EQ(list->scrolled_to(), -1);  // the table stays where the user left it
}

TEST_F(HistoryWindowTest, DoubleClickPutsThePlayersReportIntoTheChatLine) {
  Open();
  ASSERT_TRUE(window->DblClickRow("ListView1", 2));  // aaa
  EXPECT_EQ(form->ComboBox1->Text(), stats::ScoreReportText(Games(), {{"", "me", ""}, "aaa", 0}));
  EXPECT_EQ(form->ComboBox1->Text(), "1勝1敗 平均順位2：1.5 平均得点15：20");
}

TEST_F(HistoryWindowTest, CsvOfTheTableAsShown) {
  Open();
  window->Click("Button2");  // cancelled: nothing written
  saving.path = folder.File("out.csv");
  window->Click("Button2");
  EXPECT_EQ(saving.requests.back().default_extension, "csv");
  const std::string csv = folder.Read("out.csv");
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "相手,対戦数,勝,敗,分,自分の平均順位,相手の平均順位,自分の平均得点,相手の平均得点");
  EXPECT_NE(csv.find("\r\nccc,3,1,2,0,2.67,2.67,0,-11.7\r\n"), std::string::npos) << csv;
}

// The box a text of the picture covers, in the fake's fixed-pitch font.
struct TextBox {
  int left, top, right, bottom;
};

TextBox BoxOf(const platform::PictureText& text, const platform::fake::FakePictureBox& font) {
  const platform::PicturePoint size = font.TextSize(text.text);
  const int left = text.right_aligned ? text.at.x - size.x : text.centred ? text.at.x - size.x / 2 : text.at.x;
  return {left, text.at.y, left + size.x, text.at.y + size.y};
}

// Every line and text of the chart inside the box and no two texts on each
// other, for fonts of other sizes (as a fallback face or another DPI's
// rounding gives), at the least and at a large window size, for short and
// long histories with large cumulative scores.
TEST_F(HistoryWindowTest, ChartTextsFitTheFontAtEverySize) {
  Open();
  auto* chart = window->Picture("PaintBox1");
  struct Case {
    int byte_width, text_height;
    platform::ClientPoint client;
    int games;
  };
  const Case cases[] = {{6, 12, {560, 380}, 2},   {6, 12, {560, 380}, 1234}, {8, 16, {560, 380}, 37},
                        {9, 18, {560, 380}, 987}, {6, 12, {1400, 900}, 1234}, {8, 16, {1400, 900}, 5}};
  for (const Case& c : cases) {
    stats::KindHistory history;
    for (int i = 0; i < c.games; ++i) history.trend.push_back({1 + i % 4, i % 4 == 3 ? -38000 : 1000});
    chart->byte_width = c.byte_width;
    chart->text_height = c.text_height;
    window->Resize(c.client);
    const platform::Picture picture = TrendPicture(history, 0, chart->Width(), chart->Height(),
                                                   [&](std::string_view text) { return chart->TextSize(text); });
    const std::string where = std::to_string(c.byte_width) + "/" + std::to_string(c.client.x) + "/" + std::to_string(c.games);
    EXPECT_GE(picture.texts.size(), 8U) << where;  // four legends, two ranks, a score, a game
    std::vector<TextBox> boxes;
    for (const auto& text : picture.texts) {
      const TextBox box = BoxOf(text, *chart);
      EXPECT_TRUE(box.left >= 0 && box.top >= 0 && box.right <= chart->Width() && box.bottom <= chart->Height())
          << where << " " << text.text;
      for (const TextBox& other : boxes) {
        const bool apart = box.right <= other.left || other.right <= box.left || box.bottom <= other.top ||
                           other.bottom <= box.top;
        EXPECT_TRUE(apart) << where << " " << text.text;
      }
      boxes.push_back(box);
    }
    for (const auto& line : picture.lines) {
      for (const auto& point : line.points) {
        EXPECT_TRUE(point.x >= 0 && point.x <= chart->Width() && point.y >= 0 && point.y <= chart->Height()) << where;
      }
    }
  }
  EXPECT_EQ(list->width(), chart->Width());
  EXPECT_EQ(NiceStep(97, 4), 50);
  EXPECT_EQ(NiceStep(3, 6), 0.5);
}

}  // namespace
}  // namespace tamiru::app
