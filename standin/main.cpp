// MJ.exe: the stand-in game client. It runs the scenario file standin.txt
// beside it (or the file named on its command line) at start, then takes
// further commands on its control window while it runs.
#include <string>

#include "standin/client.h"

namespace {

std::string ExeFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  const size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

std::string ReadWhole(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  const std::string folder = ExeFolder();
  standin::Client client(instance, folder);
  client.CreateControlWindow();

  std::string scenario_path = folder + "\\" + standin::kScenarioFile;
  std::string argument = command_line ? command_line : "";
  while (!argument.empty() && (argument.back() == ' ' || argument.back() == '"')) argument.pop_back();
  while (!argument.empty() && (argument.front() == ' ' || argument.front() == '"')) argument.erase(0, 1);
  if (!argument.empty()) scenario_path = argument;
  const std::string script = ReadWhole(scenario_path);
  // The client comes up with its connect dialog unless the scenario opens
  // another window first.
  client.RunScript(script);
  client.ShowStartWindow();
  client.MarkReady();

  MSG message;
  while (!client.Quitting() && GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (client.IsDialogMessageForAny(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
