// quillbrook-convert: headless front end over the conversion core.
#include <cstdio>
#include <cstring>

#include "Converter/avlib.h"

namespace {
constexpr int kExitUsage = 2;

void PrintUsage() {
  fprintf(stderr,
          "usage: quillbrook-convert [--list-profiles | --probe FILE | [OPTIONS] SOURCE [TARGET]]\n");
}
}  // namespace

int main(int argc, char** argv) {
  LoadMediaLibrary();
  if (argc < 2) {
    PrintUsage();
    return kExitUsage;
  }
  PrintUsage();
  UnloadMediaLibrary();
  return kExitUsage;
}
