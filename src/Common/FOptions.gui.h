#pragma once
// The options dialog: output folder, process priority, codec thread count and
// how many files of a batch convert at once. Main thread.
#include <QString>

#include "CommonGUI/FixedDialog.gui.h"

class QComboBox;
class TAVConfiguration;
class QLineEdit;
class QSlider;
class QStackedWidget;
class QTreeWidget;

inline constexpr int kMaxThreadCount = 32;
inline constexpr int kMaxConcurrentTasks = 32;
inline constexpr int kLowestPriority = 0;
inline constexpr int kHighestPriority = 5;

class TFormOptions : public TFixedDialog {
  Q_OBJECT
 public:
  explicit TFormOptions(QWidget* Parent = nullptr);

  // Index of the thread-count list: 0 automatic, 1 to 32 the number itself.
  // Any other value is an assertion failure.
  int ThreadCount() const;
  void SetThreadCount(int Value);
  // Index of the concurrent-conversions list: 0 automatic (half the
  // processors), 1 to 32 the number of batch files converting at once.
  int ConcurrentTasks() const;
  void SetConcurrentTasks(int Value);
  // Slider position 0 to 5.
  int ThreadPriority() const;
  void SetThreadPriority(int Value);
  QString OutputFolder() const;
  void SetOutputFolder(const QString& Value);

 private:
  void btnBrowseClick();
  void barPriorityChange(int Position);

  QTreeWidget* tvSettings;
  QStackedWidget* pgSettings;
  QLineEdit* edtOutputFolder;
  QSlider* barPriority;
  QComboBox* cbThreadCount;
  QComboBox* cbConcurrentTasks;
};

// The "设置" action: shows the dialog filled from Configuration's thread
// count, priority, concurrent conversions and output folder; on "Ok" copies
// them back and saves the configuration. True when the user confirmed.
bool ExecuteOptions(TAVConfiguration& Configuration, QWidget* Parent = nullptr);
