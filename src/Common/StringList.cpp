#include "Common/StringList.h"

#include <cctype>

namespace {

// Letters fold in ASCII only, whatever the locale: names and keys are ASCII,
// and other bytes (UTF-8 sequences) must compare exactly.
inline unsigned char FoldCase(unsigned char C) {
  constexpr unsigned char kLetters = 'z' - 'a' + 1;
  return static_cast<unsigned char>(C - 'A') < kLetters ? static_cast<unsigned char>(C + ('a' - 'A')) : C;
}

}  // namespace

bool SameText(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i)
    if (FoldCase(static_cast<unsigned char>(A[i])) != FoldCase(static_cast<unsigned char>(B[i]))) return false;
  return true;
}

bool SameText(const char* A, const char* B) {
  for (;; ++A, ++B) {
    const unsigned char a = FoldCase(static_cast<unsigned char>(*A));
    if (a != FoldCase(static_cast<unsigned char>(*B))) return false;
    if (a == 0) return true;
  }
}

void TStringList::Insert(int Index, std::string Line) {
  FLines.insert(FLines.begin() + Index, std::move(Line));
}

void TStringList::Delete(int Index) { FLines.erase(FLines.begin() + Index); }

std::string TStringList::Text(std::string_view Separator) const {
  std::string out;
  for (const auto& l : FLines) {
    out += l;
    out += Separator;
  }
  return out;
}

void TStringList::SetText(std::string_view Text) {
  FLines.clear();
  size_t start = 0;
  while (start < Text.size()) {
    size_t end = Text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      FLines.emplace_back(Text.substr(start));
      break;
    }
    FLines.emplace_back(Text.substr(start, end - start));
    if (Text[end] == '\r' && end + 1 < Text.size() && Text[end + 1] == '\n') ++end;
    start = end + 1;
  }
}

std::string TStringList::NameOf(std::string_view Line) {
  size_t p = Line.find('=');
  return p == std::string_view::npos ? std::string(Line) : std::string(Line.substr(0, p));
}

std::string TStringList::ValueOf(std::string_view Line) {
  size_t p = Line.find('=');
  return p == std::string_view::npos ? std::string() : std::string(Line.substr(p + 1));
}

int TStringList::IndexOfName(std::string_view Name) const {
  for (size_t i = 0; i < FLines.size(); ++i) {
    const std::string& l = FLines[i];
    size_t p = l.find('=');
    if (p != std::string::npos && SameText(std::string_view(l).substr(0, p), Name))
      return static_cast<int>(i);
  }
  return -1;
}

std::string TStringList::Value(std::string_view Name) const {
  int i = IndexOfName(Name);
  return i < 0 ? std::string() : ValueOf(FLines[static_cast<size_t>(i)]);
}

void TStringList::SetValue(std::string_view Name, std::string_view Value) {
  int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::string line = std::string(Name) + "=" + std::string(Value);
  if (i >= 0) FLines[static_cast<size_t>(i)] = std::move(line);
  else FLines.push_back(std::move(line));
}
