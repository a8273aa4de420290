#include "app/log_search_window.h"

#include <algorithm>

#include "app/main_window.h"
#include "platform/files.h"

namespace tamiru::app {

namespace {

using platform::ControlEvent;
using platform::PlaceControl;

// The window's first and least client sizes, and its layout, at 96 DPI.
constexpr int kWidth = 720, kHeight = 480, kMinWidth = 620, kMinHeight = 340;
constexpr int kMargin = 8, kSummaryTop = 64, kSummaryHeight = 16, kListTop = 84, kMinControl = 40;
// The most of a line a cell or the context shows.
constexpr std::size_t kShownBytes = 1024;
constexpr std::size_t kCachedRows = 512;
// The line found stands out in the context; the others keep its column.
constexpr std::string_view kFoundMark = "→ ";
constexpr std::string_view kOtherMark = "   ";

const std::vector<platform::ListColumn>& Columns() {
  static const std::vector<platform::ListColumn> columns{{"日時", 150}, {"発言者", 104}, {"本文", 420}};
  return columns;
}

std::string Cell(const chatlog::LogRow& row, int column) {
  return column == 0 ? row.when : column == 1 ? row.speaker : row.text;
}

}  // namespace

platform::WindowOptions TForm4::WindowOptions() {
  return SecondWindowOptions(kLogSearchWindowClass, kLogSearchWindowCaption, kFirstLeft + 60, 80, {kWidth, kHeight}, {kMinWidth, kMinHeight});
}

TForm4::TForm4(const LogSearchOwner& owner, platform::FormHost& host)
    : owner_(owner), host_(host), boundary_(host, owner.dialogs) {
  CreateControls();
  WireHandlers();
  ListMonths();
  FormResize();
  Timer1->SetInterval(kLogSearchTickMs);
  Label5->SetCaption(chatlog::SearchSummary(chatlog::LogSearch(owner_.log_folder, {}, {})));
}

void TForm4::CreateControls() {
  const auto button = [this](const platform::ControlSpec& layout, void (TForm4::*handler)()) {
    return boundary_.Clicking(host_.CreateButton(layout), *this, handler);
  };
  Label1 = host_.CreateLabel(PlaceControl("Label1", "文字列", kMargin, 11));
  Edit1 = host_.CreateEdit(PlaceControl("Edit1", "", 56, 8, 180, 20));
  Label2 = host_.CreateLabel(PlaceControl("Label2", "発言者", 248, 11));
  Edit2 = host_.CreateEdit(PlaceControl("Edit2", "", 296, 8, 110, 20));
  CheckBox1 = host_.CreateCheckBox(PlaceControl("CheckBox1", "大文字と小文字を区別しない", 418, 9, 192, 18));
  Label3 = host_.CreateLabel(PlaceControl("Label3", "期間", kMargin, 39));
  platform::ControlSpec from = PlaceControl("ComboBox1", "", 56, 35, 88, 20);
  from.pick_only = true;
  ComboBox1 = host_.CreateComboBox(from);
  Label4 = host_.CreateLabel(PlaceControl("Label4", "～", 150, 39));
  platform::ControlSpec to = PlaceControl("ComboBox2", "", 168, 35, 88, 20);
  to.pick_only = true;
  ComboBox2 = host_.CreateComboBox(to);
  platform::ControlSpec search = PlaceControl("Button1", "検索", 280, 33, 72, 24);
  search.default_button = true;
  Button1 = button(search, &TForm4::Button1Click);
  Button2 = button(PlaceControl("Button2", "コピー", 358, 33, 72, 24), &TForm4::Button2Click);
  Button3 = button(PlaceControl("Button3", "閉じる", 436, 33, 72, 24), &TForm4::Button3Click);
  Label5 = host_.CreateLabel(PlaceControl("Label5", "", kMargin, kSummaryTop, kWidth - 2 * kMargin, kSummaryHeight));
  platform::ControlSpec list = PlaceControl("ListView1", "", kMargin, kListTop, kWidth - 2 * kMargin, 220);
  list.multi_select = true;
  ListView1 = host_.CreateListView(list);
  ListView1->SetColumns(Columns());
  platform::ControlSpec context = PlaceControl("Edit3", "", kMargin, 312, kWidth - 2 * kMargin, 160);
  context.read_only = true;
  context.multi_line = true;
  context.font = {std::string(kListFontFace), 12};
  Edit3 = host_.CreateEdit(context);
  Timer1 = host_.CreateTimer("Timer1");
}

void TForm4::WireHandlers() {
  boundary_.Connect(*ListView1, ControlEvent::kClick, *this, &TForm4::ListView1Click);
  boundary_.Connect(*ListView1, ControlEvent::kDblClick, *this, &TForm4::ListView1DblClick);
  boundary_.Connect(*Timer1, [this] { Timer1Timer(); });
  host_.Connect(platform::FormEvent::kResize, [this] { boundary_.Run([this] { FormResize(); }); });
  host_.SetCloseQuery([this] { return FormCloseQuery(); });
}

void TForm4::ListMonths() {
  const std::string from = ComboBox1->Item(ComboBox1->SelectedIndex());
  const std::string to = ComboBox2->Item(ComboBox2->SelectedIndex());
  const bool to_last = ComboBox2->SelectedIndex() < 0 || ComboBox2->SelectedIndex() == ComboBox2->Count() - 1;
  months_ = chatlog::LogMonths(platform::FileNamesIn(owner_.log_folder));
  std::vector<std::string> items;
  for (const chatlog::LogMonth& month : months_) items.push_back(chatlog::MonthText(month));
  ComboBox1->SetItems(items);
  ComboBox2->SetItems(items);
  const auto index_of = [&items](const std::string& text, int otherwise) {
    const auto it = std::find(items.begin(), items.end(), text);
    return it == items.end() ? otherwise : static_cast<int>(it - items.begin());
  };
  const int last = static_cast<int>(items.size()) - 1;
  ComboBox1->SetSelectedIndex(index_of(from, 0));
  ComboBox2->SetSelectedIndex(to_last ? last : index_of(to, last));
}

std::vector<chatlog::LogMonth> TForm4::ChosenMonths() const {
  int from = ComboBox1->SelectedIndex(), to = ComboBox2->SelectedIndex();
  if (months_.empty()) return {};
  const int last = static_cast<int>(months_.size()) - 1;
  from = from < 0 ? 0 : from;
  to = to < 0 ? last : to;
  if (from > to) std::swap(from, to);
  return {months_.begin() + from, months_.begin() + to + 1};
}

// A new search stops the one running: its lines go with it.
void TForm4::Button1Click() {
  Timer1->SetEnabled(false);
  ListMonths();
  const chatlog::LogQuery query{Edit1->Text(), Edit2->Text(), CheckBox1->IsChecked()};
  search_.reset();
  rows_.clear();
  search_.emplace(owner_.log_folder, ChosenMonths(), query);
  shown_rows_ = -1;
  context_row_ = -1;
  Edit3->SetText("");
  // The first step at once: the newest lines show before the first tick.
  search_->Step(kLogSearchStepBytes);
  ShowProgress();
  Timer1->SetEnabled(!search_->Done());
}

// The selected rows as the list shows them, a TAB between the cells.
void TForm4::Button2Click() {
  std::string text;
  for (const int row : ListView1->SelectedRows()) {
    const chatlog::LogRow& shown = Row(row);
    text += shown.when + "\t" + shown.speaker + "\t" + shown.text + "\r\n";
  }
  if (!text.empty()) owner_.shell.CopyText(host_.Handle(), text);
}

void TForm4::Button3Click() { host_.CloseWindow(); }

void TForm4::ListView1Click() {
  const int row = ListView1->SelectedIndex();
  if (row == context_row_) return;
  context_row_ = row;
  if (!search_ || row < 0 || row >= static_cast<int>(search_->hits().size())) {
    Edit3->SetText("");
    return;
  }
  const chatlog::LogContext context = search_->ReadContext(search_->hits()[static_cast<std::size_t>(row)], kShownBytes);
  std::string text;
  for (std::size_t i = 0; i < context.lines.size(); ++i) {
    text += static_cast<int>(i) == context.found ? kFoundMark : kOtherMark;
    text += context.lines[i];
    text += "\r\n";
  }
  Edit3->SetText(text);
  if (context.found >= 0) Edit3->SelectLine(context.found);
}

void TForm4::ListView1DblClick() {
  const int row = ListView1->SelectedIndex();
  if (!search_ || row < 0 || row >= static_cast<int>(search_->hits().size())) return;
  owner_.put_chat_line(Row(row).text);
}

void TForm4::Timer1Timer() {
  if (!search_ || search_->Done()) {
    Timer1->SetEnabled(false);
    return;
  }
  search_->Step(kLogSearchStepBytes);
  ShowProgress();
  if (search_->Done()) Timer1->SetEnabled(false);
}

// New lines only ever come behind the others: the rows shown and the
// selection stay where they are.
void TForm4::ShowProgress() {
  const int count = static_cast<int>(search_->hits().size());
  if (shown_rows_ < 0) {
    ListView1->SetRowSource(count, [this](int row, int column) { return Cell(Row(row), column); });
  } else if (count != shown_rows_) {
    ListView1->SetRowCount(count);
  }
  shown_rows_ = count;
  Label5->SetCaption(chatlog::SearchSummary(*search_));
}

const chatlog::LogRow& TForm4::Row(int row) const {
  if (const auto it = rows_.find(row); it != rows_.end()) return it->second;
  if (rows_.size() >= kCachedRows) rows_.clear();
  static const chatlog::LogRow kNone;
  if (!search_ || row < 0 || row >= static_cast<int>(search_->hits().size())) return kNone;
  return rows_[row] = chatlog::RowOf(*search_, search_->hits()[static_cast<std::size_t>(row)], kShownBytes);
}

void TForm4::FormResize() {
  const platform::ClientPoint size = host_.ClientSize();
  const int width = std::max(size.x, 2 * kMinControl) - 2 * kMargin;
  const int below = std::max(size.y, kListTop + 4 * kMinControl) - kListTop - kMargin;
  const int list = below * 3 / 5;
  host_.MoveControl(*Label5, kMargin, kSummaryTop, width, kSummaryHeight);
  host_.MoveControl(*ListView1, kMargin, kListTop, width, list);
  host_.MoveControl(*Edit3, kMargin, kListTop + list + kMargin, width, below - list - kMargin);
}

// Closing stops the search; its lines go with the window.
bool TForm4::FormCloseQuery() {
  Timer1->SetEnabled(false);
  ListView1->SetRowSource(0, {});
  search_.reset();
  rows_.clear();
  return true;
}

}  // namespace tamiru::app
