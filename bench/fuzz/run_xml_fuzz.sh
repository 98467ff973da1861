#!/usr/bin/env bash
# Builds the XML reader fuzz target with clang's libFuzzer and runs it for
# SECONDS (default 60). Run by hand: bench/fuzz/run_xml_fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
out=build-fuzz
mkdir -p "$out/corpus"
srcs=(src/Common/XmlPersistenceReader.cpp src/Common/XmlPersistenceWriter.cpp src/Common/OptionsPersistence.cpp
      src/Common/CConversionSettings.cpp src/Common/StringList.cpp src/Common/Errors.cpp
      src/Converter/AVConverterOptions.cpp bench/fuzz/fuzz_stubs.cpp)
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc "${srcs[@]}" bench/fuzz/xml_reader_fuzz.cpp \
  $(pkg-config --cflags --libs pugixml) -o "$out/xml_reader_fuzz"
# Seed: a real stored record.
printf '%s' '<data PropFormat="node"><TConversionSettings><SourceFile>a</SourceFile><CategoryId>1</CategoryId><ConvertOptions><AudioOptions><AudioSampleFmt>sfS16</AudioSampleFmt></AudioOptions><CodecOptions Count="2"><l0>g=15</l0></CodecOptions><RecordingTime>5</RecordingTime></ConvertOptions><Duration>2.5</Duration></TConversionSettings></data>' > "$out/corpus/seed.xml"
"$out/xml_reader_fuzz" -max_total_time="$seconds" -max_len=4096 "$out/corpus"
