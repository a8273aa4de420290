// Our profile reader and writer held against the system's own
// GetPrivateProfileStringA and WritePrivateProfileStringA on the same files:
// hundreds of generated INI files, every value read both ways, and writes
// made both ways on copies of each file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "settings/profile.h"
#include "text/sjis.h"

namespace {

using std::string_literals::operator""s;
using tamiru::settings::ReadProfileValue;
using tamiru::settings::WriteProfileValue;

constexpr char kMissing[] = "~missing~";

std::string Folder() {
  char buffer[MAX_PATH];
  GetTempPathA(MAX_PATH, buffer);
  const std::string folder = std::string(buffer) + "tamiru_profile_compare";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// Every file gets a name of its own: the system keeps parsed profiles in a
// cache that a quickly rewritten file of the same name could defeat.
std::string NewPath() {
  static const std::string folder = Folder();
  static int count = 0;
  return folder + "\\c" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(count++) + ".ini";
}

std::string PutFile(const std::string& bytes) {
  const std::string path = NewPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return path;
}

std::optional<std::string> SystemRead(const std::string& path, const std::string& section,
                                      const std::string& key, DWORD buffer_bytes = 2048) {
  std::string buffer(buffer_bytes + 1, '\0');
  const DWORD got = GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissing, buffer.data(),
                                             buffer_bytes, path.c_str());
  buffer.resize(got);
  if (buffer == kMissing) return std::nullopt;
  return buffer;
}

std::string SystemWrite(const std::string& bytes, const std::string& section, const std::string& key,
                        const std::string& value) {
  const std::string path = PutFile(bytes);
  WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str());
  std::string result = tamiru::platform::ReadWholeFile(path).value_or("<unreadable>");
  DeleteFileA(path.c_str());
  return result;
}

std::string OurWrite(const std::string& bytes, const std::string& section, const std::string& key,
                     const std::string& value) {
  return WriteProfileValue(bytes, section, key, value).value_or(bytes);
}

std::string Shown(const std::optional<std::string>& text) {
  if (!text) return "<missing>";
  std::string shown;
  for (unsigned char c : text->substr(0, 160)) {
    if (c >= 0x20 && c < 0x7F) {
      shown += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      shown += hex;
    }
  }
  if (text->size() > 160) shown += "...(" + std::to_string(text->size()) + " bytes)";
  return shown;
}

// The file as the system writes it back after any change: it keeps the
// parsed file, not its text, so it trims every line, drops blank lines,
// writes "name=value" without blanks around "=", ends every line in CR LF,
// and keeps only the first of consecutive lines with an empty name ("=x").
// Our writer changes only the line it writes and keeps the others as they
// are; compared through this, the two must agree.
std::string AsRewrittenWhole(const std::string& bytes) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; };
  auto trim = [&](std::string s) {
    while (!s.empty() && blank(s.front())) s.erase(0, 1);
    while (!s.empty() && blank(s.back())) s.pop_back();
    return s;
  };
  std::string out;
  bool after_empty_name = false;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
    std::string line = trim(bytes.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;
    std::size_t close = tamiru::text::npos;
    for (std::size_t i = 0; i < line.size(); i += tamiru::text::IsLeadByte(line[i]) ? 2 : 1) {
      if (line[i] == ']') close = i;
    }
    const std::size_t equals = line.find('=');
    if (line[0] == '[' && close != tamiru::text::npos) {
      line = "[" + trim(line.substr(1, close - 1)) + "]";
      after_empty_name = false;
    } else if (equals != std::string::npos) {
      const std::string name = trim(line.substr(0, equals));
      if (name.empty() && after_empty_name) continue;
      after_empty_name = name.empty();
      line = name + "=" + trim(line.substr(equals + 1));
    } else {
      after_empty_name = false;
    }
    out += line + "\r\n";
  }
  return out;
}

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<std::uint32_t>(state_ >> 11);
  }
  std::size_t Below(std::size_t n) { return Next() % n; }
  bool Chance(int percent) { return static_cast<int>(Below(100)) < percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& from) { return from[Below(from.size())]; }

 private:
  std::uint64_t state_;
};

