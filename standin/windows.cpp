// The client's windows: the connect dialog, the waiting room, the table
// window and the two message dialogs. Controls are created in child-number
// order, so EnumChildWindows reports them at the numbers Tamiru relies on;
// labels for a person are fillers at the numbers Tamiru does not use.
#include <cstring>

#include "standin/client.h"

namespace standin {

namespace {

Client* g_client = nullptr;
std::map<HWND, Subclass*> g_subclasses;

constexpr int kControlId = 1000;  // control id = kControlId + child number

INT_PTR CALLBACK ConnectProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return g_client ? g_client->DialogProc(Place::kConnect, w, m, wp, lp) : FALSE;
}
INT_PTR CALLBACK RoomProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return g_client ? g_client->DialogProc(Place::kRoom, w, m, wp, lp) : FALSE;
}
INT_PTR CALLBACK ErrorProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return g_client ? g_client->DialogProc(Place::kError, w, m, wp, lp) : FALSE;
}
INT_PTR CALLBACK FailureProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return g_client ? g_client->DialogProc(Place::kSpectateFailure, w, m, wp, lp) : FALSE;
}
LRESULT CALLBACK TableThunk(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return g_client ? g_client->TableProc(w, m, wp, lp) : DefWindowProcA(w, m, wp, lp);
}
LRESULT CALLBACK ControlThunk(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return g_client ? g_client->ControlProc(w, m, wp, lp) : DefWindowProcA(w, m, wp, lp);
}
LRESULT CALLBACK SideThunk(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_COPYDATA) return g_client && g_client->TakeCommand(lp, true) ? TRUE : FALSE;
  return DefWindowProcA(w, m, wp, lp);
}

