#include "app/client_check_window.h"

#include <algorithm>
#include <array>

#include "app/main_window.h"

namespace tamiru::app {

namespace {

// The window's first and least client sizes, and its layout, at 96 DPI (the
// host scales them).
constexpr int kWidth = 760, kHeight = 520, kMinWidth = 420, kMinHeight = 240;
constexpr int kMargin = 8, kListTop = 38, kMinControl = 40;

const std::vector<platform::ListColumn>& Columns() {
  static const std::vector<platform::ListColumn> columns{{"項目", 220, false}, {"結果", 44, false},
                                                          {"詳細", 470, false}};
  return columns;
}

// "OK 30  注意 2  NG 1  — 4": how many rows of each result.
std::string SummaryText(const std::vector<CheckRow>& rows) {
  const std::array<CheckResult, 4> results{CheckResult::kOk, CheckResult::kCaution, CheckResult::kFailed,
                                           CheckResult::kNotChecked};
  std::string text;
  for (const CheckResult result : results) {
    const auto count = std::count_if(rows.begin(), rows.end(), [&](const CheckRow& row) { return row.result == result; });
    text += (text.empty() ? "" : "  ") + std::string(CheckResultText(result)) + " " + std::to_string(count);
  }
  return text;
}

}  // namespace

platform::WindowOptions TForm5::WindowOptions() {
  return SecondWindowOptions(kClientCheckWindowClass, kClientCheckWindowCaption, kFirstLeft + 60, 80, {kWidth, kHeight}, {kMinWidth, kMinHeight});
}

TForm5::TForm5(const ClientCheckOwner& owner, platform::FormHost& host)
    : owner_(owner), host_(host), boundary_(host, owner.dialogs) {
  using platform::PlaceControl;
  const auto button = [this](const platform::ControlSpec& layout, void (TForm5::*handler)()) {
    return boundary_.Clicking(host_.CreateButton(layout), *this, handler);
  };
  Button1 = button(PlaceControl("Button1", "再確認", kMargin, 7, 72, 24), &TForm5::Button1Click);
  Button2 = button(PlaceControl("Button2", "コピー", 86, 7, 72, 24), &TForm5::Button2Click);
  Button3 = button(PlaceControl("Button3", "閉じる", 164, 7, 72, 24), &TForm5::Button3Click);
  Label1 = host_.CreateLabel(PlaceControl("Label1", "", 248, 12, kWidth - 248 - kMargin, 16));
  ListView1 = host_.CreateListView(PlaceControl("ListView1", "", kMargin, kListTop, kWidth - 2 * kMargin, 400));
  ListView1->SetColumns(Columns());
  host_.Connect(platform::FormEvent::kResize, [this] { boundary_.Run([this] { FormResize(); }); });
  FormResize();
  RunCheck();
}

void TForm5::Button1Click() { RunCheck(); }

// The report as shown, with the time of its check.
void TForm5::Button2Click() { owner_.shell.CopyText(host_.Handle(), ClientCheckReportText(title_, rows_)); }

void TForm5::Button3Click() { host_.CloseWindow(); }

void TForm5::FormResize() {
  const platform::ClientPoint size = host_.ClientSize();
  const int width = std::max(size.x, 2 * kMinControl) - 2 * kMargin;
  const int height = std::max(size.y, kListTop + 2 * kMinControl) - kListTop - kMargin;
  host_.MoveControl(*Label1, 248, 12, std::max(width + kMargin - 248, kMinControl), 16);
  host_.MoveControl(*ListView1, kMargin, kListTop, width, height);
}

void TForm5::RunCheck() {
  title_ = owner_.report_title();
  rows_ = owner_.run_check();
  Label1->SetCaption(SummaryText(rows_));
  ListView1->SetRowSource(static_cast<int>(rows_.size()), [this](int row, int column) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return std::string();
    const CheckRow& shown = rows_[static_cast<std::size_t>(row)];
    return column == 0 ? shown.item : column == 1 ? std::string(CheckResultText(shown.result)) : shown.detail;
  });
}

}  // namespace tamiru::app
