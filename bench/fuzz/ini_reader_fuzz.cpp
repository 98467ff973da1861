// libFuzzer target: the INI reader on an arbitrary file, then a write and a
// second reading. Input: file bytes, NUL, section, NUL, key, NUL, value.
// A plain key and value written must read back unchanged, and the other
// keys of the file keep their values. Built and run by run_fuzz.sh.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "Common/Errors.h"
#include "Common/IniFile.h"
#include "Common/StringList.h"

namespace {

void Require(bool Condition) {
  if (!Condition) abort();
}

std::vector<std::string> SplitAtNul(const std::string& S) {
  std::vector<std::string> parts(1);
  for (char c : S) {
    if (c == '\0') parts.emplace_back();
    else parts.back() += c;
  }
  return parts;
}

bool HasAny(const std::string& S, const char* Chars) { return S.find_first_of(Chars) != std::string::npos; }

bool Trimmed(const std::string& S) {
  return !S.empty() && S.front() != ' ' && S.front() != '\t' && S.back() != ' ' && S.back() != '\t';
}

// Names and values that private-profile files can hold as they are.
bool PlainName(const std::string& S) { return Trimmed(S) && !HasAny(S, "=[]\r\n;"); }
bool PlainValue(const std::string& S) {
  return S.size() <= TIniFile::kMaxValueLength && (S.empty() || Trimmed(S)) && !HasAny(S, "\r\n\"'");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> parts = SplitAtNul(std::string(reinterpret_cast<const char*>(Data), Size));
  const std::string path = "/tmp/qb_ini_fuzz_" + std::to_string(getpid()) + ".ini";
  std::ofstream(path, std::ios::binary) << parts[0];
  const std::string section = parts.size() > 1 ? parts[1] : "Profile";
  const std::string key = parts.size() > 2 ? parts[2] : "Name";
  const std::string value = parts.size() > 3 ? parts[3] : "x";
  const std::string other = "Other";
  {
    TIniFile ini(path);
    (void)ini.ReadString(section, key, "");
    (void)ini.ReadInteger(section, key, 0);
    (void)ini.ReadFloat(section, key, 0);
    Require(TIniFile::UnescapeLines(TIniFile::EscapeLines(value)) == value);
    if (PlainName(section) && PlainName(key) && PlainValue(value) && !SameText(key, other)) {
      const std::string before = ini.ReadString(section, other, "\x01");
      try {
        ini.WriteString(section, key, value);
      } catch (const Exception&) {
        unlink(path.c_str());
        return 0;
      }
      TIniFile again(path);
      Require(again.ReadString(section, key, "\x01") == value);
      Require(again.ReadString(section, other, "\x01") == before);
    }
  }
  unlink(path.c_str());
  return 0;
}
