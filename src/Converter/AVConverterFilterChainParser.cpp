#include "Converter/AVConverterFilterChainParser.h"

#include "Common/Errors.h"

namespace {

constexpr char kEscape = '\\';
constexpr char kQuote = '\'';
constexpr std::string_view kWhitespace = " \n\t\r";
// Where a name and where its arguments end.
constexpr std::string_view kNameTerminators = "=,;[]";
constexpr std::string_view kArgsTerminators = "[],;";

bool IsSpace(char C) { return kWhitespace.find(C) != std::string_view::npos; }

// Index just past the escape or quoted run that starts at I (I points at
// a backslash or an apostrophe); an unterminated quote runs to the end.
size_t SkipProtected(std::string_view S, size_t I) {
  if (S[I] == kEscape) return I + 1 < S.size() ? I + 2 : I + 1;
  size_t close = S.find(kQuote, I + 1);
  return close == std::string_view::npos ? S.size() : close + 1;
}

// Index of the first unprotected character of Terminators at or after I.
size_t ScanToken(std::string_view S, size_t I, std::string_view Terminators) {
  while (I < S.size()) {
    char c = S[I];
    if (c == kEscape || c == kQuote) I = SkipProtected(S, I);
    else if (Terminators.find(c) != std::string_view::npos) return I;
    else ++I;
  }
  return I;
}

size_t SkipSpaces(std::string_view S, size_t I) {
  while (I < S.size() && IsSpace(S[I])) ++I;
  return I;
}

// Reads "[label]" groups at I; false when one is not closed.
bool SkipLabels(std::string_view S, size_t& I, bool& Found) {
  while (I < S.size() && S[I] == '[') {
    size_t close = S.find(']', I);
    if (close == std::string_view::npos) return false;
    Found = true;
    I = SkipSpaces(S, close + 1);
  }
  return true;
}

}  // namespace

std::string UnescapeChainToken(std::string_view Raw) {
  std::string out;
  size_t i = SkipSpaces(Raw, 0);
  size_t keep = 0;  // output up to here is protected from trimming
  while (i < Raw.size()) {
    char c = Raw[i];
    if (c == kEscape && i + 1 < Raw.size()) {
      out += Raw[i + 1];
      keep = out.size();
      i += 2;
    } else if (c == kQuote) {
      size_t close = Raw.find(kQuote, i + 1);
      size_t stop = close == std::string_view::npos ? Raw.size() : close;
      out.append(Raw.substr(i + 1, stop - i - 1));
      if (close != std::string_view::npos) keep = out.size();
      i = close == std::string_view::npos ? Raw.size() : close + 1;
    } else {
      out += c;
      ++i;
    }
  }
  while (out.size() > keep && IsSpace(out.back())) out.pop_back();
  return out;
}

std::vector<std::string> SplitChainRaw(std::string_view Raw, char Separator, size_t MaxParts) {
  std::vector<std::string> parts;
  const char terms[2] = {Separator, 0};
  size_t start = 0;
  while (parts.size() + 1 < MaxParts) {
    size_t cut = ScanToken(Raw, start, std::string_view(terms, 1));
    if (cut >= Raw.size()) break;
    parts.emplace_back(Raw.substr(start, cut - start));
    start = cut + 1;
  }
  parts.emplace_back(Raw.substr(start));
  return parts;
}

bool ParseFilterChain(std::string_view Text, std::vector<TChainEntry>& Entries, std::string& Error) {
  Entries.clear();
  size_t i = SkipSpaces(Text, 0);
  if (i == Text.size()) return true;
  char before = 0;
  for (;;) {
    TChainEntry e;
    e.SeparatorBefore = before;
    e.Begin = i;
    if (!SkipLabels(Text, i, e.HasLabels)) {
      Error = "Unterminated label";
      return false;
    }
    size_t nameEnd = ScanToken(Text, i, kNameTerminators);
    e.Name = UnescapeChainToken(Text.substr(i, nameEnd - i));
    if (e.Name.empty()) {
      Error = Format("No filter name at position %zu", i);
      return false;
    }
    i = nameEnd;
    if (i < Text.size() && Text[i] == '=') {
      size_t argsEnd = ScanToken(Text, i + 1, kArgsTerminators);
      e.Args = std::string(Text.substr(i + 1, argsEnd - i - 1));
      e.HasArgs = true;
      i = argsEnd;
    }
    i = SkipSpaces(Text, i);
    if (!SkipLabels(Text, i, e.HasLabels)) {
      Error = "Unterminated label";
      return false;
    }
    e.End = i;
    while (e.End > e.Begin && IsSpace(Text[e.End - 1])) --e.End;
    if (i == Text.size()) {
      Entries.push_back(std::move(e));
      return true;
    }
    char sep = Text[i];
    if (sep != ',' && sep != ';') {
      Error = Format("Unexpected \"%c\" at position %zu", sep, i);
      return false;
    }
    e.SeparatorAfter = sep;
    Entries.push_back(std::move(e));
    before = sep;
    i = SkipSpaces(Text, i + 1);
    if (i == Text.size()) {
      Error = "Filter expected after the last separator";
      return false;
    }
  }
}
