#include "app/startup.h"

#include <exception>
#include <string>

#include "app/general_error.h"

namespace tamiru::app {

std::u16string CodePageWarningText(unsigned code_page) {
  std::u16string number;
  for (const char digit : std::to_string(code_page)) number += static_cast<char16_t>(digit);
  return u"Windows のシステム ロケールが日本語ではありません（コード ページ " + number +
         u"）。Tamiru とゲームクライアントの文字が化け、クライアントのウィンドウも見つけられません。\n"
         u"コントロール パネルの「地域」→「管理」→「システム ロケールの変更」で「日本語 (日本)」を選び、"
         u"「ベータ: ワールドワイド言語サポートで Unicode UTF-8 を使用」のチェックを外して、Windows を再起動してください。\n\n"
         u"The Windows system locale is not Japanese (code page " + number +
         u"): Tamiru and the game client show garbled text, and Tamiru cannot find the client's windows. "
         u"In Control Panel, Region, Administrative, Change system locale, choose \"Japanese (Japan)\", clear "
         u"\"Beta: Use Unicode UTF-8 for worldwide language support\" and restart Windows.";
}

int RunProgram(platform::SingleInstance& instance, platform::Dialogs& dialogs, unsigned system_code_page,
               const std::function<void()>& build_and_run) {
  const std::string name(kMutexName);
  if (instance.AnotherInstanceRuns(name)) return kExitAnotherInstance;
  instance.Acquire(name);
  if (system_code_page != kJapaneseCodePage) {
    dialogs.ShowWideWarning(platform::kNoWindow, u"Tamiru", CodePageWarningText(system_code_page));
  }
  try {
    build_and_run();
  } catch (const std::exception& error) {
    ShowGeneralError(dialogs, platform::kNoWindow, error.what());
  }
  instance.Release();
  return kExitNormal;
}

}  // namespace tamiru::app
