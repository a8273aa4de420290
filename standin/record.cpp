// The record of every input the stand-in receives, appended line by line so
// that a harness reading the file while the stand-in runs sees whole lines.
#include <cstdio>

#include "standin/client.h"
#include "text/number.h"

namespace standin {

const char* PlaceName(Place place) {
  switch (place) {
    case Place::kStandin: return "standin";
    case Place::kConnect: return "connect";
    case Place::kRoom: return "room";
    case Place::kTable: return "table";
    case Place::kError: return "error";
    case Place::kSpectateFailure: return "spectatefail";
  }
  return "?";
}

std::string EscapeField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::string UnescapeArgument(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    // A backslash that is the trail byte of a double-byte character (such as
    // the second byte of "ソ") is text, not an escape.
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      out += text[i];
      if (i + 1 < text.size()) out += text[++i];
      continue;
    }
    if (c != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    switch (next) {
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 's': out += ' '; break;
      case 'x':
        if (i + 2 < text.size() + 0 && tamiru::text::HexDigitValue(text[i + 1]) >= 0 && tamiru::text::HexDigitValue(text[i + 2]) >= 0) {
          out += static_cast<char>(tamiru::text::HexDigitValue(text[i + 1]) * 16 + tamiru::text::HexDigitValue(text[i + 2]));
          i += 2;
        } else {
          out += "\\x";
        }
        break;
      default: out += next;
    }
  }
  return out;
}

Recorder::~Recorder() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

void Recorder::Open(const std::string& path) {
  // Shared for reading and writing: the harness reads while we append.
  file_ = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void Recorder::Add(Place place, int child, std::string_view event, std::string_view detail) {
  if (file_ == INVALID_HANDLE_VALUE) return;
  char head[64];
  std::snprintf(head, sizeof head, "%lu\t%s\t%d\t", static_cast<unsigned long>(GetTickCount()), PlaceName(place),
                child);
  std::string line = head;
  line += event;
  line += '\t';
  line += EscapeField(detail);
  line += "\r\n";
  DWORD written = 0;
  // One WriteFile per line: a reader never sees half a line followed by
  // another writer's bytes.
  WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  if (observer_) observer_(event);
}

}  // namespace standin