std::string Repeat(const std::string& unit, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

const std::vector<std::string> kSectionNames = {
    "Setting", "Setting", "setting", "SETTING", " Setting ", "\tSetting", "Other", "表示設定", "ゾ"};
const std::vector<std::string> kKeys = {"UserName1", "username1", "USERNAME1", "File1", "AutoWatch",
                                        "Macro", "A", "a", "表", "ア", "ゾ", ";UserName1", "#c", "Unknown"};
const std::vector<std::string> kValues = {
    "", "1", "0x1E", "abc", "-5", "  spaced  value  ", "\t tabbed\t", "\"quoted\"", "'single'",
    "\" inner \"", "\"", "''", "\"mismatch'", "a\"b\"", "C:\\Program Files\\MjTonpu\\mjscore.txt",
    "表示\\ソフト", "雀士ゾ]", "全角　空白　", "ｶﾀｶﾅ", "a=b", "[x]", ";c", "v\x1A", "\x1Av", "\vv\f",
    "\x01\x1F", "#hash", "=", "]"};
const std::vector<std::string> kWriteValues = {
    "1", "", "new value", "表示ソフト", "  lead", "trail  ", "\"q\"", "-2147483648", "x]"};

std::string LongValue(Random& random) {
  const std::size_t length = random.Pick(std::vector<std::size_t>{2045, 2046, 2047, 2048, 2049, 3000, 70000});
  switch (random.Below(4)) {
    case 0: return std::string(length, 'x');
    case 1: return "\"" + std::string(length, 'q') + "\"";
    case 2: return Repeat("亜", length / 2);
    default: return "x" + Repeat("ソ", length / 2);
  }
}

std::string KeyLine(Random& random, bool allow_nul) {
  const std::string& key = random.Pick(kKeys);
  std::string value = random.Chance(8) ? LongValue(random) : random.Pick(kValues);
  if (allow_nul && random.Chance(10)) value.insert(value.size() / 2, 1, '\0');
  switch (random.Below(8)) {
    case 0: return " " + key + " = " + value + " ";
    case 1: return key + "\t=\t" + value + "\t";
    case 2: return key;
    case 3: return "=" + value;
    default: return key + "=" + value;
  }
}

std::string Header(Random& random) {
  const std::string& name = random.Pick(kSectionNames);
  switch (random.Below(10)) {
    case 0: return " [" + name + "] ";
    case 1: return "[" + name + "] ; note";
    case 2: return "[" + name;  // no "]": a key line
    default: return "[" + name + "]";
  }
}

struct GeneratedFile {
  std::string bytes;
  bool has_nul = false;
};

GeneratedFile Generate(Random& random) {
  const bool allow_nul = random.Chance(10);
  const int style = static_cast<int>(random.Below(4));
  auto line_end = [&]() -> std::string {
    switch (style == 3 ? random.Below(3) : style) {
      case 0: return "\r\n";
      case 1: return "\n";
      default: return "\r";
    }
  };
  std::vector<std::string> lines;
  if (random.Chance(25)) lines.push_back(KeyLine(random, allow_nul));
  if (random.Chance(20)) lines.push_back("; comment");
  const std::size_t sections = 1 + random.Below(3);
  for (std::size_t s = 0; s < sections; ++s) {
    lines.push_back(Header(random));
    const std::size_t keys = random.Below(9);
    for (std::size_t k = 0; k < keys; ++k) {
      if (random.Chance(10)) lines.push_back(random.Chance(50) ? "" : " \t ");
      lines.push_back(KeyLine(random, allow_nul));
    }
    if (random.Chance(20)) lines.push_back("");
  }
  if (random.Chance(3)) lines.push_back(std::string(100000, 'j'));
  GeneratedFile file;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    file.bytes += lines[i];
    if (i + 1 < lines.size() || !random.Chance(20)) file.bytes += line_end();
  }
  file.has_nul = file.bytes.find('\0') != std::string::npos;
  return file;
}

// Hand-made files for the edges that random files rarely hit.
std::vector<std::string> FixedFiles() {
  return {
      "",
      "[Setting]",
      "\r\n\r\n",
      "A=1\r\nUserName1=outside\r\n[Setting]\r\n",
      "[Setting]\rA=1\nB=2\r\nUserName1=3",
      "[Setting]\r\nA=1\r\n[setting]\r\nB=2\r\n",
      "[Setting]\r\nA\r\nA=2\r\n",
      "[Setting] junk\r\nA=1\r\n[Set]ting]\r\nA=2\r\n",
      "[Setting]\r\n[Aゾ\r\nA=1\r\n",
      "[ゾ]\r\nA=1\r\n[Setting]\r\nA=2\r\n",
      "[Setting]\r\nＡ=1\r\nア=2\r\n",
      "[Setting]\r\nA=ab\0cd\r\nB\0x=3\r\n"s,
      "[Setting]\r\n\x1A A = 1 \x1A\r\n\x1A",
      "\xEF\xBB\xBF[Setting]\r\nA=1\r\n",
      "[Setting]\r\nA=\"" + std::string(2046, 'x') + "\"\r\n",
      "[Setting]\r\nA=\"" + std::string(2048, 'x') + "\"\r\n",
      "[Setting]\r\nA=x" + Repeat("亜", 1100) + "\r\n",
  };
}

