// quillbrook: the Qt 6 desktop application.
#include <QApplication>
#include <QMainWindow>

#include "Converter/avlib.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillbrook 3gp Video Converter"));
  LoadMediaLibrary();
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("zuDIVidizavo - Quillbrook AVI Video Converter"));
  window.showMaximized();
  int rc = app.exec();
  UnloadMediaLibrary();
  return rc;
}
