#pragma once
// Ordered list of text lines. In lists of "name=value" lines, names are
// looked up without regard to letter case; the name is the text before the
// first "=", the value everything after it.
#include <string>
#include <string_view>
#include <vector>

class TStringList {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<std::string> Lines) : FLines(Lines) {}

  int Count() const { return static_cast<int>(FLines.size()); }
  bool Empty() const { return FLines.empty(); }
  const std::string& operator[](int Index) const { return FLines.at(static_cast<size_t>(Index)); }
  std::string& operator[](int Index) { return FLines.at(static_cast<size_t>(Index)); }
  void Add(std::string Line) { FLines.push_back(std::move(Line)); }
  void Insert(int Index, std::string Line);
  void Delete(int Index);
  void Clear() { FLines.clear(); }
  const std::vector<std::string>& Lines() const { return FLines; }
  auto begin() const { return FLines.begin(); }
  auto end() const { return FLines.end(); }
  bool operator==(const TStringList&) const = default;

  // Lines joined with Separator after each line (the list's Text uses "\r\n").
  std::string Text(std::string_view Separator = "\r\n") const;
  // Replaces the lines with Text split at CR LF, LF or CR.
  void SetText(std::string_view Text);

  // Name-value access.
  static std::string NameOf(std::string_view Line);
  static std::string ValueOf(std::string_view Line);
  std::string Names(int Index) const { return NameOf((*this)[Index]); }
  std::string ValueFromIndex(int Index) const { return ValueOf((*this)[Index]); }
  int IndexOfName(std::string_view Name) const;  // -1 when absent
  std::string Value(std::string_view Name) const;  // "" when absent
  // Sets Name's value; an empty value removes an existing line; a new name
  // with an empty value is not added.
  void SetValue(std::string_view Name, std::string_view Value);

 private:
  std::vector<std::string> FLines;
};

// ASCII case-insensitive comparison of names.
bool SameText(std::string_view A, std::string_view B);
// The same for two terminated strings, without measuring them first (the XML
// reader compares every property name with every element name).
bool SameText(const char* A, const char* B);
