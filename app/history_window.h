#pragma once
// The match history window, TForm3: from one read of the score file, the
// user's games of the chosen kind of table (a summary line and the trend
// chart) and the record against every player met (a sortable table). It is
// owned by the main window and shown beside it, one at a time; it reads the
// file again when asked, or by itself when the file's size or time changed.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/general_error.h"
#include "app/owner_views.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/form_host.h"
#include "stats/score_history.h"

namespace tamiru::app {

inline constexpr std::string_view kHistoryWindowClass = "TForm3";
inline constexpr std::string_view kHistoryWindowCaption = "対戦履歴";
inline constexpr int kHistoryMenuId = 0x0110;
inline constexpr std::string_view kHistoryMenuCaption = "対戦履歴(&H)...";
inline constexpr std::uint32_t kHistoryCheckMs = 5000;
inline constexpr std::string_view kCsvFilter = "CSV(*.csv)|*.csv|すべて|*.*";

class TForm3 {
 public:
  static platform::WindowOptions WindowOptions();

  // Creates the controls on `host`, reads the file and shows TableType's kind.
  TForm3(const HistoryOwner& owner, platform::FormHost& host);
  TForm3(const TForm3&) = delete;
  TForm3& operator=(const TForm3&) = delete;

  void RadioButtonClick();  // any of the three kinds
  void Button1Click();      // 更新
  void Button2Click();      // CSV保存
  void Button3Click();      // 閉じる
  void ListView1DblClick();
  void ListView1ColumnClick(int column);
  void Timer1Timer();
  void FormResize();
  bool FormCloseQuery();

  int Kind() const { return kind_; }

  // ---- Controls, by designer name ----
  std::unique_ptr<platform::CheckBox> RadioButton1, RadioButton2, RadioButton3;
  std::unique_ptr<platform::Button> Button1, Button2, Button3;
  std::unique_ptr<platform::Label> Label1;
  std::unique_ptr<platform::ListView> ListView1;
  std::unique_ptr<platform::PictureBox> PaintBox1;
  std::unique_ptr<platform::Timer> Timer1;

 private:
  void CreateControls();
  void WireHandlers();
  // Reads the file again, keeping the sort and the selected player; the
  // selection is scrolled into view with `scroll` (not when the file changed
  // by itself: the table stays where the user scrolled it).
  void ReadHistory(bool scroll);
  // Shows the kind from what was read, keeping the player `selected`.
  void ShowKind(const std::string& selected, bool scroll);
  void ShowRows(const std::string& selected, bool scroll);
  void ShowChart();
  // The players of the kind shown (none when the file could not be read),
  // and the one shown in a row.
  const std::vector<stats::OpponentRow>& Opponents() const;
  const stats::OpponentRow* RowAt(int row) const;
  std::string SelectedName() const;

  HistoryOwner owner_;
  platform::FormHost& host_;
  EventBoundary boundary_;
  std::optional<stats::ScoreHistory> history_;  // none: the file could not be read
  platform::FileStamp stamp_;
  int kind_ = 0;
  stats::OpponentSort sort_;
  // The rows in the order shown, as indexes into Opponents(): the table is
  // held once, in the history, and the list draws from it.
  std::vector<std::uint32_t> order_;
};

}  // namespace tamiru::app
