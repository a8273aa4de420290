// What the service does: connecting, spectating and sitting at tables,
// answering chat lines and commands, other players' chat, the score file;
// and the control commands that script all of it.
#include <cstdlib>

#include "standin/client.h"
#include "text/sjis.h"

namespace standin {

namespace {

constexpr int kControlId = 1000;

struct Sample {
  const char* speaker;
  const char* text;
};
// Chat of other players for the chatter command, in turn.
constexpr Sample kChatter[] = {
    {"aaa", "こんばんは"},
    {"bbb", "よろしくお願いします"},
    {"ccc", "東南戦どなたか入りませんか"},
    {"ddd", "64卓あと一人です"},
    {"eee", "お疲れさまでした"},
    {"fff", "今日はツイてない…"},
};

std::vector<std::string> SplitWords(std::string_view line, size_t count, std::string* rest) {
  std::vector<std::string> words;
  size_t i = 0;
  while (words.size() < count) {
    while (i < line.size() && line[i] == ' ') ++i;
    if (i >= line.size()) break;
    size_t end = line.find(' ', i);
    if (end == std::string_view::npos) end = line.size();
    words.emplace_back(line.substr(i, end - i));
    i = end;
  }
  if (rest) {
    if (i < line.size() && line[i] == ' ') ++i;
    *rest = std::string(line.substr(std::min(i, line.size())));
  }
  return words;
}

bool ParseNumber(const std::string& word, long* value) {
  if (word.empty()) return false;
  char* end = nullptr;
  *value = std::strtol(word.c_str(), &end, 10);
  return *end == '\0';
}

bool ParsePlace(const std::string& word, Place* place) {
  if (word == "room") *place = Place::kRoom;
  else if (word == "table") *place = Place::kTable;
  else if (word == "connect") *place = Place::kConnect;
  else if (word == "error") *place = Place::kError;
  else if (word == "spectatefail") *place = Place::kSpectateFailure;
  else return false;
  return true;
}

bool ParseOutcome(const std::vector<std::string>& words, Outcome* outcome) {
  if (words.size() < 2) return false;
  const std::string& kind = words[1];
  if (kind == "ok") outcome->kind = Outcome::kOk;
  else if (kind == "error" || kind == "fail") outcome->kind = Outcome::kFail;
  else if (kind == "none") outcome->kind = Outcome::kNone;
  else if (kind == "auto") outcome->kind = Outcome::kAuto;
  else return false;
  long delay = 0;
  if (words.size() >= 3) {
    if (!ParseNumber(words[2], &delay) || delay < 0) return false;
    outcome->delay_ms = static_cast<DWORD>(delay);
  }
  return true;
}

std::string KindName(const std::string& word) {
  if (word == "0") return "東風戦";
  if (word == "1") return "東南戦";
  if (word == "2") return "三人打ち";
  return word;
}

int LeadingNumber(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

// ---- scheduling ----

UINT_PTR Client::After(DWORD delay_ms, std::function<void()> action) {
  const UINT_PTR id = next_timer_++;
  timers_[id] = {std::move(action), false};
  SetTimer(control_, id, delay_ms ? delay_ms : 1, nullptr);
  return id;
}

UINT_PTR Client::Every(DWORD period_ms, std::function<void()> action) {
  const UINT_PTR id = next_timer_++;
  timers_[id] = {std::move(action), true};
  SetTimer(control_, id, period_ms ? period_ms : 1, nullptr);
  return id;
}

void Client::Cancel(UINT_PTR& timer) {
  if (!timer) return;
  KillTimer(control_, timer);
  timers_.erase(timer);
  timer = 0;
}

bool Client::TakeCommand(LPARAM lparam, bool side_thread) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
  if (!data || data->dwData != kCommandData) return false;
  std::string command(static_cast<const char*>(data->lpData), data->cbData);
  while (!command.empty() && (command.back() == '\0' || command.back() == '\r' || command.back() == '\n')) {
    command.pop_back();
  }
  // The side thread does not write the record: the two threads would share it.
  return side_thread ? RunCommand(command, true) : Run(command);
}

LRESULT Client::ControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COPYDATA:
      return TakeCommand(lparam, false) ? TRUE : FALSE;
    case WM_TIMER: {
      auto found = timers_.find(wparam);
      if (found == timers_.end()) {
        KillTimer(window, wparam);
        return 0;
      }
      std::function<void()> action = found->second.first;
      if (!found->second.second) {
        KillTimer(window, wparam);
        timers_.erase(found);
      }
      action();
      return 0;
    }
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// ---- connect dialog ----

void Client::ConnectPressed() {
  // The real dialog ignores its connect button while an attempt runs.
  if (attempt_running_ || !connect_) return;
  attempt_running_ = true;
  SetWindowTextA(GetDlgItem(connect_, kControlId + 7), "接続中…");
  switch (connect_outcome_.kind) {
    case Outcome::kOk:
    case Outcome::kAuto:
      attempt_timer_ = After(connect_outcome_.delay_ms, [this] { Connected(); });
      break;
    case Outcome::kFail:
      attempt_timer_ = After(connect_outcome_.delay_ms, [this] {
        attempt_timer_ = 0;
        attempt_running_ = false;
        if (connect_) SetWindowTextA(GetDlgItem(connect_, kControlId + 7), "未接続");
        ShowDialog(Place::kError, "サーバーに接続できませんでした");
      });
      break;
    case Outcome::kNone:
      break;  // the attempt hangs until it is cancelled
  }
}

void Client::CancelPressed() {
  Cancel(attempt_timer_);
  attempt_running_ = false;
  if (connect_) SetWindowTextA(GetDlgItem(connect_, kControlId + 7), "中止しました");
}

void Client::Connected() {
  attempt_timer_ = 0;
  attempt_running_ = false;
  if (connect_) {
    char typed[64] = {};
    GetWindowTextA(GetDlgItem(connect_, kControlId + 1), typed, sizeof typed);
    if (typed[0]) handle_ = typed;
  }
  CloseConnect();
  ShowRoom();
  AddChatLine(Place::kRoom, handle_ + "：<<接続>>");
  AddChatLine(Place::kRoom, "東風荘へようこそ");
}

// ---- waiting room ----

void Client::SpectatePressed() {
  std::string row;
  if (room_) {
    HWND list = GetDlgItem(room_, kControlId + 2);
    const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected >= 0) {
      const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, selected, 0);
      if (length > 0) {
        row.resize(static_cast<size_t>(length) + 1);
        SendMessageA(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(row.data()));
        row.resize(static_cast<size_t>(length));
      }
    }
  }
  Outcome::Kind kind = spectate_outcome_.kind;
  if (kind == Outcome::kNone) return;
  if (kind == Outcome::kAuto) {
    kind = !table_ && tamiru::text::ContainsSjis(row, "プレイ中") ? Outcome::kOk : Outcome::kFail;
  }
  const int table = LeadingNumber(row);
  After(spectate_outcome_.delay_ms, [this, kind, table] {
    if (kind == Outcome::kOk) {
      OpenTable(table, false);
    } else {
      ShowDialog(Place::kSpectateFailure, "観戦できませんでした");
    }
  });
}