// The side channel's own thread and window, which answer while the
// user-interface thread is frozen.
DWORD WINAPI SideChannel(LPVOID instance) {
  WNDCLASSA side{};
  side.lpfnWndProc = SideThunk;
  side.hInstance = static_cast<HINSTANCE>(instance);
  side.lpszClassName = kSideClass;
  RegisterClassA(&side);
  CreateWindowExA(0, kSideClass, "MJ stand-in side channel", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                  side.hInstance, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

int CALLBACK FaceFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// The first installed face that can show Japanese: the Windows UI face, then
// the faces a Linux desktop under Wine usually has.
HFONT MakeUiFont() {
  static const char* const kFaces[] = {"MS UI Gothic", "Meiryo UI", "IPAGothic", "IPAPGothic",
                                       "VL Gothic", "Noto Sans CJK JP", "MS Gothic"};
  HDC dc = GetDC(nullptr);
  HFONT font = nullptr;
  for (const char* face : kFaces) {
    LOGFONTA query{};
    query.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(query.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExA(dc, &query, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    if (found) {
      font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
      break;
    }
  }
  ReleaseDC(nullptr, dc);
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Controls whose inputs are recorded are subclassed with this procedure; it
// receives the Unicode form of each message.
LRESULT CALLBACK SubclassThunk(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  auto found = g_subclasses.find(w);
  if (found == g_subclasses.end()) return DefWindowProcA(w, m, wp, lp);
  Subclass* sub = found->second;
  if (m == WM_NCDESTROY) {
    WNDPROC old = sub->old_proc;
    g_subclasses.erase(found);
    SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    delete sub;
    return CallWindowProcA(old, w, m, wp, lp);
  }
  return g_client->SubclassProc(*sub, w, m, wp, lp);
}

}  // namespace

Client::Client(HINSTANCE instance, std::string folder) : instance_(instance), folder_(std::move(folder)) {
  g_client = this;
  font_ = MakeUiFont();
  record_.Open(folder_ + "\\" + kRecordFile);
  score_.SetPath(folder_ + "\\" + kScoreFile);
  record_.Observe([this](std::string_view event) { FireTrigger(event); });
  room_names_ = {"ランキング卓", "一般卓", "東南戦卓"};
  room_rows_ = {
      {"64卓 東風戦 プレイ中 aaa bbb ccc ddd", "65卓 東風戦 待機中 eee", "66卓 東風戦 プレイ中 fff ggg hhh iii"},
      {"12卓 東風戦 待機中 jjj kkk", "13卓 東風戦 プレイ中 lll mmm nnn ooo"},
      {"3卓 東南戦 待機中 ppp"},
  };
  for (const char* name : {"aaa", "bbb", "ccc", "ddd", "eee", "fff"}) {
    players_[name] = PlayerInfo{"ランキング卓 64卓", 1500 + 37 * static_cast<int>(players_.size()), 120};
  }
}

Client::~Client() {
  g_client = nullptr;
  CloseHandle(thaw_);
}

void Client::CreateControlWindow() {
  WNDCLASSA control{};
  control.lpfnWndProc = ControlThunk;
  control.hInstance = instance_;
  control.lpszClassName = kControlClass;
  RegisterClassA(&control);
  WNDCLASSA table{};
  table.lpfnWndProc = TableThunk;
  table.hInstance = instance_;
  table.hCursor = LoadCursor(nullptr, IDC_ARROW);
  table.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  table.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  table.lpszClassName = "KatuGameMjMain";
  RegisterClassA(&table);
  control_ = CreateWindowExA(0, kControlClass, "MJ stand-in starting", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                             nullptr, instance_, nullptr);
  if (HANDLE side = CreateThread(nullptr, 0, SideChannel, instance_, 0, nullptr)) CloseHandle(side);
}

HWND& Client::WindowOf(Place place) {
  switch (place) {
    case Place::kConnect: return connect_;
    case Place::kRoom: return room_;
    case Place::kTable: return table_;
    case Place::kError: return error_;
    case Place::kSpectateFailure: return spectate_failure_;
    case Place::kStandin: break;
  }
  return control_;
}

bool Client::IsDialogMessageForAny(MSG* message) {
  for (HWND dialog : {connect_, room_, error_, spectate_failure_}) {
    if (dialog && IsDialogMessageA(dialog, message)) return true;
  }
  return false;
}

// A dialog of class "#32770" with no items and no title yet; its controls are
// added as plain child windows so their order is exactly the creation order,
// and Reveal gives it its title once they are all there, so that nobody
// finds the window by its title before its controls exist.
HWND Client::CreateDialogWindow(Place place, int width, int height, int x, int y) {
  alignas(4) WORD layout[16] = {};
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME;
  std::memcpy(layout, &style, sizeof style);
  DLGPROC proc = place == Place::kConnect ? ConnectProc
                 : place == Place::kRoom  ? RoomProc
                 : place == Place::kError ? ErrorProc
                                          : FailureProc;
  HWND dialog = CreateDialogIndirectParamA(instance_, reinterpret_cast<LPCDLGTEMPLATEA>(layout), nullptr, proc, 0);
  if (!dialog) return nullptr;
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  SetWindowPos(dialog, nullptr, x, y, frame.right - frame.left, frame.bottom - frame.top, SWP_NOZORDER);
  SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return dialog;
}

void Client::Reveal(HWND window, std::string_view title) {
  SetWindowTextA(window, std::string(title).c_str());
  ShowWindow(window, SW_SHOW);
}

HWND Client::AddControl(HWND parent, Place place, int child, const char* class_name, std::string_view text,
                        DWORD style, int x, int y, int width, int height, bool subclass) {
  DWORD ex_style = 0;
  if (std::strcmp(class_name, "EDIT") == 0 || std::strcmp(class_name, "LISTBOX") == 0) ex_style = WS_EX_CLIENTEDGE;
  HWND control = CreateWindowExA(ex_style, class_name, std::string(text).c_str(), WS_CHILD | WS_VISIBLE | style, x,
                                 y, width, height, parent, reinterpret_cast<HMENU>(INT_PTR{kControlId + child}),
                                 instance_, nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (subclass) {
    auto* sub = new Subclass{place, child, nullptr};
    // A Unicode procedure: the control keeps answering in its own form, so
    // texts asked for across processes (LB_GETTEXT) convert as usual.
    sub->old_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassThunk)));
    g_subclasses[control] = sub;
  }
  return control;
}

void Client::ShowConnect() {
  if (connect_) return;
  HWND d = CreateDialogWindow(Place::kConnect, 360, 220, 80, 60);
  connect_ = d;
  AddControl(d, Place::kConnect, 0, "STATIC", "ハンドル名", 0, 16, 18, 90, 20);
  AddControl(d, Place::kConnect, 1, "EDIT", handle_, WS_TABSTOP | ES_AUTOHSCROLL, 110, 14, 226, 24);
  AddControl(d, Place::kConnect, 2, "STATIC", "パスワード", 0, 16, 50, 90, 20);
  AddControl(d, Place::kConnect, 3, "EDIT", "", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, 110, 46, 226, 24);
  AddControl(d, Place::kConnect, 4, "STATIC", "サーバー", 0, 16, 82, 90, 20);
  AddControl(d, Place::kConnect, 5, "EDIT", "localhost", WS_TABSTOP | ES_AUTOHSCROLL, 110, 78, 226, 24);
  AddControl(d, Place::kConnect, 6, "STATIC", "状態：", 0, 16, 118, 90, 20);
  AddControl(d, Place::kConnect, 7, "STATIC", "未接続", 0, 110, 118, 226, 20);
  AddControl(d, Place::kConnect, 8, "BUTTON", "接続", WS_TABSTOP | BS_DEFPUSHBUTTON, 40, 160, 84, 30);
  AddControl(d, Place::kConnect, 9, "BUTTON", "中止", WS_TABSTOP, 138, 160, 84, 30);
  AddControl(d, Place::kConnect, 10, "BUTTON", "終了", WS_TABSTOP, 236, 160, 84, 30);
  Reveal(d, "東風荘－接続");
  record_.Add(Place::kConnect, -1, "open");
}

void Client::CloseConnect() {
  Cancel(attempt_timer_);
  CloseWindowOf(Place::kConnect);
}

void Client::ShowRoom() {
  if (room_) return;
  HWND d = CreateDialogWindow(Place::kRoom, 780, 520, 60, 40);
  room_ = d;
  AddControl(d, Place::kRoom, 0, "STATIC", "部屋", 0, 12, 14, 40, 20);
  HWND rooms = AddControl(d, Place::kRoom, 1, "COMBOBOX", "", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, 56, 10,
                          220, 200, true);
  AddControl(d, Place::kRoom, 2, "LISTBOX", "", WS_TABSTOP | LBS_NOTIFY | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 12,
             42, 360, 380, true);
  HWND view = AddControl(d, Place::kRoom, 3, "EDIT", "",
                         ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 384, 42, 384, 380);
  SendMessageA(view, EM_SETLIMITTEXT, 0, 0);
  AddControl(d, Place::kRoom, 4, "STATIC", "発言", 0, 12, 440, 40, 20);
  AddControl(d, Place::kRoom, 5, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 56, 436, 620, 24, true);
  AddControl(d, Place::kRoom, 6, "BUTTON", "送信", WS_TABSTOP | BS_DEFPUSHBUTTON, 688, 434, 80, 28);
  AddControl(d, Place::kRoom, 7, "BUTTON", "着席", WS_TABSTOP, 12, 476, 80, 30);
  AddControl(d, Place::kRoom, 8, "STATIC", "卓を選んで観戦または着席", 0, 290, 14, 300, 20);
  AddControl(d, Place::kRoom, 9, "BUTTON", "切断", WS_TABSTOP, 688, 476, 80, 30);
  AddControl(d, Place::kRoom, 10, "BUTTON", "観戦", WS_TABSTOP, 100, 476, 80, 30);
  AddControl(d, Place::kRoom, 11, "STATIC", "予約：", 0, 200, 482, 50, 20);
  AddControl(d, Place::kRoom, 12, "STATIC", reserved_ ? "予約中" : "", 0, 250, 482, 120, 20);
  internal_ = true;
  for (const std::string& name : room_names_) SendMessageA(rooms, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  SendMessageA(rooms, CB_SETCURSEL, 0, 0);
  internal_ = false;
  LoadRoomRows(0);
  Reveal(d, "東風荘 待合室 - " + handle_);
  record_.Add(Place::kRoom, -1, "open");
}

void Client::LoadRoomRows(int room) {
  if (!room_) return;
  HWND list = GetDlgItem(room_, kControlId + 2);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  loaded_room_ = room;
  if (room < 0 || room >= static_cast<int>(room_rows_.size())) return;
  for (const std::string& row : room_rows_[room]) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
  }
}

void Client::SetReservation(bool on) {
  reserved_ = on;
  if (room_) SetWindowTextA(GetDlgItem(room_, kControlId + 12), on ? "予約中" : "");
}

void Client::OpenTable(int table, bool playing) {
  if (table_) CloseTable();
  table_number_ = table;
  table_playing_ = playing;
  std::string title = "東風荘 " + std::to_string(table) + "卓" + (playing ? "" : " (観戦)");
  // The controls are made in WM_CREATE, so they exist as soon as the window does.
  table_ = CreateWindowExA(0, "KatuGameMjMain", title.c_str(), WS_OVERLAPPEDWINDOW, 420, 160, 720, 520, nullptr,
                           nullptr, instance_, nullptr);
  HWND w = table_;
  ShowWindow(w, SW_SHOW);
  SetFocus(GetDlgItem(w, kControlId + 1));
  record_.Add(Place::kTable, -1, "open", std::to_string(table));
  AddChatLine(Place::kTable, std::to_string(table) + (playing ? "卓に着席しました" : "卓を観戦します"));
}

void Client::CloseTable() {
  Cancel(game_timer_);
  CloseWindowOf(Place::kTable);
}

void Client::ShowDialog(Place place, std::string_view message) {
  HWND& dialog = WindowOf(place);
  if (dialog) return;  // one dialog of each kind at a time
  const char* title = place == Place::kError ? "エラー" : "観戦失敗";
  dialog = CreateDialogWindow(place, 300, 120, 240, 200);
  AddControl(dialog, place, 0, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 110, 76, 80, 30);
  AddControl(dialog, place, 1, "STATIC", message, SS_CENTER, 10, 20, 280, 40);
  Reveal(dialog, title);
  record_.Add(place, -1, "open", message);
}

// Forgets the window of `place` before destroying it, so that nothing its
// destruction sends finds it still recorded as open.
void Client::CloseWindowOf(Place place) {
  HWND& window = WindowOf(place);
  if (!window) return;
  HWND closing = window;
  window = nullptr;
  DestroyWindow(closing);
  record_.Add(place, -1, "close");
}

INT_PTR Client::DialogProc(Place place, HWND window, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CLOSE:
      if (place == Place::kConnect || place == Place::kRoom) {
        record_.Add(place, -1, "quit");
        quitting_ = true;
        PostQuitMessage(0);
      } else {
        CloseWindowOf(place);
      }
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (id == IDCANCEL) return TRUE;  // Esc does not close the client's windows
      if (place == Place::kRoom && id == kControlId + 1 && code == CBN_SELCHANGE) {
        // A person choosing a room loads it at once.
        LoadRoomRows(static_cast<int>(SendMessageA(GetDlgItem(window, kControlId + 1), CB_GETCURSEL, 0, 0)));
        return TRUE;
      }
      if (code != BN_CLICKED) return FALSE;
      const int child = id == IDOK ? -1 : id - kControlId;
      if (child >= 0) record_.Add(place, child, "click");
      if (place == Place::kConnect) {
        if (child == 8 || id == IDOK) ConnectPressed();
        if (child == 9) CancelPressed();
        if (child == 10) {
          quitting_ = true;
          PostQuitMessage(0);
        }
      } else if (place == Place::kRoom) {
        if (child == 6 || id == IDOK) SubmitInput(Place::kRoom, GetDlgItem(window, kControlId + 5));
        if (child == 7) SitPressed();
        if (child == 9) {
          CloseTable();
          CloseWindowOf(Place::kRoom);
          ShowConnect();
        }
        if (child == 10) SpectatePressed();
      } else if (child == 0 || id == IDOK) {
        CloseWindowOf(place);
      }
      return TRUE;
    }
  }
  return FALSE;
}

