#pragma once
// INI file with private-profile semantics: sections and keys are found without
// regard to case, key order is kept, a written key is rewritten in place (or
// appended to its section) and the file is written at once. Values read are
// at most 2047 characters. Main thread.
#include <string>
#include <vector>

class TIniFile {
 public:
  static constexpr size_t kMaxValueLength = 2047;

  // Reads FileName when it exists; a missing file is an empty one.
  explicit TIniFile(std::string FileName);
  const std::string& FileName() const { return FFileName; }

  std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const;
  // Decimal, or hexadecimal with a leading "0x"/"0X"; anything else gives Default.
  int ReadInteger(const std::string& Section, const std::string& Key, int Default) const;
  bool ReadBool(const std::string& Section, const std::string& Key, bool Default) const;
  // A real in the user's format ("." as decimal separator); anything else gives Default.
  double ReadFloat(const std::string& Section, const std::string& Key, double Default) const;

  // Each write updates the file; failure raises "Unable to write to %s".
  void WriteString(const std::string& Section, const std::string& Key, const std::string& Value);
  void WriteInteger(const std::string& Section, const std::string& Key, int Value);
  void WriteBool(const std::string& Section, const std::string& Key, bool Value);
  // General format with at most 15 significant digits ("128", "12.2").
  void WriteFloat(const std::string& Section, const std::string& Key, double Value);

  // Encodes a multi-line text as one value and back: "\" "\\", CR "\r", LF "\n".
  static std::string EscapeLines(const std::string& Text);
  static std::string UnescapeLines(const std::string& Value);

 private:
  int FindSection(const std::string& Section) const;             // line index or -1
  int FindKey(int SectionLine, const std::string& Key) const;    // line index or -1
  void Save() const;

  std::string FFileName;
  std::vector<std::string> FLines;
};
