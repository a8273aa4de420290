// The statistics buttons: "対戦成績" puts the user's record against the
// chosen player into the chat line, "対/w,/r" asks the service about the
// other players at the user's table. The score file is read where the
// client's writes really went (Shell::FileToRead).
#include "app/main_window.h"
#include "game/chat_send.h"
#include "game/discovery.h"
#include "platform/files.h"
#include "text/path.h"
#include "stats/score_report.h"
#include "stats/table_players.h"

namespace tamiru::app {

namespace {

stats::UserNames UserNamesOf(const settings::TSettings& settings) {
  return {settings.UserName1, settings.UserName2, settings.UserName3};
}

}  // namespace

ScoreFileLocation LocateClientScoreFile(const FormServices& services, const std::string& file4,
                                        const std::function<bool(const std::string&)>& exists) {
  const std::string installed = services.shell.InstalledPath(file4);
  if (exists(services.shell.FileToRead(installed))) {
    return {installed, installed == file4 ? ScoreFileSource::kSetting : ScoreFileSource::kProgramFilesX86};
  }
  const platform::WindowHandle client_windows[] = {game::FindGameMainWindow(services.windows),
                                                   game::FindWaitingRoom(services.windows),
                                                   game::FindConnectDialog(services.windows)};
  for (const platform::WindowHandle window : client_windows) {
    if (window == platform::kNoWindow) continue;
    const std::string program = services.windows.ProgramPathOf(window);
    if (program.empty()) continue;
    const std::string beside = text::JoinPath(text::FolderOf(program), text::FileNameOf(file4));
    if (exists(services.shell.FileToRead(beside))) return {beside, ScoreFileSource::kClientFolder};
  }
  return {installed, ScoreFileSource::kNotFound};
}

std::string ClientScoreFile(const FormServices& services, const std::string& file4,
                            const std::function<bool(const std::string&)>& exists) {
  return LocateClientScoreFile(services, file4, exists).path;
}

std::string ScoreFileToRead(const FormServices& services, const std::string& file4) {
  return services.shell.FileToRead(ClientScoreFile(services, file4));
}

std::string TForm1::ScoreFilePath() const { return ScoreFileToRead(services_, Settings.File4); }

// A score file that cannot be read leaves the chat line as it is, silently.
void TForm1::ReportScoresFor(const std::string& target) {
  const stats::ScoreQuery query{UserNamesOf(Settings), target, Settings.TableType};
  if (const auto report = stats::ScoreReportForFile(ScoreFilePath(), query)) ComboBox1->SetText(*report);
}

void TForm1::ShowScoreReport() {
  const auto target = stats::ChooseReportTarget(UserNamesOf(Settings), ListBox2->Items(), ListBox2->SelectedIndex());
  if (target) ReportScoresFor(*target);
}

// Only at a table: the commands go to the game main window's chat input,
// each taken by the client before the next. The seats are emptied again
// once the lookup got as far as sending.
void TForm1::LookUpOpponents() {
  const game::ChatTarget target = game::FindChatControls(services_.windows);
  if (target.kind != game::ChatTargetKind::kGameMain) return;
  if (stats::ReadTablePlayers(ScoreFilePath(), TablePlayers) == 0) return;
  const game::ChatSendContext context{services_.windows, services_.loop};
  for (const std::string& handle : stats::OpponentHandles(TablePlayers, UserNamesOf(Settings))) {
    if (!game::SendCommandAndAwaitInput(context, target, game::chat_command::kWhereSeat, handle) ||
        !game::SendCommandAndAwaitInput(context, target, game::chat_command::kRankSeat, handle)) {
      break;
    }
  }
  TablePlayers.fill(std::string());
}

void TForm1::Button21Click() { LookUpOpponents(); }

void TForm1::Button22Click() { ShowScoreReport(); }

}  // namespace tamiru::app