struct Tally {
  int agreed = 0;
  int total = 0;
  int shown = 0;
  bool Count(bool agree) {
    ++total;
    if (agree) ++agreed;
    return agree || shown++ >= 20;  // report the first differences only
  }
};

// Known places where our result differs on purpose; each has its own test below.
bool IsKnownReadDifference(const std::string& file, const std::string& section, const std::string& key) {
  const std::optional<std::string> whole = ReadProfileValue(file, section, key, 1u << 30);
  if (!whole || whole->size() < 2047) return false;
  // The cut at 2047 bytes falls inside a double-byte character.
  if (tamiru::text::CutAtCharBoundary(*whole, 2047).size() == 2046) return true;
  // A quoted value whose content is exactly 2047 bytes.
  return whole->size() == 2047;
}

TEST(ProfileCompare, ReaderAndWriterAgreeWithTheSystem) {
  Random random(20260101);
  std::vector<GeneratedFile> files;
  for (const std::string& bytes : FixedFiles()) files.push_back({bytes, bytes.find('\0') != std::string::npos});
  for (int i = 0; i < 300; ++i) files.push_back(Generate(random));

  std::vector<std::string> query_keys = kKeys;
  query_keys.insert(query_keys.end(), {"Missing", "File4", "B", "C", "", " A "});
  Tally reads, writes;
  int rewritten = 0, known = 0, exact_total = 0;
  for (const GeneratedFile& file : files) {
    const std::string path = PutFile(file.bytes);
    for (const std::string section : {"Setting", "Other", "表示設定", "ゾ", "Set]ting", ""}) {
      for (const std::string& key : query_keys) {
        if (IsKnownReadDifference(file.bytes, section, key)) {
          ++known;
          continue;
        }
        const std::optional<std::string> ours = ReadProfileValue(file.bytes, section, key);
        const std::optional<std::string> system = SystemRead(path, section, key);
        if (!reads.Count(ours == system)) {
          ADD_FAILURE() << "read [" << section << "] " << key << " from " << Shown(file.bytes)
                        << "\n ours:   " << Shown(ours) << "\n system: " << Shown(system);
        }
      }
    }
    DeleteFileA(path.c_str());
    // The system's writer loses the text after a NUL byte (its own rewrite
    // stops there), and writes UTF-8 into a file that starts with a UTF-8
    // mark; such files are compared in tests of their own.
    if (file.has_nul || file.bytes.rfind("\xEF\xBB\xBF", 0) == 0) continue;
    // Each file as it is, and in the form the system itself writes files
    // (trimmed lines, CR LF, no blank lines): there every byte must agree.
    const std::string canonical = AsRewrittenWhole(file.bytes);
    for (int w = 0; w < 4; ++w) {
      const bool exact = w >= 2;
      const std::string& bytes = exact ? canonical : file.bytes;
      const std::string section = random.Pick(std::vector<std::string>{"Setting", "Setting", "Other", "New", "表示設定"});
      const std::string& key = random.Pick(kKeys);
      const std::string value = random.Chance(5) ? std::string(3000, 'w') : random.Pick(kWriteValues);
      const std::string ours = OurWrite(bytes, section, key, value);
      const std::string system = SystemWrite(bytes, section, key, value);
      const bool same_after_rewrite =
          !exact && ours != system && AsRewrittenWhole(ours) == AsRewrittenWhole(system);
      if (same_after_rewrite) ++rewritten;
      if (exact) ++exact_total;
      if (!writes.Count(ours == system || same_after_rewrite)) {
        ADD_FAILURE() << "write [" << section << "] " << key << "=" << Shown(value) << " into "
                      << Shown(bytes) << "\n ours:   " << Shown(ours) << "\n system: " << Shown(system);
      }
    }
  }
  std::printf("reader agrees on %d/%d cases (%d cases of the two known differences left out); "
              "writer on %d/%d: %d byte for byte (%d of them on files in the system's own form), "
              "%d once the system's whole-file rewrite is applied to both\n",
              reads.agreed, reads.total, known, writes.agreed, writes.total, writes.agreed - rewritten,
              exact_total, rewritten);
  EXPECT_EQ(reads.agreed, reads.total);
  EXPECT_EQ(writes.agreed, writes.total);
  EXPECT_GT(reads.total, 10000);
  EXPECT_GT(exact_total, 500);
}

