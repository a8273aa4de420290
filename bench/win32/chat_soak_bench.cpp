// Chat for the chat log soak: posts lines to the running stand-in client
// (MJ.exe) through its control window, first in the waiting room, then at a
// table, at a steady rate, and writes every line as it appears in the chat
// view to a file for the comparison with the log.
//   wine chat_soak_bench.exe SECONDS LINES_PER_SECOND SENT_FILE [SETTLE_MS] [MACRO_EVERY_S]
// The first half of SECONDS chats in the waiting room. Then, after SETTLE_MS
// (default 8000, longer than a Timer2 period, so that the last room lines
// are captured before the table's chat takes over), it sits at table 3 and
// chats there for the second half, and waits SETTLE_MS again at the end.
// Lines: Japanese and ASCII, names of 2 to 16 bytes, every tenth line longer
// than 256 bytes, some notices without ">", both table layouts ("name>" and
// "name TAB >"). Each carries a unique number #NNNNN.
// With MACRO_EVERY_S, every that many seconds Tamiru's window is brought to
// the front and F12 is held down for 1.5 s, so that the macro poll runs its
// F12 macro over and over while the chat goes on. (Under Wine a program sees
// in GetAsyncKeyState only the keys its own windows receive.)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr ULONG_PTR kCommandData = 0x4D4A;

HWND g_control = nullptr;

// Every byte that is not plain ASCII text goes as \xNN, so that spaces,
// TABs, backslashes and Shift_JIS bytes arrive unchanged.
std::string Escaped(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || byte == '#') {
      out += c;
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

bool Command(const std::string& command) {
  COPYDATASTRUCT data{kCommandData, static_cast<DWORD>(command.size()), const_cast<char*>(command.data())};
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(g_control, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                             &result) != 0 &&
         result != 0;
}

const char* const kSpeakers[] = {"ab", "太郎", "player_07", "花子さん", "ロン太", "thirteen_byte", "fourteen_bytes",
                                 "sixteen_byte_nam", "表ソ十"};
const char* const kTexts[] = {
    "よろしくお願いします",
    "ロン！ 12000点です",
    "hello, anyone for a game?",
    "ソ表能予 — 5C trail bytes: \\ in ASCII too",
    "おつかれさまでした。また明日",
    "gg wp",
};

// The text of line `n`, made long (over 256 bytes) for every tenth.
std::string TextOf(int n) {
  char id[16];
  std::snprintf(id, sizeof id, "#%05d ", n);
  std::string text = id;
  text += kTexts[n % 6];
  if (n % 10 == 9) {
    while (text.size() < 300 + (n % 7) * 20) text += " 長い発言の続き long text";
  }
  return text;
}

void SendKey(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Tamiru's window in front, then F12 held down; false when it is not there.
bool HoldMacroKey(DWORD hold_ms) {
  HWND tamiru = FindWindowA("TForm1", nullptr);
  if (!tamiru) return false;
  SetWindowPos(tamiru, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(tamiru);
  for (int i = 0; i < 50 && GetForegroundWindow() != tamiru; ++i) Sleep(20);
  SendKey(VK_F12, false);
  Sleep(hold_ms);
  SendKey(VK_F12, true);
  return true;
}

// The control command that shows line `n`, and the line as the view shows it.
std::string LineCommand(int n, bool at_table, std::string* line) {
  const std::string place = at_table ? "table" : "room";
  const std::string speaker = kSpeakers[n % 9];
  const std::string text = TextOf(n);
  if (n % 7 == 3) {
    // A notice: no ">" in it.
    *line = speaker + " さんへの通知 " + text.substr(0, 7) + " 入室しました";
    return "notice " + place + " " + Escaped(*line);
  }
  if (at_table && n % 3 == 2) {
    *line = speaker + "\t>" + text;
    return "saytab table " + Escaped(speaker) + " " + Escaped(text);
  }
  *line = speaker + (at_table ? ">" : ">\t") + text;
  return "say " + place + " " + Escaped(speaker) + " " + Escaped(text);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: chat_soak_bench SECONDS LINES_PER_SECOND SENT_FILE [SETTLE_MS] [MACRO_EVERY_S]\n");
    return 2;
  }
  const int seconds = std::atoi(argv[1]);
  const double rate = std::atof(argv[2]);
  const DWORD settle = argc > 4 ? static_cast<DWORD>(std::atoi(argv[4])) : 8000;
  const DWORD macro_every_ms = argc > 5 ? static_cast<DWORD>(std::atoi(argv[5])) * 1000 : 0;
  if (seconds <= 0 || rate <= 0) return 2;
  for (int i = 0; i < 100 && !g_control; ++i) {
    g_control = FindWindowA("MjStandinControl", nullptr);
    if (!g_control) Sleep(100);
  }
  if (!g_control) {
    std::fprintf(stderr, "the stand-in's control window is not there\n");
    return 1;
  }
  std::FILE* sent = std::fopen(argv[3], "wb");
  if (!sent) return 1;

  const int total = static_cast<int>(seconds * rate);
  const DWORD start = GetTickCount();
  int refused = 0;
  int macro_holds = 0;
  DWORD next_macro = macro_every_ms;
  bool at_table = false;
  for (int n = 0; n < total; ++n) {
    if (!at_table && n >= total / 2) {
      Sleep(settle);
      if (!Command("sit 3")) ++refused;
      at_table = true;
    }
    const char* place = at_table ? "table" : "room";
    std::string line;
    const std::string command = LineCommand(n, at_table, &line);
    if (Command(command)) {
      std::fprintf(sent, "%s\t%s\r\n", place, line.c_str());
    } else {
      ++refused;
    }
    if (macro_every_ms && GetTickCount() - start >= next_macro) {
      macro_holds += HoldMacroKey(1500);
      next_macro += macro_every_ms;
    }
    // A steady rate: line n goes at start + n / rate (+ the settle pause).
    const DWORD due = static_cast<DWORD>((n + 1) * 1000.0 / rate) + (at_table ? settle : 0);
    const DWORD now = GetTickCount() - start;
    if (due > now) Sleep(due - now);
  }
  std::fclose(sent);
  Sleep(settle);
  std::printf("sent %d lines in %.1f s (%d refused), F12 held %d times\n", total - refused,
              (GetTickCount() - start) / 1000.0, refused, macro_holds);
  return refused == 0 ? 0 : 1;
}
