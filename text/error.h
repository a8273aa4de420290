#pragma once
// Errors that travel to the general error display: an exception carrying the
// Shift_JIS message text, caught at one event boundary in app/.
#include <stdexcept>
#include <string>

namespace tamiru {

class TamiruError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "ファイル %s は開けません"
TamiruError FileOpenError(const std::string& path);
// "ファイル %s を作成できません"
TamiruError FileCreateError(const std::string& path);
// "%s に書き込めません"
TamiruError WriteRefusedError(const std::string& path);

}  // namespace tamiru
