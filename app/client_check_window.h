#pragma once
// The client check window, TForm5: the rows of the client check in a list
// (項目, 結果, 詳細), run when the window opens and on "再確認" only, and
// "コピー" putting the whole report on the clipboard for a bug report. Owned
// by the main window and shown beside it, one at a time.
#include <memory>
#include <string_view>
#include <vector>

#include "app/client_check.h"
#include "app/general_error.h"
#include "app/owner_views.h"
#include "platform/controls.h"
#include "platform/form_host.h"

namespace tamiru::app {

inline constexpr std::string_view kClientCheckWindowClass = "TForm5";
inline constexpr std::string_view kClientCheckWindowCaption = "クライアント診断";
inline constexpr int kClientCheckMenuId = 0x0170;
inline constexpr std::string_view kClientCheckMenuCaption = "クライアント診断(&D)...";

class TForm5 {
 public:
  static platform::WindowOptions WindowOptions();

  // Creates the controls on `host` and runs the check.
  TForm5(const ClientCheckOwner& owner, platform::FormHost& host);
  TForm5(const TForm5&) = delete;
  TForm5& operator=(const TForm5&) = delete;

  void Button1Click();  // 再確認
  void Button2Click();  // コピー
  void Button3Click();  // 閉じる
  void FormResize();

  const std::vector<CheckRow>& Rows() const { return rows_; }

  // ---- Controls, by designer name ----
  std::unique_ptr<platform::Button> Button1, Button2, Button3;
  std::unique_ptr<platform::Label> Label1;
  std::unique_ptr<platform::ListView> ListView1;

 private:
  void RunCheck();

  ClientCheckOwner owner_;
  platform::FormHost& host_;
  EventBoundary boundary_;
  std::vector<CheckRow> rows_;
  std::string title_;  // the report's first line, from the last check
};

}  // namespace tamiru::app
