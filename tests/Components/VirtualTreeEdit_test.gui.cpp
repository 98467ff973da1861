// The category picker over a real task database: opening, accepting by
// click, keyboard and Enter, Escape, and the change notification.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "Common/Errors.h"
#include "Common/PersistentManager.h"
#include "CommonGUI/GuiTestSupport.h"
#include "Components/VirtualTreeEdit.gui.h"
#include "support/Fixtures.h"

namespace {

class CategoryPickerTest : public ::testing::Test {
 protected:
  // 1 已完成 (root) > 2 Phone > 3 Nokia; 1 > 4 DVD
  void SetUp() override {
    const std::string folder = gui::FreshDataFolder();
    Db = std::make_unique<TPersistentManager>(folder + "/av.cfg", "/out");
    Phone = Add("Phone", "/out/phone", 1);
    Nokia = Add("Nokia", "/out/phone/nokia", Phone);
    Dvd = Add("DVD", "/out/dvd", 1);
    Source = std::make_unique<TDatabaseCategorySource>(*Db);
    Picker.SetCategorySource(Source.get());
    Picker.resize(300, Picker.sizeHint().height());
    Picker.show();
  }

  int Add(const std::string& Name, const std::string& Folder, int Parent) {
    TConvertedNode node;
    node.Category = Name;
    node.Folder = Folder;
    Db->NewCategory(node, Parent);
    return node.CategoryId;
  }

  QTreeWidget* Tree() { return Picker.PopupTree()->Tree(); }
  QString Current() { return Tree()->currentItem() ? Tree()->currentItem()->text(0) : QString(); }

  void ClickRow(const QString& Name) {
    QList<QTreeWidgetItem*> rows = Tree()->findItems(Name, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(rows.size(), 1);
    QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, {}, Tree()->visualItemRect(rows[0]).center());
  }

  std::unique_ptr<TPersistentManager> Db;
  std::unique_ptr<TDatabaseCategorySource> Source;
  TVirtualTreeEdit Picker;
  int Phone = 0, Nokia = 0, Dvd = 0;
};

TEST_F(CategoryPickerTest, OpensOnAFreshFieldWithTheRootSelected) {
  EXPECT_TRUE(Picker.findChild<QLineEdit*>("edtText")->isReadOnly());
  Picker.DropDown();
  ASSERT_TRUE(Picker.IsDroppedDown());
  EXPECT_EQ(Picker.PopupTree()->height(), 120);
  EXPECT_EQ(Picker.PopupTree()->width(), Picker.width());
  ASSERT_EQ(Tree()->topLevelItemCount(), 1);
  EXPECT_EQ(Tree()->topLevelItem(0)->text(0), QStringLiteral("已完成"));
  EXPECT_EQ(Tree()->topLevelItem(0)->childCount(), 2);
  EXPECT_EQ(Current(), QStringLiteral("已完成"));
  EXPECT_TRUE(Tree()->currentItem()->isSelected());
  EXPECT_TRUE(Tree()->hasFocus());
  // Opening selects; it accepts nothing.
  EXPECT_EQ(Picker.Text(), "");
  EXPECT_EQ(Picker.CategoryId(), 0);
}

TEST_F(CategoryPickerTest, AClickAcceptsTheCategoryAndNotifiesTheOwner) {
  QSignalSpy changes(&Picker, &TVirtualTreeEdit::Change);
  Picker.DropDown();
  Tree()->expandAll();
  ClickRow("Nokia");
  EXPECT_FALSE(Picker.IsDroppedDown());
  EXPECT_EQ(Picker.CategoryId(), Nokia);
  EXPECT_EQ(Picker.CategoryPath(), "/out/phone/nokia");
  EXPECT_EQ(Picker.Text(), "Nokia");
  ASSERT_EQ(changes.size(), 1);
  EXPECT_EQ(changes[0][0].toString(), "Nokia");

  // Reopening reveals the accepted category inside its collapsed parents.
  Tree()->collapseAll();
  Picker.DropDown();
  EXPECT_EQ(Current(), "Nokia");
  EXPECT_TRUE(Tree()->currentItem()->parent()->isExpanded());
  // Clicking the row that is already selected accepts it again: same text, no notice.
  ClickRow("Nokia");
  EXPECT_FALSE(Picker.IsDroppedDown());
  EXPECT_EQ(changes.size(), 1);
}

TEST_F(CategoryPickerTest, EnterAndKeyboardMovesAcceptAndEscapeChangesNothing) {
  QSignalSpy changes(&Picker, &TVirtualTreeEdit::Change);
  Picker.DropDown();
  QTest::keyClick(Tree(), Qt::Key_Return);
  EXPECT_FALSE(Picker.IsDroppedDown());
  EXPECT_EQ(Picker.CategoryId(), 1);
  EXPECT_EQ(Picker.CategoryPath(), "/out");
  EXPECT_EQ(Picker.Text(), QStringLiteral("已完成"));
  EXPECT_EQ(changes.size(), 1);

  // Choosing the same category again does not notify (the wizard keeps its target).
  Picker.DropDown();
  QTest::keyClick(Tree(), Qt::Key_Enter);
  EXPECT_EQ(changes.size(), 1);

  Picker.DropDown();
  QTest::keyClick(Tree(), Qt::Key_Escape);
  EXPECT_FALSE(Picker.IsDroppedDown());
  EXPECT_EQ(Picker.CategoryId(), 1);

  Picker.DropDown();
  Tree()->expandAll();
  QTest::keyClick(Tree(), Qt::Key_Down);  // root -> Phone
  EXPECT_FALSE(Picker.IsDroppedDown());
  EXPECT_EQ(Picker.CategoryId(), Phone);
  EXPECT_EQ(Picker.Text(), "Phone");
  EXPECT_EQ(changes.size(), 2);
}

TEST_F(CategoryPickerTest, TheTreeIsBuiltOnceAndAnEmptyTreeAcceptsNothing) {
  Picker.DropDown();
  QTest::keyClick(Tree(), Qt::Key_Escape);
  Add("Later", "/out/later", 1);
  Picker.DropDown();
  EXPECT_TRUE(Tree()->findItems("Later", Qt::MatchExactly | Qt::MatchRecursive).isEmpty());
  QTest::keyClick(Tree(), Qt::Key_Escape);

  struct TNoCategories : TCategorySource {
    std::vector<TCategoryRecord> LoadChildCategories(int32_t) override { return {}; }
  } none;
  TVirtualTreeEdit empty;
  empty.SetCategorySource(&none);
  empty.show();
  empty.DropDown();
  QTest::keyClick(empty.PopupTree()->Tree(), Qt::Key_Return);
  EXPECT_TRUE(empty.IsDroppedDown());
  EXPECT_EQ(empty.Text(), "");
  EXPECT_THROW(empty.PopupTree()->SelectedCategory(), EAssertionFailed);
}

}  // namespace
