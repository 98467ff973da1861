#pragma once
// The category picker: a field that cannot be typed into, whose button drops
// down the tree of categories of converted files. The wizard uses it to choose
// where a conversion is filed. Main thread.
#include <QFrame>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <string>

#include "Components/CategorySource.h"

class QLineEdit;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// The drop-down: one category tree without the converting category, without a
// context menu and without double-click editing.
class TPopVirtualTree : public QFrame {
  Q_OBJECT
 public:
  explicit TPopVirtualTree(QWidget* Parent = nullptr);

  // Builds the tree from Source once; later calls keep it.
  void LoadTree(TCategorySource& Source);
  // Reveals, selects and focuses the first row, in tree order, of category Id;
  // nothing when there is none.
  void SelectCategory(int32_t Id);
  // The selected row's category; an assertion failure when none is selected.
  TCategoryRecord SelectedCategory() const;
  bool HasSelection() const;
  QTreeWidget* Tree() const { return tvCategories; }

 signals:
  // A click, a selection moved by the keyboard, or Enter.
  void Accept();
  // Escape.
  void Cancel();

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void AddChildren(TCategorySource& Source, int32_t ParentId, QTreeWidgetItem* ParentRow);
  void tvCategoriesChange(QTreeWidgetItem* Current);

  QTreeWidget* tvCategories;
  bool FLoaded = false;
  bool FSelecting = false;  // a selection made by SelectCategory is not an acceptance
};

class TVirtualTreeEdit : public QWidget {
  Q_OBJECT
 public:
  explicit TVirtualTreeEdit(QWidget* Parent = nullptr);

  // Where the drop-down reads the categories; not owned, set before opening.
  void SetCategorySource(TCategorySource* Source) { FSource = Source; }

  int32_t CategoryId() const { return FCategoryId; }
  void SetCategoryId(int32_t Value) { FCategoryId = Value; }
  const std::string& CategoryPath() const { return FCategoryPath; }
  void SetCategoryPath(const std::string& Value) { FCategoryPath = Value; }
  // The accepted category's name.
  QString Text() const;
  void SetText(const QString& Value);

  // Opens the drop-down (the button does this): builds the tree the first
  // time, selects the row of CategoryId, or of the root category when the
  // field is empty, and gives the tree the keyboard focus.
  void DropDown();
  bool IsDroppedDown() const;
  TPopVirtualTree* PopupTree() const { return FPopup; }

 signals:
  // The text changed (a different category was accepted, or SetText).
  void Change(const QString& Text);

 private:
  void PopupAccept();

  QLineEdit* edtText;
  QToolButton* btnDropDown;
  TPopVirtualTree* FPopup;
  TCategorySource* FSource = nullptr;
  int32_t FCategoryId = 0;
  std::string FCategoryPath;
};
