// The statistics buttons: "対戦成績" puts the user's record against the
// chosen player into the chat line, "対/w,/r" asks the service about the
// other players at the user's table. The score file is read where the
// client's writes really went (Shell::FileToRead).
#include "app/main_window.h"
#include "stats/score_report.h"
#include "stats/table_players.h"

namespace tamiru::app {

namespace {

stats::UserNames UserNamesOf(const settings::TSettings& settings) {
  return {settings.UserName1, settings.UserName2, settings.UserName3};
}

}  // namespace

// File4, or its newer VirtualStore copy where an old client's writes went.
std::string TForm1::ScoreFilePath() const { return services_.shell.FileToRead(Settings.File4); }

void TForm1::ReportScoresFor(const std::string& target) {
  stats::ScoreQuery query{UserNamesOf(Settings), target, Settings.TableType};
  stats::ReportScoresFor(ScoreFilePath(), query, *ComboBox1);
}

void TForm1::ShowScoreReport() {
  stats::ShowScoreReport(UserNamesOf(Settings), *ListBox2, *ComboBox1, ScoreFilePath(),
                         Settings.TableType);
}

void TForm1::LookUpOpponents() {
  stats::LookUpOpponents(services_.windows, services_.loop, ScoreFilePath(),
                         UserNamesOf(Settings), TablePlayers);
}

void TForm1::Button21Click() { LookUpOpponents(); }

void TForm1::Button22Click() { ShowScoreReport(); }

}  // namespace tamiru::app
