#pragma once
// Reading filter-chain text with the chain parser's rules: a backslash takes
// the next character literally, apostrophes quote (nothing is special between
// them), unprotected whitespace around a token is dropped, "," and ";"
// separate entries and "[label]" names a link. Pure functions, any thread.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct TChainEntry {
  std::string Name;         // filter name, unescaped
  std::string Args;         // argument text as written (escapes and quotes kept)
  bool HasArgs = false;     // "=" followed the name
  bool HasLabels = false;   // "[...]" before or after the entry
  size_t Begin = 0;         // the entry's text in the chain is [Begin, End)
  size_t End = 0;
  char SeparatorBefore = 0;  // ',' or ';' before the entry, 0 for the first
  char SeparatorAfter = 0;   // ',' or ';' after the entry, 0 for the last
};

// Splits Text into entries. An empty or all-blank text gives no entries.
// Returns false with Error set when the text is not a chain (an empty entry,
// a stray "]", an unterminated label).
bool ParseFilterChain(std::string_view Text, std::vector<TChainEntry>& Entries, std::string& Error);

// One token as the parser reads it: escapes and quotes removed, unprotected
// whitespace trimmed at both ends.
std::string UnescapeChainToken(std::string_view Raw);

// Splits Raw at every unprotected Separator into at most MaxParts pieces (the
// last one keeps the rest). The pieces keep their escapes and quotes.
std::vector<std::string> SplitChainRaw(std::string_view Raw, char Separator,
                                       size_t MaxParts = static_cast<size_t>(-1));
