#pragma once
// MJ.exe, the stand-in game client: the client's windows and controls at the
// child numbers the real client has, a service that answers chat lines, a
// score file, a control channel for scenarios and a record of every input.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// The windows of the client; every recorded input names one of them.
enum class Place { kStandin, kConnect, kRoom, kTable, kError, kSpectateFailure };
const char* PlaceName(Place place);

// Class of the hidden window that takes control commands (WM_COPYDATA with
// dwData kCommandData and the command's bytes).
inline constexpr char kControlClass[] = "MjStandinControl";
// Its title once the start scenario has run and the first window is up.
inline constexpr char kControlReadyTitle[] = "MJ stand-in ready";
inline constexpr ULONG_PTR kCommandData = 0x4D4A;
// Class of the hidden window of the side channel, a thread of its own that
// takes the commands marked for any thread ("thaw", "exit") while the
// user-interface thread is frozen.
inline constexpr char kSideClass[] = "MjStandinSide";
inline constexpr char kRecordFile[] = "standin_record.txt";
inline constexpr char kScenarioFile[] = "standin.txt";
inline constexpr char kScoreFile[] = "mjscore.txt";

// One line a record: tick TAB window TAB child TAB event TAB detail CR LF;
// child is -1 for the window itself; TAB, CR, LF and backslash inside the
// detail are written as \t, \r, \n and \\.
std::string EscapeField(std::string_view text);
// The inverse, for command arguments: \t \r \n \\ and \xNN (any byte).
std::string UnescapeArgument(std::string_view text);

class Recorder {
 public:
  ~Recorder();
  void Open(const std::string& path);
  void Add(Place place, int child, std::string_view event, std::string_view detail = {});
  // Called with the event of every entry once it is written.
  void Observe(std::function<void(std::string_view)> observer) { observer_ = std::move(observer); }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::function<void(std::string_view)> observer_;
};

// Appends the client's records to mjscore.txt, CR LF line ends.
class ScoreFile {
 public:
  void SetPath(std::string path) { path_ = std::move(path); }
  // kind: "東風戦", "東南戦" or "三人打ち"; ratings parallel to players.
  void StartGame(std::string_view kind, std::string_view room, int table,
                 const std::vector<std::string>& players, const std::vector<int>& ratings);
  void Round(std::string_view line);
  // results in rank order (handle, signed score).
  void EndGame(int table, const std::vector<std::pair<std::string, int>>& results);

 private:
  void Append(const std::string& lines);
  std::string path_;
};

// How a scripted outcome (connection attempt, spectate) turns out.
struct Outcome {
  enum Kind { kOk, kFail, kNone, kAuto } kind = kOk;
  DWORD delay_ms = 0;
};

struct PlayerInfo {
  std::string where;
  int rating = 1500;
  int games = 100;
};

// A control whose inputs are recorded: where it stands and its own procedure.
struct Subclass {
  Place place;
  int child;
  WNDPROC old_proc;
};

// A control command cut into its first three words and what follows the
// first one, two and three of them.
struct CommandWords {
  explicit CommandWords(std::string_view command);
  std::string_view line;
  std::vector<std::string> w;
  std::string rest1, rest2, rest3;
};

class Client {
 public:
  Client(HINSTANCE instance, std::string folder);
  ~Client();

  // Runs one control command; false when it is not understood.
  bool Run(std::string_view command);
  // The command of a WM_COPYDATA; the side thread runs only the verbs marked
  // for any thread.
  bool TakeCommand(LPARAM lparam, bool side_thread);
  // Runs every line of a scenario file (blank lines and lines starting
  // with '#' are skipped).
  void RunScript(std::string_view script);
  // The connect dialog, unless the scenario has opened a window already.
  void ShowStartWindow() {
    if (!connect_ && !room_ && !table_) ShowConnect();
  }
  void MarkReady() { SetWindowTextA(control_, kControlReadyTitle); }
  bool Quitting() const { return quitting_; }
  bool IsDialogMessageForAny(MSG* message);