void Client::SitPressed() {
  if (!room_ || table_) return;
  HWND list = GetDlgItem(room_, kControlId + 2);
  const LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (selected < 0) return;
  char row[256] = {};
  if (SendMessageA(list, LB_GETTEXTLEN, selected, 0) < static_cast<LRESULT>(sizeof row)) {
    SendMessageA(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(row));
  }
  const int table = LeadingNumber(row);
  const bool south = tamiru::text::ContainsSjis(row, "東南戦");
  OpenTable(table, true);
  const std::vector<std::string> players = {"aaa", handle_, "ccc", "ddd"};
  score_.StartGame(south ? "東南戦" : "東風戦", loaded_room_ < static_cast<int>(room_names_.size())
                                                    ? room_names_[loaded_room_]
                                                    : "一般卓",
                   table, players, {1532, 1500, 1611, 1488});
  game_timer_ = After(game_length_ms_, [this, table] {
    game_timer_ = 0;
    FinishGame(table);
  });
}

void Client::FinishGame(int table) {
  score_.Round("東1局 0本場(リーチ0) ccc 3900点 ロン");
  score_.Round("東2局 0本場(リーチ1) " + handle_ + " 2000点 ツモ");
  score_.EndGame(table, {{handle_, 54}, {"ccc", 12}, {"aaa", -20}, {"ddd", -46}});
  AddChatLine(Place::kTable, "対局が終了しました");
}

// ---- chat ----

