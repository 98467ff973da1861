#include "Common/CConversionSettings.h"

#include "Common/OptionsPersistence.h"

void TConversionSettings::Assign(const TConversionSettings& S) {
  SourceFile = S.SourceFile;
  TargetFile = S.TargetFile;
  Profile = S.Profile;
  CategoryId = S.CategoryId;
  FConvertOptions.Assign(S.ConvertOptions());
  Duration = S.Duration;
  IsCaptured = S.IsCaptured;
}

std::string TConversionSettings::ToXml() const {
  return TXmlObjectWriter::WriteToString(this, ConversionSettingsClass(), TPropFormat::Auto, TXmlOutput::Flat);
}

void TConversionSettings::FromXml(const std::string& Xml) {
  TXmlObjectReader::ReadFromString(this, ConversionSettingsClass(), Xml);
}
