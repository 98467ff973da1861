#pragma once
// A file name field with a browse button, as the filter dialogs use it.
// Main thread.
#include <QString>
#include <QWidget>

class QLineEdit;
class QToolButton;

// The browse filter of the font fields (subtitle and text watermark dialogs).
inline constexpr const char* kFontFileFilter = "Font File(*.ttf)|*.ttf";

// A filter in the form "Description|pattern|Description|pattern" as a Qt
// file dialog filter ("Description (pattern pattern);;...", patterns separated by spaces).
QString QtFileFilter(const QString& Filter);

class TFileNameField : public QWidget {
 public:
  // Name is the object name of the text field ("edtFontFile"); the browse
  // button is called the same with "btn" in front of the part after "edt".
  TFileNameField(const QString& Name, const QString& Filter, QWidget* Parent = nullptr);

  // The text without surrounding quotation marks.
  QString FileName() const;
  void SetFileName(const QString& Value);
  // True when the named file exists (a folder is not a file).
  bool FileExists() const;
  QLineEdit* Edit() const { return FEdit; }

 private:
  void BrowseClick();

  QString FFilter;
  QLineEdit* FEdit;
  QToolButton* FBrowse;
};
