#pragma once
// The chat log search window, TForm4: a text and a speaker looked for in
// every monthly chat log of a range of months, the lines found newest first
// with the lines around the selected one. It is owned by the main window
// and shown beside it, one at a time; the search runs on its timer in
// steps, so the window answers while it reads.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/general_error.h"
#include "app/owner_views.h"
#include "chatlog/log_search.h"
#include "platform/controls.h"
#include "platform/form_host.h"

namespace tamiru::app {

inline constexpr std::string_view kLogSearchWindowClass = "TForm4";
inline constexpr std::string_view kLogSearchWindowCaption = "ログ検索";
inline constexpr int kLogSearchMenuId = 0x0120;
inline constexpr std::string_view kLogSearchMenuCaption = "ログ検索(&L)...";
// A step of the search per tick: a few milliseconds of reading, so that
// the window's messages never wait long.
inline constexpr std::size_t kLogSearchStepBytes = 4u << 20;
inline constexpr std::uint32_t kLogSearchTickMs = 10;

class TForm4 {
 public:
  static platform::WindowOptions WindowOptions();

  TForm4(const LogSearchOwner& owner, platform::FormHost& host);
  TForm4(const TForm4&) = delete;
  TForm4& operator=(const TForm4&) = delete;

  void Button1Click();  // 検索
  void Button2Click();  // コピー
  void Button3Click();  // 閉じる
  void ListView1Click();     // the selection changed
  void ListView1DblClick();
  void Timer1Timer();
  void FormResize();
  bool FormCloseQuery();

  bool Searching() const { return search_ && !search_->Done(); }

  // ---- Controls, by designer name ----
  std::unique_ptr<platform::Label> Label1, Label2, Label3, Label4, Label5;
  std::unique_ptr<platform::Edit> Edit1, Edit2, Edit3;
  std::unique_ptr<platform::CheckBox> CheckBox1;
  std::unique_ptr<platform::ComboBox> ComboBox1, ComboBox2;
  std::unique_ptr<platform::Button> Button1, Button2, Button3;
  std::unique_ptr<platform::ListView> ListView1;
  std::unique_ptr<platform::Timer> Timer1;

 private:
  void CreateControls();
  void WireHandlers();
  // Finds the log files again, keeping the months chosen.
  void ListMonths();
  // The files of the months chosen (from and to in either order).
  std::vector<chatlog::LogMonth> ChosenMonths() const;
  void ShowProgress();
  const chatlog::LogRow& Row(int row) const;

  LogSearchOwner owner_;
  platform::FormHost& host_;
  EventBoundary boundary_;
  std::vector<chatlog::LogMonth> months_;
  std::optional<chatlog::LogSearch> search_;
  int shown_rows_ = -1;  // rows the list view was told of; -1 before a search
  int context_row_ = -1;
  // The rows read lately: the list view asks for each cell as it paints.
  mutable std::map<int, chatlog::LogRow> rows_;
};

}  // namespace tamiru::app
