#include "app/startup.h"

#include <exception>
#include <string>

#include "app/general_error.h"

namespace tamiru::app {

int RunProgram(platform::SingleInstance& instance, platform::Dialogs& dialogs,
               const std::function<void()>& build_and_run) {
  const std::string name(kMutexName);
  if (instance.AnotherInstanceRuns(name)) return kExitAnotherInstance;
  instance.Acquire(name);
  try {
    build_and_run();
  } catch (const std::exception& error) {
    ShowGeneralError(dialogs, platform::kNoWindow, error.what());
  }
  instance.Release();
  return kExitNormal;
}

}  // namespace tamiru::app
