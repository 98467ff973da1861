#include "Common/CConversionSettings.h"

void TConversionSettings::Assign(const TConversionSettings& S) {
  SourceFile = S.SourceFile;
  TargetFile = S.TargetFile;
  Profile = S.Profile;
  CategoryId = S.CategoryId;
  FConvertOptions.Assign(S.ConvertOptions());
  Duration = S.Duration;
  IsCaptured = S.IsCaptured;
}
