#pragma once
// Everything a task needs to run or re-run a conversion. Main thread.
#include <string>

#include "Converter/AVConverterOptions.h"

class TConversionSettings {
 public:
  TConversionSettings() = default;
  TConversionSettings(const TConversionSettings&) = delete;
  TConversionSettings& operator=(const TConversionSettings&) = delete;
  void Assign(const TConversionSettings& Source);
  // The flat "node" XML form stored in the task database.
  std::string ToXml() const;
  // Fills this record from that form; raises EXmlPersistenceError.
  void FromXml(const std::string& Xml);

  std::string SourceFile;
  std::string TargetFile;
  std::string Profile;      // the chosen profile's Description
  int32_t CategoryId = 0;
  double Duration = 0.0;    // the converter's Duration when last stored
  bool IsCaptured = false;  // stopping completes the task

  TAVConvertOptions& ConvertOptions() { return FConvertOptions; }
  const TAVConvertOptions& ConvertOptions() const { return FConvertOptions; }
  void SetConvertOptions(const TAVConvertOptions& Value) { FConvertOptions.Assign(Value); }

 private:
  TAVConvertOptions FConvertOptions;
};