void Client::AddChatLine(Place place, std::string_view line) {
  HWND window = WindowOf(place);
  if (!window || (place != Place::kRoom && place != Place::kTable)) return;
  HWND view = GetDlgItem(window, kControlId + (place == Place::kRoom ? 3 : 0));
  // New lines go to the end; the last line has no line break of its own.
  std::string added = GetWindowTextLengthA(view) > 0 ? "\r\n" : "";
  added += line;
  const LRESULT end = GetWindowTextLengthA(view);
  SendMessageA(view, EM_SETSEL, end, end);
  SendMessageA(view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
  SendMessageA(view, EM_SCROLLCARET, 0, 0);
  record_.Add(place, place == Place::kRoom ? 3 : 0, "line", line);
}

void Client::AddPlayerMessage(Place place, std::string_view speaker, std::string_view text, bool tab_before_mark) {
  if (place == Place::kTable && !table_chat_on_) return;
  std::string line(speaker);
  if (place == Place::kRoom) {
    line += ">\t";
  } else {
    line += tab_before_mark ? "\t>" : ">";
  }
  line += text;
  AddChatLine(place, line);
}

void Client::ChatterStep(Place place) {
  size_t& next = chatter_next_[place];
  const Sample& sample = kChatter[next % std::size(kChatter)];
  if (next % 5 == 4) {
    AddChatLine(place, std::string(sample.speaker) + "：<<接続>>");
  } else {
    AddPlayerMessage(place, sample.speaker, sample.text, place == Place::kTable && next % 3 == 2);
  }
  ++next;
}

void Client::SubmitInput(Place place, HWND input) {
  if (!input) return;
  const int length = GetWindowTextLengthA(input);
  std::string line(static_cast<size_t>(length) + 1, '\0');
  line.resize(static_cast<size_t>(GetWindowTextA(input, line.data(), length + 1)));
  record_.Add(place, -1, "send", line);
  if (input_never_empties_) return;  // a client that hangs on its input
  auto take = [this, place, line] {
    HWND window = WindowOf(place);
    if (window) {
      internal_ = true;
      SetWindowTextA(GetDlgItem(window, kControlId + (place == Place::kRoom ? 5 : 1)), "");
      internal_ = false;
    }
    AnswerLine(place, line);
  };
  if (input_delay_ms_ == 0) {
    take();
  } else {
    After(input_delay_ms_, take);
  }
}

void Client::AnswerLine(Place place, std::string_view line) {
  if (line.empty()) return;
  auto name_after = [&](size_t prefix) { return std::string(line.substr(prefix)); };
  auto starts = [&](std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; };
  if (starts("/w ") || starts("/r ")) {
    const std::string name = name_after(3);
    auto known = players_.find(name);
    if (known == players_.end()) {
      AddChatLine(place, name + " さんはログインしていません");
    } else if (starts("/w ")) {
      AddChatLine(place, name + " さんは " + known->second.where + " にいます");
    } else {
      AddChatLine(place, name + " さんのレート R" + std::to_string(known->second.rating) + " (" +
                             std::to_string(known->second.games) + "戦)");
    }
  } else if (starts("/i ")) {
    AddChatLine(place, name_after(3) + " さんの発言を表示しません");
  } else if (starts("/t ")) {
    const std::string rest = name_after(3);
    const size_t space = rest.find(' ');
    const std::string name = rest.substr(0, space);
    const std::string message = space == std::string::npos ? "" : rest.substr(space + 1);
    AddChatLine(place, name + " さんへ伝言: " + message);
  } else if (line == "/chaton") {
    table_chat_on_ = true;
    AddChatLine(place, "チャットを表示します");
  } else if (line == "/chatoff") {
    table_chat_on_ = false;
    AddChatLine(place, "チャットを表示しません");
  } else if (line == "/l") {
    std::string list = "部屋:";
    for (size_t i = 0; i < room_names_.size(); ++i) {
      list += " " + room_names_[i] + " " + std::to_string(i < room_rows_.size() ? room_rows_[i].size() : 0) + "卓";
    }
    AddChatLine(place, list);
  } else if (line == "/h") {
    AddChatLine(place, "観戦者の発言を隠します");
  } else if (line[0] == '/') {
    AddChatLine(place, "コマンドが違います: " + std::string(line));
  } else {
    AddPlayerMessage(place, handle_, line, false);
  }
}

// ---- control commands ----

void Client::RunScript(std::string_view script) {
  size_t start = 0;
  while (start < script.size()) {
    size_t end = script.find('\n', start);
    if (end == std::string_view::npos) end = script.size();
    std::string line(script.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    if (line.empty() || line[0] == '#') continue;
    Run(line);
  }
}

bool Client::Run(std::string_view command) {
  record_.Add(Place::kStandin, -1, "command", command);
  const bool ok = RunCommand(command, false);
  if (!ok) record_.Add(Place::kStandin, -1, "refused", command);
  return ok;
}

// ---- the verbs of the control commands ----

namespace {

bool ParseChatPlace(const std::string& word, Place* place) {
  return ParsePlace(word, place) && (*place == Place::kRoom || *place == Place::kTable);
}

// "a|b|c" into its pieces; an empty text is one empty piece unless
// `empty_is_none`.
std::vector<std::string> SplitBars(const std::string& all, bool empty_is_none) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (!(empty_is_none && all.empty()) && start <= all.size()) {
    size_t bar = all.find('|', start);
    if (bar == std::string::npos) bar = all.size();
    pieces.push_back(all.substr(start, bar - start));
    start = bar + 1;
  }
  return pieces;
}

}  // namespace

const Client::Verb* Client::FindVerb(std::string_view name) {
  static const Verb kVerbs[] = {
      {"after", &Client::VerbAfter},
      {"handle", &Client::VerbHandle},
      {"show", &Client::VerbShow},
      {"sit", &Client::VerbSit},
      {"close", &Client::VerbClose},
      {"connect", &Client::VerbOutcome},
      {"spectate", &Client::VerbOutcome},
      {"reserve", &Client::VerbReserve},
      {"rooms", &Client::VerbRooms},
      {"select-room", &Client::VerbSelectRoom},
      {"tables", &Client::VerbTables},
      {"say", &Client::VerbSay},
      {"saytab", &Client::VerbSay},
      {"notice", &Client::VerbNotice},
      {"clear", &Client::VerbClear},
      {"player", &Client::VerbPlayer},
      {"input-delay", &Client::VerbInputDelay},
      {"f4", &Client::VerbF4},
      {"game-length", &Client::VerbGameLength},
      {"chatter", &Client::VerbChatter},
      {"game", &Client::VerbGame},
      {"error", &Client::VerbDialog},
      {"spectatefail", &Client::VerbDialog},
      {"on", &Client::VerbOn},
      {"freeze", &Client::VerbFreeze},
      {"thaw", &Client::VerbThaw, true},
      {"exit", &Client::VerbExit, true},
      {"quit", &Client::VerbQuit},
  };
  for (const Verb& verb : kVerbs) {
    if (name == verb.name) return &verb;
  }
  return nullptr;
}

CommandWords::CommandWords(std::string_view command) : line(command) {
  w = SplitWords(command, 3, &rest3);
  SplitWords(command, 1, &rest1);
  SplitWords(command, 2, &rest2);
}

bool Client::RunCommand(std::string_view command, bool side_thread) {
  const CommandWords words(command);
  if (words.w.empty()) return false;
  const Verb* verb = FindVerb(words.w[0]);
  if (!verb || (side_thread && !verb->any_thread)) return false;
  return (this->*verb->run)(words);
}

bool Client::VerbAfter(const CommandWords& a) {
  long number = 0;
  if (a.w.size() < 2 || !ParseNumber(a.w[1], &number) || number < 0) return false;
  const std::string later = a.rest2;
  After(static_cast<DWORD>(number), [this, later] { Run(later); });
  return true;
}

bool Client::VerbHandle(const CommandWords& a) {
  if (a.w.size() != 2) return false;
  handle_ = a.w[1];
  return true;
}

bool Client::VerbShow(const CommandWords& a) {
  if (a.w.size() < 2) return false;
  if (a.w[1] == "connect") ShowConnect();
  else if (a.w[1] == "room") ShowRoom();
  else if (a.w[1] == "table") OpenTable(a.w.size() >= 3 ? std::atoi(a.w[2].c_str()) : 1, false);
  else return false;
  return true;
}

bool Client::VerbSit(const CommandWords& a) {
  long number = 0;
  if (a.w.size() < 2 || !ParseNumber(a.w[1], &number)) return false;
  OpenTable(static_cast<int>(number), true);
  return true;
}

bool Client::VerbClose(const CommandWords& a) {
  Place place = Place::kStandin;
  if (a.w.size() != 2 || !ParsePlace(a.w[1], &place)) return false;
  if (place == Place::kConnect) CloseConnect();
  else if (place == Place::kTable) CloseTable();
  else CloseWindowOf(place);
  return true;
}

bool Client::VerbOutcome(const CommandWords& a) {
  return ParseOutcome(a.w, a.w[0] == "connect" ? &connect_outcome_ : &spectate_outcome_);
}

bool Client::VerbReserve(const CommandWords& a) {
  if (a.w.size() != 2 || (a.w[1] != "on" && a.w[1] != "off")) return false;
  SetReservation(a.w[1] == "on");
  return true;
}

bool Client::VerbRooms(const CommandWords& a) {
  if (a.w.size() < 2) return false;
  room_names_ = SplitBars(UnescapeArgument(a.rest1), false);
  room_rows_.assign(room_names_.size(), {});
  if (room_) {
    HWND rooms = GetDlgItem(room_, kControlId + 1);
    internal_ = true;
    SendMessageA(rooms, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : room_names_) {
      SendMessageA(rooms, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageA(rooms, CB_SETCURSEL, 0, 0);
    internal_ = false;
    LoadRoomRows(0);
  }
  return true;
}

bool Client::VerbSelectRoom(const CommandWords& a) {
  long number = 0;
  if (a.w.size() != 2 || !ParseNumber(a.w[1], &number)) return false;
  if (room_) {
    internal_ = true;
    SendMessageA(GetDlgItem(room_, kControlId + 1), CB_SETCURSEL, static_cast<WPARAM>(number), 0);
    internal_ = false;
  }
  LoadRoomRows(static_cast<int>(number));
  return true;
}

bool Client::VerbTables(const CommandWords& a) {
  long number = 0;
  if (a.w.size() < 2 || !ParseNumber(a.w[1], &number) || number < 0 || number >= 64) return false;
  const size_t room = static_cast<size_t>(number);
  if (room_rows_.size() <= room) room_rows_.resize(room + 1);
  if (room_names_.size() <= room) room_names_.resize(room + 1, "部屋");
  room_rows_[room] = SplitBars(UnescapeArgument(a.rest2), true);
  if (loaded_room_ == static_cast<int>(room)) LoadRoomRows(loaded_room_);
  return true;
}

bool Client::VerbSay(const CommandWords& a) {
  Place place = Place::kStandin;
  if (a.w.size() < 3 || !ParseChatPlace(a.w[1], &place)) return false;
  AddPlayerMessage(place, UnescapeArgument(a.w[2]), UnescapeArgument(a.rest3), a.w[0] == "saytab");
  return true;
}

bool Client::VerbNotice(const CommandWords& a) {
  Place place = Place::kStandin;
  if (a.w.size() < 2 || !ParseChatPlace(a.w[1], &place)) return false;
  AddChatLine(place, UnescapeArgument(a.rest2));
  return true;
}

bool Client::VerbClear(const CommandWords& a) {
  Place place = Place::kStandin;
  if (a.w.size() != 2 || !ParseChatPlace(a.w[1], &place)) return false;
  if (HWND window = WindowOf(place)) {
    SetWindowTextA(GetDlgItem(window, kControlId + (place == Place::kRoom ? 3 : 0)), "");
  }
  return true;
}

bool Client::VerbPlayer(const CommandWords& a) {
  long number = 0;
  if (a.w.size() < 3 || !ParseNumber(a.w[2], &number)) return false;
  PlayerInfo& info = players_[a.w[1]];
  info.rating = static_cast<int>(number);
  info.where = UnescapeArgument(a.rest3);
  return true;
}

bool Client::VerbInputDelay(const CommandWords& a) {
  if (a.w.size() != 2) return false;
  if (a.w[1] == "never") {
    input_never_empties_ = true;
    return true;
  }
  long number = 0;
  if (!ParseNumber(a.w[1], &number) || number < 0) return false;
  input_never_empties_ = false;
  input_delay_ms_ = static_cast<DWORD>(number);
  return true;
}

bool Client::VerbF4(const CommandWords& a) {
  if (a.w.size() != 2 || (a.w[1] != "leave" && a.w[1] != "stay")) return false;
  f4_leaves_ = a.w[1] == "leave";
  return true;
}

bool Client::VerbGameLength(const CommandWords& a) {
  long number = 0;
  if (a.w.size() != 2 || !ParseNumber(a.w[1], &number) || number < 0) return false;
  game_length_ms_ = static_cast<DWORD>(number);
  return true;
}

bool Client::VerbChatter(const CommandWords& a) {
  Place place = Place::kStandin;
  if (a.w.size() < 3 || !ParseChatPlace(a.w[1], &place)) return false;
  UINT_PTR& timer = chatter_timers_[place];
  Cancel(timer);
  if (a.w[2] == "off") return true;
  long number = 0;
  if (!ParseNumber(a.w[2], &number) || number <= 0) return false;
  timer = Every(static_cast<DWORD>(number), [this, place] { ChatterStep(place); });
  return true;
}

bool Client::VerbGame(const CommandWords& a) {
  if (a.w.size() < 2) return false;
  std::string rest;
  const std::vector<std::string> g = SplitWords(a.line, 64, &rest);
  long number = 0;
  if (a.w[1] == "start" && g.size() >= 7 && ParseNumber(g[3], &number)) {
    std::vector<std::string> players(g.begin() + 4, g.end());
    std::vector<int> ratings;
    for (const std::string& player : players) {
      auto known = players_.find(player);
      ratings.push_back(known == players_.end() ? 1500 : known->second.rating);
    }
    const std::string kind = KindName(g[2]);
    const size_t colon = kind.find(':');
    score_.StartGame(kind.substr(0, colon), colon == std::string::npos ? "ランキング卓" : kind.substr(colon + 1),
                     static_cast<int>(number), players, ratings);
    return true;
  }
  if (a.w[1] == "round") {
    score_.Round(UnescapeArgument(a.rest2));
    return true;
  }
  if (a.w[1] == "end" && g.size() >= 5 && g.size() % 2 == 1 && ParseNumber(g[2], &number)) {
    std::vector<std::pair<std::string, int>> results;
    for (size_t i = 3; i + 1 < g.size(); i += 2) {
      long score = 0;
      if (!ParseNumber(g[i + 1], &score)) return false;
      results.emplace_back(g[i], static_cast<int>(score));
    }
    score_.EndGame(static_cast<int>(number), results);
    return true;
  }
  return false;
}

bool Client::VerbDialog(const CommandWords& a) {
  ShowDialog(a.w[0] == "error" ? Place::kError : Place::kSpectateFailure,
             a.rest1.empty() ? "エラーが発生しました" : UnescapeArgument(a.rest1));
  return true;
}

// "on EVENT COMMAND": COMMAND runs once, just after the next record entry of
// that event (send, click, settext, ...), so that a scenario can hang or end
// the client at an exact step of an operation.
bool Client::VerbOn(const CommandWords& a) {
  if (a.w.size() < 3) return false;
  triggers_.emplace_back(a.w[1], a.rest2);
  return true;
}

void Client::FireTrigger(std::string_view event) {
  for (auto it = triggers_.begin(); it != triggers_.end(); ++it) {
    if (it->first != event) continue;
    const std::string command = it->second;
    triggers_.erase(it);
    After(0, [this, command] { Run(command); });
    return;
  }
}

// "freeze [MS]": the user-interface thread stops taking messages, as a hung
// client does, until "thaw" comes on the side channel or MS (default 60 s)
// have passed. It starts once this command has been answered.
bool Client::VerbFreeze(const CommandWords& a) {
  long bound = 60000;
  if (a.w.size() > 2 || (a.w.size() == 2 && (!ParseNumber(a.w[1], &bound) || bound < 0))) return false;
  ResetEvent(thaw_);
  After(0, [this, bound] {
    record_.Add(Place::kStandin, -1, "frozen");
    WaitForSingleObject(thaw_, static_cast<DWORD>(bound));
    record_.Add(Place::kStandin, -1, "thawed");
  });
  return true;
}

bool Client::VerbThaw(const CommandWords& a) {
  if (a.w.size() != 1) return false;
  SetEvent(thaw_);
  return true;
}

// "exit": ends the process at once, as a killed client ends: no window is
// closed first.
bool Client::VerbExit(const CommandWords& a) {
  if (a.w.size() != 1) return false;
  TerminateProcess(GetCurrentProcess(), 3);
  return true;
}

bool Client::VerbQuit(const CommandWords& a) {
  if (a.w.size() != 1) return false;
  quitting_ = true;
  PostQuitMessage(0);
  return true;
}

}  // namespace standin
