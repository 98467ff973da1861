#include "Components/VirtualTreeEdit.gui.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "Common/Errors.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/ImageLists.gui.h"

namespace {

constexpr int kDropDownHeight = 120;
constexpr int kCategoryImage = 1;
constexpr int kIdRole = Qt::UserRole;
constexpr int kFolderRole = Qt::UserRole + 1;

}  // namespace

TPopVirtualTree::TPopVirtualTree(QWidget* Parent) : QFrame(Parent, Qt::Popup) {
  setFrameShape(QFrame::Box);
  tvCategories = new QTreeWidget;
  tvCategories->setObjectName(QStringLiteral("tvCategories"));
  tvCategories->setHeaderHidden(true);
  tvCategories->setColumnCount(1);
  tvCategories->setContextMenuPolicy(Qt::NoContextMenu);
  tvCategories->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tvCategories->setExpandsOnDoubleClick(false);
  tvCategories->setFrameShape(QFrame::NoFrame);
  tvCategories->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tvCategories);

  connect(tvCategories, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* Current) { tvCategoriesChange(Current); });
  connect(tvCategories, &QTreeWidget::itemClicked, this, [this] { emit Accept(); });
}

void TPopVirtualTree::LoadTree(TCategorySource& Source) {
  if (FLoaded) return;
  AddChildren(Source, kNoParentCategory, nullptr);
  FLoaded = true;
}

void TPopVirtualTree::AddChildren(TCategorySource& Source, int32_t ParentId,
                                  QTreeWidgetItem* ParentRow) {
  for (const TCategoryRecord& category : Source.LoadChildCategories(ParentId)) {
    auto* row = new QTreeWidgetItem({QString::fromStdString(category.Category)});
    row->setIcon(0, TreeImage(kCategoryImage));
    row->setData(0, kIdRole, category.CategoryId);
    row->setData(0, kFolderRole, QString::fromStdString(category.Folder));
    if (ParentRow) ParentRow->addChild(row);
    else tvCategories->addTopLevelItem(row);
    AddChildren(Source, category.CategoryId, row);
  }
}

void TPopVirtualTree::SelectCategory(int32_t Id) {
  for (QTreeWidgetItemIterator it(tvCategories); *it; ++it) {
    QTreeWidgetItem* row = *it;
    if (row->data(0, kIdRole).toInt() != Id) continue;
    FSelecting = true;
    for (QTreeWidgetItem* parent = row->parent(); parent; parent = parent->parent()) {
      parent->setExpanded(true);
    }
    tvCategories->setCurrentItem(row);
    row->setSelected(true);
    tvCategories->scrollToItem(row);
    FSelecting = false;
    tvCategories->setFocus();
    return;
  }
}

bool TPopVirtualTree::HasSelection() const { return tvCategories->currentItem() != nullptr; }

TCategoryRecord TPopVirtualTree::SelectedCategory() const {
  const QTreeWidgetItem* row = tvCategories->currentItem();
  QB_ASSERT("VirtualTreeEdit", row != nullptr);
  TCategoryRecord category;
  category.CategoryId = row->data(0, kIdRole).toInt();
  category.Category = row->text(0).toStdString();
  category.Folder = row->data(0, kFolderRole).toString().toStdString();
  return category;
}

void TPopVirtualTree::tvCategoriesChange(QTreeWidgetItem* Current) {
  if (Current && !FSelecting) emit Accept();
}

bool TPopVirtualTree::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == tvCategories && Event->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(Event)->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        // An empty tree has nothing to accept.
        if (HasSelection()) emit Accept();
        return true;
      case Qt::Key_Escape:
        emit Cancel();
        return true;
      default:
        break;
    }
  }
  return QFrame::eventFilter(Watched, Event);
}

TVirtualTreeEdit::TVirtualTreeEdit(QWidget* Parent) : QWidget(Parent) {
  edtText = new QLineEdit;
  edtText->setObjectName(QStringLiteral("edtText"));
  edtText->setReadOnly(true);
  btnDropDown = new QToolButton;
  btnDropDown->setObjectName(QStringLiteral("btnDropDown"));
  btnDropDown->setArrowType(Qt::DownArrow);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(edtText, 1);
  layout->addWidget(btnDropDown);

  FPopup = new TPopVirtualTree(this);
  connect(btnDropDown, &QToolButton::clicked, this, &TVirtualTreeEdit::DropDown);
  connect(FPopup, &TPopVirtualTree::Accept, this, &TVirtualTreeEdit::PopupAccept);
  connect(FPopup, &TPopVirtualTree::Cancel, FPopup, &QWidget::hide);
  connect(edtText, &QLineEdit::textChanged, this, &TVirtualTreeEdit::Change);
}

QString TVirtualTreeEdit::Text() const { return edtText->text(); }
void TVirtualTreeEdit::SetText(const QString& Value) { edtText->setText(Value); }
bool TVirtualTreeEdit::IsDroppedDown() const { return FPopup->isVisible(); }

void TVirtualTreeEdit::DropDown() {
  QB_ASSERT("VirtualTreeEdit", FSource != nullptr);
  FPopup->LoadTree(*FSource);
  FPopup->setFixedSize(width(), kDropDownHeight);
  FPopup->move(mapToGlobal(QPoint(0, height())));
  FPopup->show();
  FPopup->SelectCategory(edtText->text().isEmpty() ? TConvertedNode::kRootCategoryId : FCategoryId);
  FPopup->Tree()->setFocus();
}

void TVirtualTreeEdit::PopupAccept() {
  // The click that moved the selection already accepted and closed.
  if (!IsDroppedDown()) return;
  const TCategoryRecord category = FPopup->SelectedCategory();
  FCategoryId = category.CategoryId;
  FCategoryPath = category.Folder;
  SetText(QString::fromStdString(category.Category));
  FPopup->hide();
}
