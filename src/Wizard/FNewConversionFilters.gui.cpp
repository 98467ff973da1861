// The wizard's second page: the list of video filters and its toolbar.
#include <QListWidget>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/ImageLists.gui.h"
#include "Wizard/CFilters.h"
#include "Wizard/FNewConversion.gui.h"

namespace {

QToolButton* ToolButton(const char* Name, const char* Hint, int Image) {
  auto* button = new QToolButton;
  button->setObjectName(QLatin1String(Name));
  button->setToolTip(QString::fromUtf8(Hint));
  button->setIcon(ToolbarImage(Image));
  button->setIconSize(QSize(kToolbarImageSize, kToolbarImageSize));
  return button;
}

}  // namespace

QWidget* TFormNewConversion::CreateFilterPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgFilters"));
  btnNewFilter = ToolButton("btnNewFilter", "新建过滤器", tiNewConversion);
  btnNewFilter->setPopupMode(QToolButton::InstantPopup);
  auto* kinds = new QMenu(btnNewFilter);
  kinds->setObjectName(QStringLiteral("pmNewFilter"));
  auto add = [this, kinds](const char* Caption, auto Make) {
    connect(kinds->addAction(QString::fromUtf8(Caption)), &QAction::triggered, this,
            [this, Make] { Guarded([&] { NewFilter(Make()); }); });
  };
  add("添加标准过滤器", [] { return std::unique_ptr<TAVFilter>(std::make_unique<TVideoStdFilter>()); });
  add("添加图片水印", [] { return std::unique_ptr<TAVFilter>(std::make_unique<TLogoFilter>()); });
  add("添加文本水印", [] { return std::unique_ptr<TAVFilter>(std::make_unique<TOverlayTextFilter>()); });
  add("添加字幕文件", [] { return std::unique_ptr<TAVFilter>(std::make_unique<TSubtitleFilter>()); });
  btnNewFilter->setMenu(kinds);
  btnEditFilter = ToolButton("btnEditFilter", "编辑过滤器", tiEditFilter);
  btnDeleteFilter = ToolButton("btnDeleteFilter", "删除过滤器", tiStop);

  auto* toolbar = new QToolBar;
  toolbar->setObjectName(QStringLiteral("tbFilters"));
  toolbar->addWidget(btnNewFilter);
  toolbar->addWidget(btnEditFilter);
  toolbar->addWidget(btnDeleteFilter);
  lvFilters = new QListWidget;
  lvFilters->setObjectName(QStringLiteral("lvFilters"));
  lvFilters->setSelectionMode(QAbstractItemView::SingleSelection);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(toolbar);
  layout->addWidget(lvFilters, 1);

  connect(btnEditFilter, &QToolButton::clicked, this, [this] { Guarded([this] { EditFilter(); }); });
  connect(lvFilters, &QListWidget::itemDoubleClicked, this, [this] { Guarded([this] { EditFilter(); }); });
  connect(btnDeleteFilter, &QToolButton::clicked, this, [this] { Guarded([this] { DeleteFilter(); }); });
  connect(lvFilters, &QListWidget::itemSelectionChanged, this, &TFormNewConversion::UpdateControls);
  return page;
}

void TFormNewConversion::NewFilter(std::unique_ptr<TAVFilter> Filter) {
  // Cancelled: the descriptor goes with `Filter`.
  if (Filter->ExecuteNew()) AddFilter(std::move(Filter));
}

void TFormNewConversion::AddFilter(std::unique_ptr<TAVFilter> Filter) {
  lvFilters->addItem(QString::fromStdString(Filter->GetFilterName()));
  FFilters.push_back(std::move(Filter));
  UpdateControls();
}

int TFormNewConversion::FilterCount() const { return static_cast<int>(FFilters.size()); }

void TFormNewConversion::EditFilter() {
  const int row = lvFilters->currentRow();
  if (row < 0 || row >= FilterCount()) return;
  FFilters[static_cast<size_t>(row)]->ExecuteEdit();
}

void TFormNewConversion::DeleteFilter() {
  const int row = lvFilters->currentRow();
  if (row < 0 || row >= FilterCount()) return;
  std::unique_ptr<QListWidgetItem> item(lvFilters->takeItem(row));
  FFilters.erase(FFilters.begin() + row);
  UpdateControls();
}

std::string TFormNewConversion::BuildFilterText() const {
  std::vector<const TAVFilter*> filters;
  for (const auto& f : FFilters) filters.push_back(f.get());
  return BuildFilterChain(filters);
}
