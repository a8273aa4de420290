#include "platform/win32/view_controls_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/form_win32.h"
#include "platform/win32/handle_win32.h"
#include "text/sjis.h"

namespace tamiru::platform::win32 {

namespace {

constexpr char kPictureClass[] = "TamiruPicture";
constexpr int kObjectSlot = 0;
constexpr int kFontSlot = static_cast<int>(sizeof(LONG_PTR));

COLORREF Rgb(Colour colour) { return RGB(colour >> 16 & 0xFF, colour >> 8 & 0xFF, colour & 0xFF); }

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SETFONT:
      SetWindowLongPtrA(window, kFontSlot, static_cast<LONG_PTR>(wparam));
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrA(window, kFontSlot);
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT:
      if (auto* box = reinterpret_cast<Win32PictureBox*>(GetWindowLongPtrA(window, kObjectSlot))) {
        box->Paint();
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

void RegisterPictureClass() {
  WNDCLASSEXA picture_class{};
  picture_class.cbSize = sizeof(picture_class);
  picture_class.lpfnWndProc = PictureProc;
  picture_class.cbWndExtra = 2 * sizeof(LONG_PTR);
  picture_class.hInstance = GetModuleHandleA(nullptr);
  picture_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  picture_class.lpszClassName = kPictureClass;
  RegisterClassExA(&picture_class);  // fails harmlessly once registered
}

SIZE ClientPixels(WindowHandle window) {
  RECT client{};
  GetClientRect(AsHwnd(window), &client);
  return {client.right, client.bottom};
}

// A dotted pen is one pixel wide (wider ones draw solid); a solid line keeps
// its width at every DPI.
void DrawLine(HDC dc, const PictureLine& line, const DpiScale& scale) {
  if (line.points.size() < 2) return;
  const int width = line.dotted ? 1 : std::max(1, scale.Pixels(line.width));
  HPEN pen = CreatePen(line.dotted ? PS_DOT : PS_SOLID, width, Rgb(line.colour));
  HGDIOBJ old = SelectObject(dc, pen);
  std::vector<POINT> points;
  points.reserve(line.points.size());
  for (const PicturePoint& p : line.points) points.push_back({scale.Pixels(p.x), scale.Pixels(p.y)});
  Polyline(dc, points.data(), static_cast<int>(points.size()));
  SelectObject(dc, old);
  DeleteObject(pen);
}

void DrawText(HDC dc, const PictureText& text, const DpiScale& scale) {
  SetTextColor(dc, Rgb(text.colour));
  SetTextAlign(dc, TA_TOP | (text.right_aligned ? TA_RIGHT : text.centred ? TA_CENTER : TA_LEFT));
  TextOutA(dc, scale.Pixels(text.at.x), scale.Pixels(text.at.y), text.text.c_str(), static_cast<int>(text.text.size()));
}

}  // namespace

void Win32ListView::SetColumns(const std::vector<ListColumn>& columns) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = columns[i].right_aligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = scale_.Pixels(columns[i].width);
    column.pszText = const_cast<char*>(columns[i].caption.c_str());
    column.iSubItem = static_cast<int>(i);
    SendMessageA(AsHwnd(window_), LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  columns_ = static_cast<int>(columns.size());
}

Win32ListView::~Win32ListView() {
  if (IsWindow(AsHwnd(window_))) SetWindowLongPtrA(AsHwnd(window_), GWLP_USERDATA, 0);
}

void Win32ListView::SetRowSource(int count, CellText cell) {
  cell_ = std::move(cell);
  count_ = count;
  SetSelectedIndex(-1, false);
  // The scroll position stays where the user left it.
  SendMessageA(AsHwnd(window_), LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL);
  InvalidateRect(AsHwnd(window_), nullptr, FALSE);
}

void Win32ListView::SetRowCount(int count) {
  count_ = count;
  SendMessageA(AsHwnd(window_), LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
}

std::vector<int> Win32ListView::SelectedRows() const {
  std::vector<int> rows;
  for (int row = SelectedIndex(); row >= 0;) {
    rows.push_back(row);
    row = static_cast<int>(SendMessageA(AsHwnd(window_), LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
    if (!rows.empty() && row <= rows.back()) break;
  }
  return rows;
}

std::string Win32ListView::Cell(int row, int column) const {
  if (row < 0 || row >= count_ || column < 0 || column >= columns_ || !cell_) return {};
  return cell_(row, column);
}

void Win32ListView::FillDisplayInfo(void* display_info) const {
  LVITEMA& item = static_cast<NMLVDISPINFOA*>(display_info)->item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
  const std::string text = Cell(item.iItem, item.iSubItem);
  const std::string_view fitted = text::CutAtCharBoundary(text, static_cast<std::size_t>(item.cchTextMax - 1));
  std::memcpy(item.pszText, fitted.data(), fitted.size());
  item.pszText[fitted.size()] = '\0';
}

Win32ListView* ListViewOf(WindowHandle window) {
  return reinterpret_cast<Win32ListView*>(GetWindowLongPtrA(AsHwnd(window), GWLP_USERDATA));
}

int Win32ListView::SelectedIndex() const {
  return static_cast<int>(SendMessageA(AsHwnd(window_), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Win32ListView::SetSelectedIndex(int row, bool scroll) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessageA(AsHwnd(window_), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  if (row < 0 || row >= RowCount()) return;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(AsHwnd(window_), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  if (scroll) SendMessageA(AsHwnd(window_), LVM_ENSUREVISIBLE, row, FALSE);
}

// The window may outlive the object by a moment: it then paints nothing.
Win32PictureBox::~Win32PictureBox() {
  if (IsWindow(AsHwnd(window_))) SetWindowLongPtrA(AsHwnd(window_), kObjectSlot, 0);
}

void Win32PictureBox::SetPicture(const Picture& picture) {
  picture_ = picture;
  InvalidateRect(AsHwnd(window_), nullptr, FALSE);
}

int Win32PictureBox::Width() const { return scale_.Layout(ClientPixels(window_).cx); }

int Win32PictureBox::Height() const { return scale_.Layout(ClientPixels(window_).cy); }

PicturePoint Win32PictureBox::TextSize(std::string_view text) const {
  HDC dc = GetDC(AsHwnd(window_));
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(GetWindowLongPtrA(AsHwnd(window_), kFontSlot)));
  SIZE extent{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(AsHwnd(window_), dc);
  return {scale_.LayoutCovering(extent.cx), scale_.LayoutCovering(metrics.tmHeight)};
}

// Drawn whole into a memory bitmap, then copied to the screen in one step.
void Win32PictureBox::Paint() {
  PAINTSTRUCT paint{};
  HDC screen = BeginPaint(AsHwnd(window_), &paint);
  const SIZE pixels = ClientPixels(window_);
  const int width = static_cast<int>(pixels.cx);
  const int height = static_cast<int>(pixels.cy);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width > 0 ? width : 1, height > 0 ? height : 1);
  HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  HBRUSH background = CreateSolidBrush(Rgb(picture_.background));
  const RECT all{0, 0, width, height};
  FillRect(dc, &all, background);
  DeleteObject(background);
  HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HFONT>(GetWindowLongPtrA(AsHwnd(window_), kFontSlot)));
  SetBkMode(dc, TRANSPARENT);
  for (const PictureLine& line : picture_.lines) DrawLine(dc, line, scale_);
  for (const PictureText& text : picture_.texts) DrawText(dc, text, scale_);
  BitBlt(screen, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, old_font);
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EndPaint(AsHwnd(window_), &paint);
}

std::unique_ptr<ListView> CreateWin32ListView(Win32Form& form, const ControlSpec& layout) {
  INITCOMMONCONTROLSEX common{sizeof(common), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&common);
  const DWORD single = layout.multi_select ? 0 : LVS_SINGLESEL;
  const ChildClass list_view{WC_LISTVIEWA, ChildKind::kOther,
                             WS_TABSTOP | LVS_REPORT | single | LVS_SHOWSELALWAYS | LVS_OWNERDATA, WS_EX_CLIENTEDGE};
  const WindowHandle window = form.CreateChild(list_view, layout, layout.height);
  // Drawn through a buffer, so a refresh every few seconds does not flicker.
  SendMessageA(AsHwnd(window), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
  auto view = std::make_unique<Win32ListView>(window, form.scale());
  SetWindowLongPtrA(AsHwnd(window), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view.get()));
  return form.Registered(std::move(view));
}

std::unique_ptr<PictureBox> CreateWin32PictureBox(Win32Form& form, const ControlSpec& layout) {
  RegisterPictureClass();
  const WindowHandle window =
      form.CreateChild({kPictureClass, ChildKind::kOther, 0, WS_EX_CLIENTEDGE}, layout, layout.height);
  auto box = std::make_unique<Win32PictureBox>(window, form.scale());
  SetWindowLongPtrA(AsHwnd(window), kObjectSlot, reinterpret_cast<LONG_PTR>(box.get()));
  return form.Registered(std::move(box));
}

}  // namespace tamiru::platform::win32
