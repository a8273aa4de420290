#pragma once
// The client check: every point Tamiru relies on, of Windows, of its own
// files, of the game client's windows and controls, of the score file and
// of the macros, one row each, saying whether it holds. Only looking: the
// client gets reads alone (WM_GETTEXT, WM_GETTEXTLENGTH, EM_GETLINECOUNT,
// EM_LINELENGTH, CB_GETCOUNT, LB_GETCOUNT), each bounded by the window
// layer; class names, titles and styles are asked of the system, which
// sends the client nothing.
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "settings/settings.h"

namespace tamiru::app {

enum class CheckResult { kOk, kCaution, kFailed, kNotChecked };

// "OK", "注意", "NG", "—" (not checked; the detail says why).
std::string_view CheckResultText(CheckResult result);

struct CheckRow {
  std::string item;
  CheckResult result = CheckResult::kOk;
  std::string detail;
};

// What the check looks at.
struct ClientCheckInputs {
  const FormServices& services;
  const settings::TSettings& settings;
  const ProgramPaths& paths;
};

// The whole check, afresh. A client window that does not answer is "NG"
// with "応答なし", and its controls are left unchecked ("—") rather than
// waited for one by one; the check goes on with the next window.
std::vector<CheckRow> RunClientCheck(const ClientCheckInputs& inputs);

// The report: `title` (Tamiru's version and the time) first, then one row
// a line, "[結果] 項目: 詳細", each line ending in CR LF. It holds the user's
// handles and folder names as they are, and nothing of the chat but the
// counts of bytes and lines read.
std::string ClientCheckReportText(std::string_view title, const std::vector<CheckRow>& rows);

// The report's first line: kMainWindowCaption, "クライアント診断" and `now`.
std::string ClientCheckTitle(const platform::LocalTime& now);

}  // namespace tamiru::app
