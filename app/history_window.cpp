#include "app/history_window.h"

#include <algorithm>

#include "app/history_chart.h"
#include "app/main_window.h"
#include "platform/files.h"
#include "text/error.h"

namespace tamiru::app {

namespace {

using platform::ControlEvent;

// The window's first and least client sizes, and its layout.
constexpr int kWidth = 780, kHeight = 520, kMinWidth = 560, kMinHeight = 380;
// All at 96 DPI: the window's host scales them, and the chart's texts take
// the room its font gives.
constexpr int kMargin = 8, kSummaryTop = 38, kSummaryHeight = 16, kTableTop = 58, kMinControl = 40;

const std::vector<platform::ListColumn>& Columns() {
  static const std::vector<platform::ListColumn> columns = [] {
    const std::array<int, stats::kOpponentColumnCount> widths{104, 56, 48, 48, 40, 100, 100, 100, 100};
    std::vector<platform::ListColumn> all;
    for (int i = 0; i < stats::kOpponentColumnCount; ++i) {
      all.push_back({stats::OpponentColumnNames()[static_cast<std::size_t>(i)], widths[static_cast<std::size_t>(i)], i > 0});
    }
    return all;
  }();
  return columns;
}

// "ファイル %s は開けません", as the general error display would say it.
std::string CannotOpenText(const std::string& path) { return FileOpenError(path).what(); }

}  // namespace

platform::WindowOptions TForm3::WindowOptions() {
  return SecondWindowOptions(kHistoryWindowClass, kHistoryWindowCaption, kFirstLeft + 40, 60, {kWidth, kHeight}, {kMinWidth, kMinHeight});
}

TForm3::TForm3(const HistoryOwner& owner, platform::FormHost& host)
    : owner_(owner), host_(host), boundary_(host, owner.dialogs) {
  const int table_type = owner_.Settings.TableType;
  kind_ = table_type >= 0 && table_type < stats::table_type::kCount ? table_type : stats::table_type::kEastOnly;
  CreateControls();
  WireHandlers();
  RadioButton1->SetChecked(kind_ == 0);
  RadioButton2->SetChecked(kind_ == 1);
  RadioButton3->SetChecked(kind_ == 2);
  FormResize();
  ReadHistory(true);
  Timer1->SetInterval(kHistoryCheckMs);
  Timer1->SetEnabled(true);
}

void TForm3::CreateControls() {
  using platform::PlaceControl;
  platform::ControlSpec first = PlaceControl("RadioButton1", "東風戦", kMargin, 10, 64, 18);
  first.group_start = true;
  const auto radio = [this](const platform::ControlSpec& layout) {
    return boundary_.Clicking(host_.CreateRadioButton(layout), *this, &TForm3::RadioButtonClick);
  };
  const auto button = [this](const platform::ControlSpec& layout, void (TForm3::*handler)()) {
    return boundary_.Clicking(host_.CreateButton(layout), *this, handler);
  };
  RadioButton1 = radio(first);
  RadioButton2 = radio(PlaceControl("RadioButton2", "東南戦", 76, 10, 64, 18));
  RadioButton3 = radio(PlaceControl("RadioButton3", "三人打ち", 144, 10, 76, 18));
  Button1 = button(PlaceControl("Button1", "更新", 240, 7, 64, 24), &TForm3::Button1Click);
  Button2 = button(PlaceControl("Button2", "CSV保存", 310, 7, 72, 24), &TForm3::Button2Click);
  Button3 = button(PlaceControl("Button3", "閉じる", 388, 7, 64, 24), &TForm3::Button3Click);
  Label1 = host_.CreateLabel(platform::PlaceControl("Label1", "", kMargin, kSummaryTop, kWidth - 2 * kMargin, kSummaryHeight));
  ListView1 = host_.CreateListView(platform::PlaceControl("ListView1", "", kMargin, kTableTop, kWidth - 2 * kMargin, 200));
  ListView1->SetColumns(Columns());
  PaintBox1 = host_.CreatePictureBox(platform::PlaceControl("PaintBox1", "", kMargin, 266, kWidth - 2 * kMargin, 246));
  Timer1 = host_.CreateTimer("Timer1");
}

void TForm3::WireHandlers() {
  boundary_.Connect(*ListView1, ControlEvent::kDblClick, *this, &TForm3::ListView1DblClick);
  host_.ConnectColumnClick(*ListView1, [this](int column) {
    boundary_.Run([this, column] { ListView1ColumnClick(column); });
  });
  boundary_.Connect(*Timer1, [this] { Timer1Timer(); });
  host_.Connect(platform::FormEvent::kResize, [this] { boundary_.Run([this] { FormResize(); }); });
  host_.SetCloseQuery([this] { return FormCloseQuery(); });
}

void TForm3::RadioButtonClick() {
  const int chosen = RadioButton1->IsChecked() ? 0 : RadioButton2->IsChecked() ? 1 : RadioButton3->IsChecked() ? 2 : kind_;
  if (chosen == kind_) return;
  const std::string selected = SelectedName();
  order_.clear();
  kind_ = chosen;
  ShowKind(selected, true);
}

void TForm3::Button1Click() { ReadHistory(true); }

void TForm3::Button2Click() {
  platform::Dialogs::FileDialogRequest request;
  request.filter = std::string(kCsvFilter);
  request.default_extension = "csv";
  request.file_name = "対戦履歴.csv";
  request.confirm_replace = true;
  const auto chosen = owner_.dialogs.ShowSaveDialog(host_.Handle(), request);
  if (!chosen) return;
  if (!platform::ReplaceFileContents(chosen->path, stats::OpponentsCsv(Opponents(), order_))) {
    throw FileCreateError(chosen->path);
  }
}

void TForm3::Button3Click() { host_.CloseWindow(); }

// The player's one-line report into the main window's chat line, through
// the very call that "対戦成績" ends in.
void TForm3::ListView1DblClick() {
  if (const stats::OpponentRow* row = RowAt(ListView1->SelectedIndex())) owner_.report_scores_for(row->name);
}

void TForm3::ListView1ColumnClick(int column) {
  if (column < 0 || column >= stats::kOpponentColumnCount) return;
  const std::string selected = SelectedName();
  sort_.Click(static_cast<stats::OpponentColumn>(column));
  order_ = stats::SortedOrder(Opponents(), sort_);
  ShowRows(selected, true);
}

// A game that just ended shows up without a click: the client appends to
// the file, which changes its size and time.
void TForm3::Timer1Timer() {
  if (platform::StampOf(owner_.score_file_path()) != stamp_) ReadHistory(false);
}

void TForm3::FormResize() {
  // The size the window has: a screen smaller than the least size (a laptop
  // at 200 %) leaves the window smaller than that.
  const platform::ClientPoint size = host_.ClientSize();
  const int width = std::max(size.x, 2 * kMinControl) - 2 * kMargin;
  const int below = std::max(size.y, kTableTop + 4 * kMinControl) - kTableTop - kMargin;
  const int table = below * 9 / 20;
  host_.MoveControl(*Label1, kMargin, kSummaryTop, width, kSummaryHeight);
  host_.MoveControl(*ListView1, kMargin, kTableTop, width, table);
  host_.MoveControl(*PaintBox1, kMargin, kTableTop + table + kMargin, width, below - table - kMargin);
  ShowChart();
}

// The window's history goes with it: a closed window holds no memory of
// the file until it is opened again.
bool TForm3::FormCloseQuery() {
  Timer1->SetEnabled(false);
  ListView1->SetRowSource(0, {});
  history_.reset();
  order_.clear();
  order_.shrink_to_fit();
  return true;
}

void TForm3::ReadHistory(bool scroll) {
  const std::string selected = SelectedName();
  const std::string path = owner_.score_file_path();
  stamp_ = platform::StampOf(path);
  order_.clear();
  history_.reset();  // the old history's memory is free before the new read
  history_ = stats::ReadScoreHistory(path, {owner_.Settings.UserName1, owner_.Settings.UserName2, owner_.Settings.UserName3});
  ShowKind(selected, scroll);
}

void TForm3::ShowKind(const std::string& selected, bool scroll) {
  if (!history_) {
    Label1->SetCaption(CannotOpenText(owner_.score_file_path()));
  } else {
    Label1->SetCaption(stats::HistorySummaryText(history_->kinds[static_cast<std::size_t>(kind_)], kind_));
  }
  order_ = stats::SortedOrder(Opponents(), sort_);
  ShowRows(selected, scroll);
  ShowChart();
}

void TForm3::ShowRows(const std::string& selected, bool scroll) {
  int selected_row = -1;
  for (std::size_t i = 0; i < order_.size(); ++i) {
    if (Opponents()[order_[i]].name == selected) selected_row = static_cast<int>(i);
  }
  ListView1->SetRowSource(static_cast<int>(order_.size()), [this](int row, int column) {
    const stats::OpponentRow* shown = RowAt(row);
    return shown ? stats::OpponentCells(*shown)[static_cast<std::size_t>(column)] : std::string();
  });
  ListView1->SetSelectedIndex(selected_row, scroll);
}

const std::vector<stats::OpponentRow>& TForm3::Opponents() const {
  static const std::vector<stats::OpponentRow> kNone;
  return history_ ? history_->kinds[static_cast<std::size_t>(kind_)].opponents : kNone;
}

const stats::OpponentRow* TForm3::RowAt(int row) const {
  if (row < 0 || row >= static_cast<int>(order_.size())) return nullptr;
  return &Opponents()[order_[static_cast<std::size_t>(row)]];
}

void TForm3::ShowChart() {
  static const stats::KindHistory kNothing;
  const stats::KindHistory& kind = history_ ? history_->kinds[static_cast<std::size_t>(kind_)] : kNothing;
  const platform::PictureBox& box = *PaintBox1;
  PaintBox1->SetPicture(TrendPicture(kind, kind_, box.Width(), box.Height(),
                                     [&box](std::string_view text) { return box.TextSize(text); }));
}

std::string TForm3::SelectedName() const {
  const stats::OpponentRow* row = RowAt(ListView1->SelectedIndex());
  return row ? row->name : std::string();
}

}  // namespace tamiru::app
