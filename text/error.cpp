#include "text/error.h"

namespace tamiru {

TamiruError FileOpenError(const std::string& path) {
  return TamiruError("ファイル " + path + " は開けません");
}

TamiruError FileCreateError(const std::string& path) {
  return TamiruError("ファイル " + path + " を作成できません");
}

TamiruError WriteRefusedError(const std::string& path) {
  return TamiruError(path + " に書き込めません");
}

}  // namespace tamiru