void Client::BuildTable(HWND w) {
  HWND view = AddControl(w, Place::kTable, 0, "EDIT", "",
                         ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 392, 10, 310, 420);
  SendMessageA(view, EM_SETLIMITTEXT, 0, 0);
  AddControl(w, Place::kTable, 1, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, 392, 440, 310, 24, true);
  std::string board = std::to_string(table_number_) + "卓\r\n\r\n";
  board += table_playing_ ? "対局中" : "観戦中";
  AddControl(w, Place::kTable, 2, "STATIC", board, SS_CENTER | WS_BORDER, 10, 10, 370, 420);
  AddControl(w, Place::kTable, 3, "BUTTON", "退席", WS_TABSTOP, 10, 440, 90, 28);
}

LRESULT Client::TableProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      BuildTable(window);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP: {
      char key[8];
      wsprintfA(key, "0x%02X", static_cast<unsigned>(wparam));
      record_.Add(Place::kTable, -1, message == WM_KEYDOWN ? "keydown" : "keyup", key);
      // F4 ends spectating: the table window closes once the key is let go.
      if (message == WM_KEYUP && wparam == VK_F4 && f4_leaves_ && !table_playing_) {
        PostMessageA(window, WM_CLOSE, 0, 0);
      }
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED && LOWORD(wparam) == kControlId + 3) {
        record_.Add(Place::kTable, 3, "click");
        PostMessageA(window, WM_CLOSE, 0, 0);
      }
      return 0;
    case WM_SETFOCUS:
      SetFocus(GetDlgItem(window, kControlId + 1));
      return 0;
    case WM_CLOSE:
      if (window == table_) {
        CloseTable();
        return 0;
      }
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT Client::SubclassProc(Subclass& sub, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  char number[16];
  if (internal_) return CallWindowProcA(sub.old_proc, window, message, wparam, lparam);
  switch (message) {
    case WM_SETTEXT: {
      std::string text;
      if (const auto* wide = reinterpret_cast<const wchar_t*>(lparam)) {
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (bytes > 1) {
          text.resize(static_cast<size_t>(bytes));
          WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), bytes, nullptr, nullptr);
          text.resize(static_cast<size_t>(bytes - 1));
        }
      }
      record_.Add(sub.place, sub.child, "settext", text);
      break;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
      wsprintfA(number, "0x%02X", static_cast<unsigned>(wparam));
      record_.Add(sub.place, sub.child,
                  message == WM_KEYDOWN ? "keydown" : message == WM_KEYUP ? "keyup" : "syskeydown", number);
      if (sub.place == Place::kTable && sub.child == 1 && wparam == VK_RETURN) {
        if (message == WM_KEYDOWN) SubmitInput(Place::kTable, window);
        return 0;
      }
      if (sub.place == Place::kRoom && sub.child == 1 && message == WM_SYSKEYDOWN && wparam == 0x36) {
        // The room selector's "load the chosen room" key.
        LoadRoomRows(static_cast<int>(CallWindowProcA(sub.old_proc, window, CB_GETCURSEL, 0, 0)));
        return 0;
      }
      break;
    case WM_CHAR:
      // The Enter of the table's chat input is handled at its key-down.
      if (sub.place == Place::kTable && wparam == '\r') return 0;
      break;
    case CB_SETCURSEL:
    case LB_SETCURSEL:
      wsprintfA(number, "%d", static_cast<int>(wparam));
      record_.Add(sub.place, sub.child, message == CB_SETCURSEL ? "cb_setcursel" : "lb_setcursel", number);
      break;
  }
  return CallWindowProcA(sub.old_proc, window, message, wparam, lparam);
}

}  // namespace standin