// Small buffers: the value arrives cut to buffer - 1 bytes, quotes and all.
TEST(ProfileCompare, SmallBuffersCutTheSameWay) {
  const std::string file = "[S]\r\nA=abcdefgh\r\nQ=\"quoted\"\r\nE=\r\nL=\"long quoted text\"\r\n";
  const std::string path = PutFile(file);
  for (const char* key : {"A", "Q", "E", "L"}) {
    for (DWORD buffer : {1u, 2u, 5u, 8u, 9u, 16u}) {
      EXPECT_EQ(ReadProfileValue(file, "S", key, buffer), SystemRead(path, "S", key, buffer))
          << key << " through " << buffer;
    }
  }
}

// Deliberate difference: a quoted value whose content is exactly 2047 bytes
// fits the 2048-byte buffer. The system (under Wine) drops its last byte
// along with the closing quote; we read all 2047 bytes.
TEST(ProfileCompare, QuotedValueFillingTheBuffer) {
  const std::string file = "[Setting]\r\nA=\"" + std::string(2047, 'x') + "\"\r\n";
  const std::optional<std::string> system = SystemRead(PutFile(file), "Setting", "A");
  EXPECT_EQ(ReadProfileValue(file, "Setting", "A"), std::string(2047, 'x'));
  EXPECT_TRUE(system == std::string(2047, 'x') || system == std::string(2046, 'x')) << Shown(system);
}

// Deliberate difference: when the 2047-byte cut falls inside a double-byte
// character we stop before it. The system (under Wine) reports 2047 bytes
// whose last byte it never wrote.
TEST(ProfileCompare, CutInsideADoubleByteCharacter) {
  const std::string file = "[Setting]\r\nA=" + Repeat("亜", 1100) + "\r\n";
  const std::optional<std::string> ours = ReadProfileValue(file, "Setting", "A");
  const std::optional<std::string> system = SystemRead(PutFile(file), "Setting", "A");
  EXPECT_EQ(ours, Repeat("亜", 1023));
  ASSERT_TRUE(system.has_value());
  EXPECT_EQ(system->substr(0, 2046), *ours);
}

// Deliberate difference: the system writes a value's line ends into the
// file, so a value can add keys of its own; we write the value up to its
// first line end.
TEST(ProfileCompare, ValueWithALineEnd) {
  const std::string value = "a\r\nMacro=1";
  const std::string ours = OurWrite("[Setting]\r\n", "Setting", "UserName1", value);
  const std::string system = SystemWrite("[Setting]\r\n", "Setting", "UserName1", value);
  EXPECT_EQ(ours, "[Setting]\r\nUserName1=a\r\n");
  EXPECT_EQ(ReadProfileValue(ours, "Setting", "Macro"), std::nullopt);
  EXPECT_TRUE(system == ours || system == "[Setting]\r\nUserName1=a\r\nMacro=1\r\n") << Shown(system);
}

// Deliberate difference: a NUL byte in another line. The system rewrites the
// whole file and loses what follows the NUL in that line; we leave the line
// as it was.
TEST(ProfileCompare, NulByteInAnotherLine) {
  const std::string file = "[Setting]\r\nA=a\0b\r\n"s;
  const std::string ours = OurWrite(file, "Setting", "B", "2");
  const std::string system = SystemWrite(file, "Setting", "B", "2");
  EXPECT_EQ(ours, "[Setting]\r\nA=a\0b\r\nB=2\r\n"s);
  EXPECT_EQ(ReadProfileValue(system, "Setting", "A"), ReadProfileValue(ours, "Setting", "A"));
  EXPECT_EQ(ReadProfileValue(system, "Setting", "B"), "2");
}

// A file that starts with a UTF-8 mark: both skip the mark and keep it, and
// agree on plain ASCII. (The system then writes the value as UTF-8 text; we
// write Shift_JIS bytes, the only text this program has.)
TEST(ProfileCompare, Utf8MarkKeptOnWrite) {
  const std::string file = "\xEF\xBB\xBF[Setting]\r\nA=1\r\n";
  EXPECT_EQ(OurWrite(file, "Setting", "B", "2"), SystemWrite(file, "Setting", "B", "2"));
  EXPECT_EQ(OurWrite(file, "Setting", "A", "3"), SystemWrite(file, "Setting", "A", "3"));
}

}  // namespace
