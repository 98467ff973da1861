#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address + undefined behaviour) and
# runs each for SECONDS (default 60). Run by hand:
#   bench/fuzz/run_fuzz.sh [seconds] [target...]
# targets: xml_reader filter_chain ini_reader stream_name (default: all).
# Needs clang with libFuzzer: apt-get install clang (Debian 12: clang 14).
# Prints one line per target: <target> seconds=<s> runs=<n> result=<ok|crash file>
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(xml_reader filter_chain ini_reader stream_name)
out=build-fuzz
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -Isrc)
ffmpeg_libs=$(pkg-config --cflags --libs libavformat libavcodec libavutil)

sources() {
  case "$1" in
    xml_reader) echo src/Common/XmlPersistenceReader.cpp src/Common/XmlPersistenceWriter.cpp \
      src/Common/OptionsPersistence.cpp src/Common/CConversionSettings.cpp src/Common/StringList.cpp \
      src/Common/Errors.cpp src/Converter/AVConverterOptions.cpp bench/fuzz/fuzz_stubs.cpp ;;
    filter_chain) echo src/Converter/AVConverterFilterChainParser.cpp src/Common/Errors.cpp ;;
    ini_reader) echo src/Common/IniFile.cpp src/Common/StringList.cpp src/Common/Errors.cpp ;;
    stream_name) echo src/Media/StreamProtocol.cpp src/Common/Errors.cpp ;;
    *) echo "unknown target $1" >&2; exit 2 ;;
  esac
}

libs() {
  case "$1" in
    xml_reader) pkg-config --cflags --libs pugixml ;;
    stream_name) echo "$ffmpeg_libs" ;;
  esac
}

# Seeds: one well-formed input per target.
seed() {
  case "$1" in
    xml_reader) printf '%s' '<data PropFormat="node"><TConversionSettings><SourceFile>a</SourceFile><CategoryId>1</CategoryId><ConvertOptions><AudioOptions><AudioSampleFmt>sfS16</AudioSampleFmt></AudioOptions><CodecOptions Count="2"><l0>g=15</l0></CodecOptions><RecordingTime>5</RecordingTime></ConvertOptions><Duration>2.5</Duration></TConversionSettings></data>' ;;
    filter_chain) printf '%s' "logo=10|20|/tmp/a\\,b.png,drawtext=fontfile=f.ttf#text='a:b'#fontcolor=Red;[in]vflip[out],drawbox=1:2:3:4:Blue" ;;
    ini_reader) printf '[Profile1]\r\nName=Mine\r\nWidth=0x140\r\n\r\n[Other]\r\nA = "q"\r\n\0profile1\0Width\0320' ;;
    stream_name) printf '%s' 'stream:12.avi' ;;
  esac
}

mkdir -p "$out"
for t in "${targets[@]}"; do
  mkdir -p "$out/corpus_$t" "$out/crash_$t"
  # shellcheck disable=SC2046
  clang++ "${flags[@]}" $(sources "$t") "bench/fuzz/${t}_fuzz.cpp" $(libs "$t") -o "$out/${t}_fuzz"
  seed "$t" > "$out/corpus_$t/seed"
  start=$(date +%s)
  set +e
  "$out/${t}_fuzz" -max_total_time="$seconds" -max_len=4096 -artifact_prefix="$out/crash_$t/" \
    "$out/corpus_$t" > "$out/$t.log" 2>&1
  rc=$?
  set -e
  runs=$(grep -o 'Done [0-9]* runs' "$out/$t.log" | grep -o '[0-9]*' || true)
  crash=$(ls "$out/crash_$t" | head -1)
  echo "$t seconds=$(( $(date +%s) - start )) runs=${runs:-?} result=$([ $rc -eq 0 ] && echo ok || echo "crash $out/crash_$t/$crash")"
done
