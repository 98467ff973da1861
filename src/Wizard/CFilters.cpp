#include "Wizard/CFilters.h"

#include <memory>
#include <string_view>

#include "Common/Errors.h"
#include "Wizard/CFilterDialogs.h"

namespace {

constexpr TColor kByte = 0xFF;
constexpr TColor kGreenMask = 0xFF00;
constexpr int kBlueShift = 16;
constexpr char kLastControlChar = 31;
// Characters the chain parser would read as syntax outside quotes.
constexpr std::string_view kChainSyntax = "',;[]";

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r'; }

// Escaped for the chain parser; OptionSeparator when "#" separates options
// of the entry the value stands in. Blanks at either end are escaped too: the
// parser drops unprotected blanks around a value, and a file name may begin
// or end with spaces.
std::string EscapeValue(const std::string& S, bool OptionSeparator) {
  size_t first = 0, last = S.size();
  while (first < last && IsBlank(S[first])) ++first;
  while (last > first && IsBlank(S[last - 1])) --last;
  std::string out;
  for (size_t i = 0; i < S.size(); ++i) {
    const char c = S[i];
    if (c == '\\') out += "\\\\";
    else if (kChainSyntax.find(c) != std::string_view::npos || (OptionSeparator && c == '#') ||
             i < first || i >= last)
      out += std::string("\\") + c;
    else out += c;
  }
  return out;
}

// For a text inside apostrophes: an apostrophe closes the quotes, stands
// escaped, and reopens them.
std::string QuoteInner(const std::string& S) {
  std::string out;
  for (char c : S) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out;
}

// CR LF pairs become the two characters "\n"; a lone CR or LF stays.
std::string LineBreaksEscaped(const std::string& S) {
  std::string out;
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\r' && i + 1 < S.size() && S[i + 1] == '\n') {
      out += "\\n";
      ++i;
    } else {
      out += S[i];
    }
  }
  return out;
}

bool NeedsWrapping(const std::string& Item) {
  for (char c : Item)
    if (c == ',' || c == ' ' || (c >= 1 && c <= kLastControlChar)) return true;
  return false;
}

template <class TFilter>
bool RunDialog(TFilter& Filter, std::unique_ptr<TFilterDialog<TFilter>> Dialog, bool Edit) {
  QB_ASSERT("CFilters", Dialog != nullptr);
  if (Edit) Dialog->Load(Filter);
  if (!Dialog->ShowModal()) return false;
  Dialog->Store(Filter);
  return true;
}

TFilterDialogFactory* gFactory = nullptr;  // main thread only

}  // namespace

TFilterDialogFactory* SetFilterDialogFactory(TFilterDialogFactory* Factory) {
  TFilterDialogFactory* old = gFactory;
  gFactory = Factory;
  return old;
}

TFilterDialogFactory& FilterDialogFactory() {
  QB_ASSERT("CFilters", gFactory != nullptr);
  return *gFactory;
}

TColor SwapRedBlue(TColor C) {
  return ((C & kByte) << kBlueShift) | (C & kGreenMask) | ((C >> kBlueShift) & kByte);
}

std::string JoinFilterTexts(const std::vector<std::string>& Items) {
  if (Items.empty()) return "";
  if (Items.size() == 1 && Items[0].empty()) return "  ";
  std::string out;
  for (const auto& item : Items) {
    if (!out.empty()) out += ',';
    out += NeedsWrapping(item) ? " " + item + " " : item;
  }
  return out;
}

std::string BuildFilterChain(const std::vector<const TAVFilter*>& Filters) {
  std::vector<std::string> texts;
  for (const TAVFilter* f : Filters) texts.push_back(f->GetFilterText());
  return JoinFilterTexts(texts);
}

std::string TLogoFilter::GetFilterText() const {
  return Format("logo=%d|%d|%s", FX, FY, EscapeValue(FLogoFile, false).c_str());
}
std::string TLogoFilter::GetFilterName() const { return "Logo Filter"; }
bool TLogoFilter::ExecuteNew() { return RunDialog(*this, FilterDialogFactory().CreateLogoDialog(), false); }
bool TLogoFilter::ExecuteEdit() { return RunDialog(*this, FilterDialogFactory().CreateLogoDialog(), true); }

std::string TOverlayTextFilter::GetFilterText() const {
  return Format("drawtext=fontfile=\\'%s\\'#text='%s'#x=%d#y=%d#fontsize=%d#fgcolor=0x%.6XFF#bgcolor=0x%.6X00",
                EscapeValue(FFontFile, true).c_str(), QuoteInner(LineBreaksEscaped(FText)).c_str(), FX, FY,
                FFontSize, SwapRedBlue(FFontColor), SwapRedBlue(FBgColor));
}
std::string TOverlayTextFilter::GetFilterName() const { return "Overlay Text Filter"; }
bool TOverlayTextFilter::ExecuteNew() {
  return RunDialog(*this, FilterDialogFactory().CreateOverlayTextDialog(), false);
}
bool TOverlayTextFilter::ExecuteEdit() {
  return RunDialog(*this, FilterDialogFactory().CreateOverlayTextDialog(), true);
}

std::string TSubtitleFilter::GetFilterText() const {
  std::string text = Format("ass=filename$%s#font$%s#color$0x%X00", EscapeValue(FSubtitleFile, true).c_str(),
                            EscapeValue(FFontFile, true).c_str(), SwapRedBlue(FFontColor));
  if (!FCodePage.empty()) text += "#codepage$" + EscapeValue(FCodePage, true);
  return text;
}
std::string TSubtitleFilter::GetFilterName() const { return "Hard Subtitle Filter"; }
bool TSubtitleFilter::ExecuteNew() {
  return RunDialog(*this, FilterDialogFactory().CreateSubtitleDialog(), false);
}
bool TSubtitleFilter::ExecuteEdit() {
  return RunDialog(*this, FilterDialogFactory().CreateSubtitleDialog(), true);
}

std::string TVideoStdFilter::GetFilterText() const {
  std::vector<std::string> items;
  if (FVerticalFilp) items.emplace_back("vflip");
  if (FHorizontalFilip) items.emplace_back("hflip");
  if (FDrawBox)
    items.push_back(Format("drawbox=%d:%d:%d:%d:%s", FBX, FBY, FBWidth, FBHeight,
                           EscapeValue(FBColor, false).c_str()));
  if (FNegate) items.emplace_back("negate");
  if (FRotate) items.push_back(Format("rotate=%d", FDegree));
  return JoinFilterTexts(items);
}
std::string TVideoStdFilter::GetFilterName() const { return "Standar Filters"; }
bool TVideoStdFilter::ExecuteNew() {
  return RunDialog(*this, FilterDialogFactory().CreateVideoStdDialog(), false);
}
bool TVideoStdFilter::ExecuteEdit() {
  return RunDialog(*this, FilterDialogFactory().CreateVideoStdDialog(), true);
}
