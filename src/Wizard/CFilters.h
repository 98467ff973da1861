#pragma once
// Filter descriptors: the video filters a user adds to a conversion. Each
// keeps its settings, writes its piece of filter-chain text, names itself for
// the wizard's filter list and opens its dialog (CFilterDialogs.h) to be
// created or changed. Main thread only.
//
// Texts are written for the chain parser (a backslash escapes the next
// character, apostrophes quote): backslashes are doubled, and apostrophes,
// commas, semicolons and brackets in file names and texts are escaped too
// ("#" as well where it separates options), so that no name or text can end
// its entry or add a filter.
#include <cstdint>
#include <string>
#include <vector>

using TColor = uint32_t;  // red in bits 0-7, green 8-15, blue 16-23

// The same colour as 0xRRGGBB.
TColor SwapRedBlue(TColor C);

// The list rule: no items give ""; one empty item gives two spaces; else the
// items joined by ",", each holding a comma, a space or a control character
// wrapped in one space on either side.
std::string JoinFilterTexts(const std::vector<std::string>& Items);

class TAVFilter {
 public:
  virtual ~TAVFilter() = default;
  virtual std::string GetFilterText() const = 0;
  // The fixed caption in the wizard's filter list.
  virtual std::string GetFilterName() const = 0;
  // The dialog with its own initial values; on OK its values are copied in and
  // the result is true; on cancel nothing changes and the result is false.
  virtual bool ExecuteNew() = 0;
  // Like ExecuteNew, the dialog first filled with the current values.
  virtual bool ExecuteEdit() = 0;
};

// The chain of the wizard's filter list: the descriptors' texts by the list rule.
std::string BuildFilterChain(const std::vector<const TAVFilter*>& Filters);

class TLogoFilter : public TAVFilter {
 public:
  int X() const { return FX; }
  void SetX(int V) { FX = V; }
  int Y() const { return FY; }
  void SetY(int V) { FY = V; }
  const std::string& LogoFile() const { return FLogoFile; }
  void SetLogoFile(const std::string& V) { FLogoFile = V; }

  std::string GetFilterText() const override;
  std::string GetFilterName() const override;
  bool ExecuteNew() override;
  bool ExecuteEdit() override;

 private:
  int FX = 0;
  int FY = 0;
  std::string FLogoFile;
};

class TOverlayTextFilter : public TAVFilter {
 public:
  const std::string& Text() const { return FText; }
  void SetText(const std::string& V) { FText = V; }
  int FontSize() const { return FFontSize; }
  void SetFontSize(int V) { FFontSize = V; }
  const std::string& FontFile() const { return FFontFile; }
  void SetFontFile(const std::string& V) { FFontFile = V; }
  int X() const { return FX; }
  void SetX(int V) { FX = V; }
  int Y() const { return FY; }
  void SetY(int V) { FY = V; }
  TColor FontColor() const { return FFontColor; }
  void SetFontColor(TColor V) { FFontColor = V; }
  TColor BgColor() const { return FBgColor; }
  void SetBgColor(TColor V) { FBgColor = V; }

  std::string GetFilterText() const override;
  std::string GetFilterName() const override;
  bool ExecuteNew() override;
  bool ExecuteEdit() override;

 private:
  std::string FText;
  int FFontSize = 0;
  std::string FFontFile;
  int FX = 0;
  int FY = 0;
  TColor FFontColor = 0;
  TColor FBgColor = 0;
};

class TSubtitleFilter : public TAVFilter {
 public:
  const std::string& SubtitleFile() const { return FSubtitleFile; }
  void SetSubtitleFile(const std::string& V) { FSubtitleFile = V; }
  const std::string& FontFile() const { return FFontFile; }
  void SetFontFile(const std::string& V) { FFontFile = V; }
  const std::string& CodePage() const { return FCodePage; }
  void SetCodePage(const std::string& V) { FCodePage = V; }
  TColor FontColor() const { return FFontColor; }
  void SetFontColor(TColor V) { FFontColor = V; }

  std::string GetFilterText() const override;
  std::string GetFilterName() const override;
  bool ExecuteNew() override;
  bool ExecuteEdit() override;

 private:
  std::string FSubtitleFile;
  std::string FFontFile;
  std::string FCodePage;
  TColor FFontColor = 0;
};

// Property names are spelled as the system has always spelled them.
class TVideoStdFilter : public TAVFilter {
 public:
  bool VerticalFilp() const { return FVerticalFilp; }
  void SetVerticalFilp(bool V) { FVerticalFilp = V; }
  bool HorizontalFilip() const { return FHorizontalFilip; }
  void SetHorizontalFilip(bool V) { FHorizontalFilip = V; }
  int BHeight() const { return FBHeight; }
  void SetBHeight(int V) { FBHeight = V; }
  bool DrawBox() const { return FDrawBox; }
  void SetDrawBox(bool V) { FDrawBox = V; }
  bool Rotate() const { return FRotate; }
  void SetRotate(bool V) { FRotate = V; }
  int BWidth() const { return FBWidth; }
  void SetBWidth(int V) { FBWidth = V; }
  bool Negate() const { return FNegate; }
  void SetNegate(bool V) { FNegate = V; }
  const std::string& BColor() const { return FBColor; }
  void SetBColor(const std::string& V) { FBColor = V; }
  int BX() const { return FBX; }
  void SetBX(int V) { FBX = V; }
  int BY() const { return FBY; }
  void SetBY(int V) { FBY = V; }
  int Degree() const { return FDegree; }
  void SetDegree(int V) { FDegree = V; }

  std::string GetFilterText() const override;
  std::string GetFilterName() const override;
  bool ExecuteNew() override;
  bool ExecuteEdit() override;

 private:
  bool FVerticalFilp = false;
  bool FHorizontalFilip = false;
  int FBHeight = 0;
  bool FDrawBox = false;
  bool FRotate = false;
  int FBWidth = 0;
  bool FNegate = false;
  std::string FBColor;
  int FBX = 0;
  int FBY = 0;
  int FDegree = 0;
};
