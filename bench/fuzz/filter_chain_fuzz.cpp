// libFuzzer target: the filter-chain parser on arbitrary text. Besides not
// crashing, what it reports must describe the text: entries lie inside it in
// order, and splitting arguments loses nothing. Built and run by run_fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Converter/AVConverterFilterChainParser.h"

namespace {

// The separators the filter entries split their arguments at.
constexpr char kSeparators[] = {':', '|', '#', '='};

void Require(bool Condition) {
  if (!Condition) abort();
}

void CheckSplit(const std::string& Raw, char Separator) {
  const std::vector<std::string> parts = SplitChainRaw(Raw, Separator);
  std::string joined;
  for (size_t i = 0; i < parts.size(); ++i) joined += (i ? std::string(1, Separator) : "") + parts[i];
  Require(joined == Raw);
  const std::vector<std::string> two = SplitChainRaw(Raw, Separator, 2);
  Require(two.size() <= 2 && two[0] == parts[0]);
  for (const std::string& p : parts) (void)UnescapeChainToken(p);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view text(reinterpret_cast<const char*>(Data), Size);
  std::vector<TChainEntry> entries;
  std::string error;
  const bool ok = ParseFilterChain(text, entries, error);
  Require(ok == error.empty());
  size_t previousEnd = 0;
  for (size_t i = 0; ok && i < entries.size(); ++i) {
    const TChainEntry& e = entries[i];
    Require(e.Begin >= previousEnd && e.Begin <= e.End && e.End <= text.size());
    Require(!e.Name.empty());
    Require((i == 0) == (e.SeparatorBefore == 0));
    Require((i + 1 == entries.size()) == (e.SeparatorAfter == 0));
    previousEnd = e.End;
    for (char s : kSeparators) CheckSplit(e.Args, s);
  }
  (void)UnescapeChainToken(text);
  return 0;
}
