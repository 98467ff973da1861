// libFuzzer target: the XML reader fed arbitrary bytes must report errors,
// never crash. Built and run by bench/fuzz/run_xml_fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Common/CConversionSettings.h"
#include "Common/XmlPersistence.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TConversionSettings settings;
  try {
    settings.FromXml(std::string(reinterpret_cast<const char*>(Data), Size));
    (void)settings.ToXml();
  } catch (const EXmlPersistenceError&) {
  }
  return 0;
}