  // Window procedures reach the client through these.
  LRESULT ControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR DialogProc(Place place, HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT TableProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT SubclassProc(Subclass& sub, HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControlWindow();

 private:
  // Scheduling on the control window's timers.
  UINT_PTR After(DWORD delay_ms, std::function<void()> action);
  UINT_PTR Every(DWORD period_ms, std::function<void()> action);
  void Cancel(UINT_PTR& timer);

  // Windows.
  void ShowConnect();
  void ShowRoom();
  void OpenTable(int table, bool playing);
  void CloseTable();
  void CloseConnect();
  void ShowDialog(Place place, std::string_view message);
  void CloseWindowOf(Place place);
  HWND CreateDialogWindow(Place place, int width, int height, int x, int y);
  void Reveal(HWND window, std::string_view title);
  void BuildTable(HWND window);
  HWND AddControl(HWND parent, Place place, int child, const char* class_name, std::string_view text,
                  DWORD style, int x, int y, int width, int height, bool subclass = false);
  HWND& WindowOf(Place place);

  // Connect dialog.
  void ConnectPressed();
  void CancelPressed();
  void Connected();

  // Waiting room.
  void LoadRoomRows(int room);
  void SpectatePressed();
  void SitPressed();
  void SetReservation(bool on);

  // Chat.
  void SubmitInput(Place place, HWND input);
  void AnswerLine(Place place, std::string_view line);
  void AddChatLine(Place place, std::string_view line);
  void AddPlayerMessage(Place place, std::string_view speaker, std::string_view text, bool tab_before_mark);
  void ChatterStep(Place place);

  // Score file.
  void FinishGame(int table);

  // The control commands: one handler a verb.
  struct Verb {
    const char* name;
    bool (Client::*run)(const CommandWords&);
    bool any_thread = false;
  };
  static const Verb* FindVerb(std::string_view name);
  bool RunCommand(std::string_view command, bool side_thread);
  bool VerbAfter(const CommandWords& a);
  bool VerbHandle(const CommandWords& a);
  bool VerbShow(const CommandWords& a);
  bool VerbSit(const CommandWords& a);
  bool VerbClose(const CommandWords& a);
  bool VerbOutcome(const CommandWords& a);
  bool VerbReserve(const CommandWords& a);
  bool VerbRooms(const CommandWords& a);
  bool VerbSelectRoom(const CommandWords& a);
  bool VerbTables(const CommandWords& a);
  bool VerbSay(const CommandWords& a);
  bool VerbNotice(const CommandWords& a);
  bool VerbClear(const CommandWords& a);
  bool VerbPlayer(const CommandWords& a);
  bool VerbInputDelay(const CommandWords& a);
  bool VerbF4(const CommandWords& a);
  bool VerbGameLength(const CommandWords& a);
  bool VerbChatter(const CommandWords& a);
  bool VerbGame(const CommandWords& a);
  bool VerbDialog(const CommandWords& a);
  bool VerbOn(const CommandWords& a);
  bool VerbFreeze(const CommandWords& a);
  bool VerbThaw(const CommandWords& a);
  bool VerbExit(const CommandWords& a);
  bool VerbQuit(const CommandWords& a);
  void FireTrigger(std::string_view event);

  HINSTANCE instance_;
  std::string folder_;
  HFONT font_ = nullptr;
  HWND control_ = nullptr;
  HWND connect_ = nullptr;
  HWND room_ = nullptr;
  HWND table_ = nullptr;
  HWND error_ = nullptr;
  HWND spectate_failure_ = nullptr;
  bool quitting_ = false;
  bool internal_ = false;  // the stand-in's own changes to its controls are not inputs

  Recorder record_;
  ScoreFile score_;

  std::map<UINT_PTR, std::pair<std::function<void()>, bool>> timers_;  // action, repeats
  UINT_PTR next_timer_ = 1;

  std::string handle_ = "user1";
  Outcome connect_outcome_{Outcome::kOk, 800};
  Outcome spectate_outcome_{Outcome::kAuto, 1200};
  UINT_PTR attempt_timer_ = 0;
  bool attempt_running_ = false;
  DWORD game_length_ms_ = 20000;
  bool input_never_empties_ = false;
  DWORD input_delay_ms_ = 0;
  bool f4_leaves_ = true;
  bool table_chat_on_ = true;
  bool reserved_ = false;

  std::vector<std::string> room_names_;
  std::vector<std::vector<std::string>> room_rows_;
  int loaded_room_ = 0;
  int table_number_ = 0;
  bool table_playing_ = false;
  UINT_PTR game_timer_ = 0;
  std::map<std::string, PlayerInfo> players_;
  std::map<Place, UINT_PTR> chatter_timers_;
  std::map<Place, size_t> chatter_next_;
  std::vector<std::pair<std::string, std::string>> triggers_;  // event, command
  HANDLE thaw_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

}  // namespace standin
