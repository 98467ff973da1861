#include "Common/IniFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "Common/Errors.h"
#include "Common/NumberText.h"
#include "Common/StringList.h"

namespace {

std::string Trim(const std::string& S) {
  size_t b = S.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = S.find_last_not_of(" \t\r");
  return S.substr(b, e - b + 1);
}

bool IsSectionLine(const std::string& Line, std::string* Name) {
  const std::string t = Trim(Line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  if (Name) *Name = Trim(t.substr(1, t.size() - 2));
  return true;
}

}  // namespace

TIniFile::TIniFile(std::string FileName) : FFileName(std::move(FileName)) {
  std::ifstream in(FFileName, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    FLines.push_back(line);
  }
}

int TIniFile::FindSection(const std::string& Section) const {
  std::string name;
  for (size_t i = 0; i < FLines.size(); ++i)
    if (IsSectionLine(FLines[i], &name) && SameText(name, Section)) return static_cast<int>(i);
  return -1;
}

int TIniFile::FindKey(int SectionLine, const std::string& Key) const {
  for (size_t i = static_cast<size_t>(SectionLine) + 1; i < FLines.size(); ++i) {
    if (IsSectionLine(FLines[i], nullptr)) break;
    const size_t eq = FLines[i].find('=');
    if (eq != std::string::npos && SameText(Trim(FLines[i].substr(0, eq)), Key)) return static_cast<int>(i);
  }
  return -1;
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Key,
                                 const std::string& Default) const {
  const int s = FindSection(Section);
  if (s < 0) return Default;
  const int k = FindKey(s, Key);
  if (k < 0) return Default;
  const std::string& line = FLines[static_cast<size_t>(k)];
  std::string value = Trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
  return value;
}

int TIniFile::ReadInteger(const std::string& Section, const std::string& Key, int Default) const {
  const std::string v = ReadString(Section, Key, "");
  if (v.empty()) return Default;
  const bool hex = v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X');
  errno = 0;
  char* end = nullptr;
  const long long n = std::strtoll(hex ? v.c_str() + 2 : v.c_str(), &end, hex ? 16 : 10);
  if (*end != '\0' || errno == ERANGE || n < INT32_MIN || n > (hex ? int64_t{UINT32_MAX} : INT32_MAX)) return Default;
  return static_cast<int>(static_cast<int64_t>(n));
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Key, bool Default) const {
  return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const std::string& Section, const std::string& Key, double Default) const {
  const std::string v = ReadString(Section, Key, "");
  if (v.empty()) return Default;
  double d = Default;
  return ParseFloat(v, d) ? d : Default;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Key, const std::string& Value) {
  const std::string line = Key + "=" + Value;
  int s = FindSection(Section);
  if (s < 0) {
    FLines.push_back("[" + Section + "]");
    FLines.push_back(line);
  } else if (int k = FindKey(s, Key); k >= 0) {
    FLines[static_cast<size_t>(k)] = line;
  } else {
    // Append after the section's last non-empty line.
    size_t end = static_cast<size_t>(s) + 1;
    while (end < FLines.size() && !IsSectionLine(FLines[end], nullptr)) ++end;
    size_t at = end;
    while (at > static_cast<size_t>(s) + 1 && Trim(FLines[at - 1]).empty()) --at;
    FLines.insert(FLines.begin() + static_cast<long>(at), line);
  }
  Save();
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Key, int Value) {
  WriteString(Section, Key, std::to_string(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Key, bool Value) {
  WriteString(Section, Key, Value ? "1" : "0");
}

void TIniFile::WriteFloat(const std::string& Section, const std::string& Key, double Value) {
  WriteString(Section, Key, FloatText(Value));
}

void TIniFile::Save() const {
  const std::string tmp = FFileName + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    for (const auto& l : FLines) out << l << "\r\n";
    out.flush();
    if (!out) {
      std::remove(tmp.c_str());
      throw Exception(Format("Unable to write to %s", FFileName.c_str()));
    }
  }
  // Replace in one step so a failed write never leaves half a file.
  if (std::rename(tmp.c_str(), FFileName.c_str()) != 0) {
    std::remove(tmp.c_str());
    throw Exception(Format("Unable to write to %s", FFileName.c_str()));
  }
}

std::string TIniFile::EscapeLines(const std::string& Text) {
  std::string out;
  for (char c : Text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

std::string TIniFile::UnescapeLines(const std::string& Value) {
  std::string out;
  for (size_t i = 0; i < Value.size(); ++i) {
    if (Value[i] != '\\' || i + 1 == Value.size()) {
      out += Value[i];
      continue;
    }
    const char n = Value[++i];
    out += n == 'r' ? '\r' : n == 'n' ? '\n' : n;
  }
  return out;
}
