// The chat log search window on in-memory controls: opened once from the
// main window's system menu, it searches the logs of the current directory
// on its timer, shows the lines newest first with the lines around the
// selected one, copies rows, and a double click fills the chat line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/log_search_window.h"
#include "app/main_window.h"
#include "platform/fake/fake_listview.h"
#include "tests/app/form_fixture.h"

namespace tamiru::app {
namespace {

std::string Pad(std::size_t n) { return std::string(n, ' '); }

class LogSearchWindowTest : public testing_support::FormTest {
 protected:
  LogSearchWindowTest() : previous_dir_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder.File(""));
  }
  ~LogSearchWindowTest() override { std::filesystem::current_path(previous_dir_); }

  void Open() {
    WriteIni();
    WriteLists();
    form = std::make_unique<TForm1>(view_services);
    ASSERT_GE(main_host.system_menu.size(), 2U);
    EXPECT_EQ(main_host.system_menu[1].id, 0x0120);
    EXPECT_EQ(main_host.system_menu[1].caption, "ログ検索(&L)...");
    ASSERT_TRUE(main_host.ChooseSystemMenu(kLogSearchMenuId));
    window = view_forms.owned.back();
    list = window->List("ListView1");
  }
  platform::Label& Summary() const { return *window->Find<platform::Label>("Label5"); }

  std::filesystem::path previous_dir_;
  platform::fake::FakeViewFormHost main_host{loop, 0x7001, {472, 277}};
  platform::fake::FakeViewFormFactory view_forms{loop};
  FormServices view_services{desktop, loop, input, shell, sound, dialogs, main_host, still_screen, view_forms};
  platform::fake::FakeViewFormHost* window = nullptr;
  platform::fake::FakeListView* list = nullptr;
};

TEST_F(LogSearchWindowTest, SearchesInStepsShowsContextCopiesAndFillsTheChatLine) {
  // Over two steps of reading: the search goes on on the timer.
  std::string filler;
  while (filler.size() < kLogSearchStepBytes) filler += "2023/11/30(木)12:00 someone" + Pad(7) + ">chat\r\n";
  folder.Write("LOG2311.txt", "taro" + Pad(10) + ">first RON\r\n" + filler);
  std::string december;
  for (int i = 0; i < 15; ++i) december += "hana" + Pad(10) + ">line " + std::to_string(i) + "\r\n";
  december += "太郎>" + Pad(9) + "ロンです ron " + std::string(80, 'x') + "\r\n";
  folder.Write("LOG2312.txt", december);
  Open();
  const platform::WindowOptions& options = view_forms.owned_options.back();
  EXPECT_EQ(options.class_name, "TForm4");
  EXPECT_EQ(options.caption, "ログ検索");
  EXPECT_TRUE(options.resizable);
  EXPECT_EQ(view_forms.owners.back(), main_host.Handle());
  auto* from = window->Find<platform::fake::FakeComboBox>("ComboBox1");
  auto* to = window->Find<platform::fake::FakeComboBox>("ComboBox2");
  EXPECT_EQ(from->Items(), (std::vector<std::string>{"2023/11", "2023/12"}));
  EXPECT_EQ(from->SelectedIndex(), 0);
  EXPECT_EQ(to->SelectedIndex(), 1);

  window->Find<platform::Edit>("Edit1")->SetText("ron");
  window->Click("CheckBox1");
  ASSERT_TRUE(window->Click("Button1"));
  // The newest file first: its line shows before the older file is read.
  EXPECT_EQ(list->RowCount(), 1);
  EXPECT_EQ(Summary().Caption(), "1 件 (1 ファイル) 検索中...");
  list->SelectRows({0});
  window->Find<platform::Edit>("Edit2")->SetText("nobody");  // not read until the next search
  loop.Advance(200);
  ASSERT_EQ(list->RowCount(), 2);
  EXPECT_EQ(list->SelectedIndex(), 0);  // rows come behind: the selection stays
  EXPECT_EQ(Summary().Caption(), "2 件 (2 ファイル)");
  EXPECT_EQ(list->Cell(0, 0), "2023/12");
  EXPECT_EQ(list->Cell(0, 1), "太郎");
  EXPECT_EQ(list->Cell(1, 2), "first RON");

  ASSERT_TRUE(window->ClickRow("ListView1", 0));
  auto* context = window->Find<platform::fake::FakeEdit>("Edit3");
  const std::string shown = context->Text();
  EXPECT_EQ(shown.find("   hana" + Pad(10) + ">line 5\r\n"), 0u) << shown;  // ten lines before
  EXPECT_NE(shown.find("→ 太郎>"), std::string::npos);
  EXPECT_EQ(context->selected_line(), 10);

  list->SelectRows({0, 1});
  ASSERT_TRUE(window->Click("Button2"));
  ASSERT_EQ(shell.copied.size(), 1u);
  EXPECT_EQ(shell.copied[0], "2023/12\t太郎\tロンです ron " + std::string(80, 'x') + "\r\n2023/11\ttaro\tfirst RON\r\n");

  // The chat line takes the text, cut as ComboBox1 would take it.
  ASSERT_TRUE(window->DblClickRow("ListView1", 0));
  EXPECT_EQ(form->ComboBox1->Text(), std::string("ロンです ron ") + std::string(51, 'x'));

  // A new search reads the speaker and starts over; closing stops a search.
  ASSERT_TRUE(window->Click("Button1"));
  EXPECT_EQ(list->RowCount(), 0);
  EXPECT_TRUE(window->UserCloses());
  EXPECT_EQ(window->Handle(), platform::kNoWindow);
  ASSERT_TRUE(main_host.ChooseSystemMenu(kLogSearchMenuId));
  EXPECT_EQ(view_forms.owned.size(), 2u);
}

}  // namespace
}  // namespace tamiru::app
