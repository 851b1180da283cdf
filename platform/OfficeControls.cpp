#include "platform/OfficeControls.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QStyle>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWidgetAction>

#include "platform/Forms.h"

namespace vexa {

namespace {

// Re-applies the style sheet after a dynamic property used by it has changed.
void Restyle(QWidget* w) {
  w->style()->unpolish(w);
  w->style()->polish(w);
  w->update();
}

Qt::Alignment ToQt(TAlignment a) {
  switch (a) {
    case taCenter: return Qt::AlignCenter;
    case taRightJustify: return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

QIcon TaskIcon(TTaskDialogIcon icon) {
  QStyle* s = QApplication::style();
  switch (icon) {
    case tiWarning: return s->standardIcon(QStyle::SP_MessageBoxWarning);
    case tiQuestion: return s->standardIcon(QStyle::SP_MessageBoxQuestion);
    case tiError: return s->standardIcon(QStyle::SP_MessageBoxCritical);
    case tiInformation: return s->standardIcon(QStyle::SP_MessageBoxInformation);
    case tiShield: return s->standardIcon(QStyle::SP_VistaShield);
    default: return QIcon();
  }
}

}  // namespace

// --- TAdvToolBarForm --------------------------------------------------------------------------

TAdvToolBarForm::TAdvToolBarForm(QWidget* parent) : QWidget(parent, Qt::Window) {}

void TAdvToolBarForm::DoCreate() {
  Guarded([&] {
    if (OnCreate) OnCreate(this);
  });
}

void TAdvToolBarForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  Guarded([&] {
    if (OnShow) OnShow(this);
  });
}

// --- Images and actions -----------------------------------------------------------------------

TMenuImageList::TMenuImageList(int width, int height, QObject* parent)
    : QObject(parent), FWidth(width), FHeight(height) {}

QIcon TMenuImageList::Icon(int index) const {
  if (index < 0 || index >= Count()) return QIcon();
  return FIcons[static_cast<size_t>(index)];
}

bool TAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

// --- Simple controls --------------------------------------------------------------------------

TAdvGlowButton::TAdvGlowButton(QWidget* parent) : QPushButton(parent) {
  connect(this, &QPushButton::clicked, this, [this] {
    Guarded([&] {
      if (OnClick) OnClick(this);
    });
  });
}

TAdvOfficeCheckBox::TAdvOfficeCheckBox(QWidget* parent) : QCheckBox(parent) {
  connect(this, &QCheckBox::clicked, this, [this] {
    Guarded([&] {
      if (OnClick) OnClick(this);
    });
  });
}

TAdvOfficeSelector::TAdvOfficeSelector(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  // A plain item delegate, so the style sheet colours the item under the mouse.
  setItemDelegate(new QStyledItemDelegate(this));
  connect(this, &QComboBox::currentIndexChanged, this, [this] {
    if (FSetting) return;
    Guarded([&] {
      if (OnChange) OnChange(this);
    });
  });
}

QStringList TAdvOfficeSelector::Items() const {
  QStringList out;
  for (int i = 0; i < count(); ++i) out << itemText(i);
  return out;
}

void TAdvOfficeSelector::SetItems(const QStringList& items) {
  FSetting = true;
  clear();
  addItems(items);
  setCurrentIndex(-1);
  FSetting = false;
}

void TAdvOfficeSelector::SetItemIndex(int index) {
  FSetting = true;
  setCurrentIndex(index >= 0 && index < count() ? index : -1);
  FSetting = false;
}

// --- TAdvToolBar ------------------------------------------------------------------------------

TAdvToolBar::TAdvToolBar(QWidget* parent) : QFrame(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->setSpacing(0);
  FClient = new QWidget(this);
  FClient->setObjectName(QStringLiteral("ToolBarClient"));
  layout->addWidget(FClient, 1);

  FCaptionStrip = new QWidget(this);
  FCaptionStrip->setObjectName(QStringLiteral("ToolBarCaption"));
  FCaptionStrip->setFixedHeight(17);
  auto* strip = new QHBoxLayout(FCaptionStrip);
  strip->setContentsMargins(4, 0, 1, 1);
  strip->setSpacing(0);
  FCaptionLabel = new QLabel(FCaptionStrip);
  FCaptionLabel->setAlignment(Qt::AlignCenter);
  strip->addWidget(FCaptionLabel, 1);
  auto* option = new QToolButton(FCaptionStrip);
  option->setObjectName(QStringLiteral("ToolBarOptionButton"));
  option->setFixedSize(14, 14);
  option->setArrowType(Qt::DownArrow);
  option->setAutoRaise(true);
  option->setPopupMode(QToolButton::InstantPopup);
  FOptionMenu = new QMenu(this);
  QAction* heading = FOptionMenu->addAction(QStringLiteral("Options"));
  heading->setEnabled(false);
  FOptionMenu->addAction(QStringLiteral("Add or Remove Buttons"));
  option->setMenu(FOptionMenu);
  strip->addWidget(option);
  layout->addWidget(FCaptionStrip);
  FCaptionStrip->installEventFilter(this);
  FCaptionLabel->installEventFilter(this);
}

QString TAdvToolBar::Caption() const { return FCaptionLabel->text(); }

void TAdvToolBar::SetCaption(const QString& caption) {
  FCaptionLabel->setText(caption);
  setWindowTitle(caption);
}

bool TAdvToolBar::ShowCaption() const { return !FCaptionStrip->isHidden(); }

void TAdvToolBar::SetShowCaption(bool show) { FCaptionStrip->setVisible(show); }

void TAdvToolBar::SetFloating(bool floating) {
  if (floating == FFloating || (floating && !FAllowFloating)) return;
  const bool visible = !isHidden();
  if (floating) {
    FDockParent = parentWidget();
    FDockPos = pos();
    const QPoint global = mapToGlobal(QPoint(0, 0));
    setParent(FDockParent ? FDockParent->window() : nullptr, Qt::Tool);
    move(global);
  } else {
    setParent(FDockParent, Qt::Widget);
    move(FDockPos);
  }
  FFloating = floating;
  setVisible(visible);
}

bool TAdvToolBar::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    Guarded([&] { SetFloating(!FFloating); });
    return true;
  }
  return QFrame::eventFilter(watched, event);
}

void TAdvPage::SetCaption(const QString& caption) {
  FCaption = caption;
  if (auto* tabs = qobject_cast<QTabWidget*>(parentWidget() ? parentWidget()->parentWidget() : nullptr)) {
    const int i = tabs->indexOf(this);
    if (i >= 0) tabs->setTabText(i, caption);
  }
}

TAdvShapeButton::TAdvShapeButton(QWidget* parent) : QToolButton(parent) {
  setFixedSize(48, 48);
  setIconSize(QSize(32, 32));
  setCursor(Qt::PointingHandCursor);
  connect(this, &QToolButton::clicked, this, [this] {
    Guarded([&] {
      if (OnClick) OnClick(this);
      if (AdvPreviewMenu) AdvPreviewMenu->Popup(mapToGlobal(QPoint(0, height())));
    });
  });
}

// --- TAdvToolBarPager -------------------------------------------------------------------------

namespace {
constexpr int kCaptionBarHeight = 26;
}

TAdvToolBarPager::TAdvToolBarPager(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_StyledBackground);
  FCaptionBar = new QWidget(this);
  FCaptionBar->setObjectName(QStringLiteral("PagerCaptionBar"));
  FCaptionBar->setAttribute(Qt::WA_StyledBackground);
  auto* bar = new QHBoxLayout(FCaptionBar);
  bar->setContentsMargins(60, 0, 2, 0);
  bar->setSpacing(1);
  FCaptionLabel = new QLabel(FCaptionBar);
  FCaptionLabel->setObjectName(QStringLiteral("PagerCaption"));
  FCaptionLabel->setAlignment(Qt::AlignCenter);
  bar->addWidget(FCaptionLabel, 1);
  struct Button {
    const char* name;
    QStyle::StandardPixmap pixmap;
    std::function<void(QWidget*)> act;
  } buttons[] = {
      {"MinimizeButton", QStyle::SP_TitleBarMinButton, [](QWidget* w) { w->showMinimized(); }},
      {"MaximizeButton", QStyle::SP_TitleBarMaxButton,
       [](QWidget* w) { w->isMaximized() ? w->showNormal() : w->showMaximized(); }},
      {"CloseButton", QStyle::SP_TitleBarCloseButton, [](QWidget* w) { w->close(); }},
  };
  for (const Button& b : buttons) {
    auto* button = new QToolButton(FCaptionBar);
    button->setObjectName(QString::fromLatin1(b.name));
    button->setIcon(style()->standardIcon(b.pixmap));
    button->setAutoRaise(true);
    button->setFixedSize(22, 20);
    connect(button, &QToolButton::clicked, this, [this, act = b.act] { Guarded([&] { act(window()); }); });
    bar->addWidget(button);
  }
  FTabs = new QTabWidget(this);
  FTabs->setObjectName(QStringLiteral("PagerTabs"));
  FTabs->setDocumentMode(true);
}

QString TAdvToolBarPager::Caption() const { return FCaptionLabel->text(); }

void TAdvToolBarPager::SetCaption(const QString& caption) { FCaptionLabel->setText(caption); }

int TAdvToolBarPager::ActivePageIndex() const { return FTabs->currentIndex(); }

void TAdvToolBarPager::SetActivePageIndex(int index) { FTabs->setCurrentIndex(index); }

void TAdvToolBarPager::AddPage(TAdvPage* page) { FTabs->addTab(page, page->Caption()); }

int TAdvToolBarPager::PageCount() const { return FTabs->count(); }

TAdvPage* TAdvToolBarPager::Pages(int index) const { return qobject_cast<TAdvPage*>(FTabs->widget(index)); }

void TAdvToolBarPager::SetShapeButton(TAdvShapeButton* button) {
  FShapeButton = button;
  button->setParent(this);
  Arrange();
}

void TAdvToolBarPager::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Arrange();
}

void TAdvToolBarPager::Arrange() {
  FCaptionBar->setGeometry(0, 0, width(), kCaptionBarHeight);
  FTabs->setGeometry(0, kCaptionBarHeight, width(), height() - kCaptionBarHeight);
  if (FShapeButton) {
    FShapeButton->move(7, 5);
    FShapeButton->raise();
  }
}

// --- TAdvPreviewMenu --------------------------------------------------------------------------

TAdvPreviewMenu::TAdvPreviewMenu(QWidget* parent) : QFrame(parent, Qt::Popup) {
  setObjectName(QStringLiteral("PreviewMenu"));
  setFrameShape(QFrame::StyledPanel);
}

void TAdvPreviewMenu::Rebuild() {
  delete layout();
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) delete child;
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(4, 4, 4, 4);
  outer->setSpacing(4);
  auto* body = new QHBoxLayout;
  outer->addLayout(body, 1);

  FItemPane = new QWidget(this);
  FItemPane->setObjectName(QStringLiteral("PreviewMenuItems"));
  FItemPane->setAttribute(Qt::WA_StyledBackground);
  auto* items = new QVBoxLayout(FItemPane);
  items->setContentsMargins(2, 2, 2, 2);
  items->setSpacing(2);
  for (size_t i = 0; i < MenuItems.size(); ++i) {
    const TAdvPreviewMenuItem& item = MenuItems[i];
    auto* button = new QToolButton(FItemPane);
    button->setObjectName(QStringLiteral("PreviewMenuItem%1").arg(i));
    button->setText(item.Caption);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    if (Images) {
      button->setIcon(Images->Icon(item.ImageIndex));
      button->setIconSize(QSize(Images->Width(), Images->Height()));
    }
    button->setAutoRaise(true);
    button->setMinimumSize(150, 40);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const int index = static_cast<int>(i);
    button->setProperty("itemIndex", index);
    button->installEventFilter(this);
    connect(button, &QToolButton::clicked, this, [this, index] {
      Guarded([&] {
        ShowSubItems(index);
        const TAdvPreviewMenuItem& it = MenuItems[static_cast<size_t>(index)];
        if (!it.CanSelect) return;
        hide();
        if (it.OnClick) it.OnClick(this);
      });
    });
    items->addWidget(button);
  }
  items->addStretch(1);
  body->addWidget(FItemPane);

  FSubPane = new QWidget(this);
  FSubPane->setObjectName(QStringLiteral("PreviewMenuSubItems"));
  FSubPane->setAttribute(Qt::WA_StyledBackground);
  FSubPane->setMinimumSize(220, 160);
  new QVBoxLayout(FSubPane);
  body->addWidget(FSubPane, 1);

  FButtonBar = new QWidget(this);
  auto* buttons = new QHBoxLayout(FButtonBar);
  buttons->setContentsMargins(0, 0, 0, 0);
  buttons->addStretch(1);
  for (size_t i = 0; i < Buttons.size(); ++i) {
    auto* button = new QPushButton(Buttons[i].Caption, FButtonBar);
    button->setObjectName(QStringLiteral("PreviewMenuButton%1").arg(i));
    const int index = static_cast<int>(i);
    connect(button, &QPushButton::clicked, this, [this, index] {
      Guarded([&] {
        hide();
        const TAdvPreviewMenuButton& b = Buttons[static_cast<size_t>(index)];
        if (b.OnClick) b.OnClick(this);
      });
    });
    buttons->addWidget(button);
  }
  outer->addWidget(FButtonBar);
  FShownItem = -1;
  if (!MenuItems.empty()) ShowSubItems(0);
}

void TAdvPreviewMenu::ShowSubItems(int item) {
  if (item == FShownItem || item < 0 || item >= static_cast<int>(MenuItems.size())) return;
  FShownItem = item;
  QLayout* pane = FSubPane->layout();
  while (QLayoutItem* child = pane->takeAt(0)) {
    delete child->widget();
    delete child;
  }
  const TAdvPreviewMenuItem& it = MenuItems[static_cast<size_t>(item)];
  auto* heading = new QLabel(it.Caption, FSubPane);
  heading->setObjectName(QStringLiteral("PreviewMenuHeading"));
  pane->addWidget(heading);
  for (size_t i = 0; i < it.SubItems.size(); ++i) {
    const TAdvPreviewSubMenuItem& sub = it.SubItems[i];
    auto* button = new QToolButton(FSubPane);
    button->setObjectName(QStringLiteral("PreviewMenuSubItem%1").arg(i));
    button->setText(sub.Action ? sub.Action->Caption() : sub.Caption);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    if (Images && sub.Action) {
      button->setIcon(Images->Icon(sub.Action->ImageIndex()));
      button->setIconSize(QSize(Images->Width(), Images->Height()));
    }
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const int subIndex = static_cast<int>(i);
    connect(button, &QToolButton::clicked, this, [this, item, subIndex] {
      Guarded([&] {
        hide();
        const TAdvPreviewSubMenuItem& s = MenuItems[static_cast<size_t>(item)].SubItems[static_cast<size_t>(subIndex)];
        if (s.Action) {
          s.Action->Execute();
        } else if (s.OnClick) {
          s.OnClick(this);
        }
      });
    });
    pane->addWidget(button);
  }
  static_cast<QVBoxLayout*>(pane)->addStretch(1);
}

void TAdvPreviewMenu::Popup(const QPoint& globalPos) {
  Rebuild();
  adjustSize();
  move(globalPos);
  show();
}

// Hovering an item shows its sub-items, as in the application menus of office programs.
bool TAdvPreviewMenu::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter) {
    const QVariant index = watched->property("itemIndex");
    if (index.isValid()) Guarded([&] { ShowSubItems(index.toInt()); });
  }
  return QFrame::eventFilter(watched, event);
}

// --- TAdvOfficePager --------------------------------------------------------------------------

void TAdvOfficePage::SetCaption(const QString& caption) {
  FCaption = caption;
  if (auto* tabs = qobject_cast<QTabWidget*>(parentWidget() ? parentWidget()->parentWidget() : nullptr)) {
    const int i = tabs->indexOf(this);
    if (i >= 0) tabs->setTabText(i, caption);
  }
}

TAdvOfficePager::TAdvOfficePager(QWidget* parent) : QTabWidget(parent) {
  setDocumentMode(false);
  connect(this, &QTabWidget::currentChanged, this, [this] {
    if (FSetting) return;
    Guarded([&] {
      if (OnChange) OnChange(this);
    });
  });
}

void TAdvOfficePager::AddPage(TAdvOfficePage* page) {
  FSetting = true;
  addTab(page, page->Caption());
  FSetting = false;
}

TAdvOfficePage* TAdvOfficePager::Pages(int index) const { return qobject_cast<TAdvOfficePage*>(widget(index)); }

void TAdvOfficePager::SetActivePageIndex(int index) {
  FSetting = true;
  setCurrentIndex(index);
  FSetting = false;
}

// --- Status bar -------------------------------------------------------------------------------

TAdvOfficeStatusPanel::TAdvOfficeStatusPanel(TAdvOfficeStatusBar* bar, int index)
    : QLabel(bar), FBar(bar), FIndex(index) {
  setObjectName(QStringLiteral("StatusPanel%1").arg(index));
  setAttribute(Qt::WA_Hover);
  setProperty("appearance", QStringLiteral("light"));
  setProperty("button", false);
  setFixedWidth(FWidth);
  setAlignment(ToQt(FAlignment));
}

void TAdvOfficeStatusPanel::SetAlignment(TAlignment alignment) {
  FAlignment = alignment;
  setAlignment(ToQt(alignment));
}

void TAdvOfficeStatusPanel::SetAppearanceStyle(TPanelAppearanceStyle style) {
  FStyle = style;
  setProperty("appearance", style == psDark ? QStringLiteral("dark") : QStringLiteral("light"));
  Restyle(this);
}

void TAdvOfficeStatusPanel::SetButton(bool button) {
  FButton = button;
  setProperty("button", button);
  setCursor(button ? Qt::PointingHandCursor : Qt::ArrowCursor);
  Restyle(this);
}

void TAdvOfficeStatusPanel::SetWidth(int width) {
  FWidth = width;
  setFixedWidth(width);
}

void TAdvOfficeStatusPanel::mousePressEvent(QMouseEvent* event) {
  QLabel::mousePressEvent(event);
  if (event->button() != Qt::LeftButton) return;
  Guarded([&] { FBar->PanelClicked(FIndex); });
}

TAdvOfficeStatusBar::TAdvOfficeStatusBar(QWidget* parent) : QFrame(parent) {
  setAttribute(Qt::WA_StyledBackground);
  setFixedHeight(19);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  layout->addStretch(1);
}

TAdvOfficeStatusPanel* TAdvOfficeStatusBar::AddPanel() {
  auto* panel = new TAdvOfficeStatusPanel(this, PanelCount());
  auto* box = static_cast<QHBoxLayout*>(layout());
  box->insertWidget(PanelCount(), panel);
  FPanels.push_back(panel);
  return panel;
}

void TAdvOfficeStatusBar::PanelClicked(int index) {
  if (OnPanelClick) OnPanelClick(this, index);
}

// --- Task dialog ------------------------------------------------------------------------------

int TAdvTaskDialogEx::Execute() {
  QWidget* owner = qobject_cast<QWidget*>(parent());
  if (owner) owner = owner->window();
  QDialog dialog(owner);
  dialog.setObjectName(QStringLiteral("TaskDialog"));
  dialog.setWindowTitle(FTitle);
  auto* outer = new QVBoxLayout(&dialog);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  auto* top = new QHBoxLayout;
  if (Icon != tiBlank) {
    auto* icon = new QLabel(&dialog);
    icon->setObjectName(QStringLiteral("Icon"));
    icon->setPixmap(TaskIcon(Icon).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);
  }
  auto* texts = new QVBoxLayout;
  auto* instruction = new QLabel(FInstruction, &dialog);
  instruction->setObjectName(QStringLiteral("Instruction"));
  QFont big = instruction->font();
  big.setPointSizeF(big.pointSizeF() * 1.4);
  big.setBold(true);
  instruction->setFont(big);
  texts->addWidget(instruction);
  auto* content = new QLabel(FContent, &dialog);
  content->setObjectName(QStringLiteral("Content"));
  content->setWordWrap(true);
  content->setMinimumWidth(320);
  texts->addWidget(content);
  top->addLayout(texts, 1);
  outer->addLayout(top);

  auto* buttons = new QDialogButtonBox(&dialog);
  if (CommonButtons & cbOK) buttons->addButton(QDialogButtonBox::Ok);
  if (CommonButtons & cbYes) buttons->addButton(QDialogButtonBox::Yes);
  if (CommonButtons & cbNo) buttons->addButton(QDialogButtonBox::No);
  if (CommonButtons & cbCancel) buttons->addButton(QDialogButtonBox::Cancel);
  if (CommonButtons & cbRetry) buttons->addButton(QDialogButtonBox::Retry);
  if (CommonButtons & cbClose) buttons->addButton(QDialogButtonBox::Close);
  int result = mrCancel;
  QObject::connect(buttons, &QDialogButtonBox::clicked, &dialog, [&](QAbstractButton* b) {
    const auto role = buttons->buttonRole(b);
    result = (role == QDialogButtonBox::AcceptRole || role == QDialogButtonBox::YesRole) ? mrOk : mrCancel;
    dialog.done(result);
  });
  outer->addWidget(buttons);

  auto* line = new QFrame(&dialog);
  line->setFrameShape(QFrame::HLine);
  outer->addWidget(line);
  auto* footer = new QHBoxLayout;
  if (FooterIcon != tiBlank) {
    auto* icon = new QLabel(&dialog);
    icon->setObjectName(QStringLiteral("FooterIcon"));
    icon->setPixmap(TaskIcon(FooterIcon).pixmap(16, 16));
    footer->addWidget(icon);
  }
  auto* footerText = new QLabel(FFooter, &dialog);
  footerText->setObjectName(QStringLiteral("Footer"));
  footer->addWidget(footerText, 1);
  outer->addLayout(footer);

  dialog.adjustSize();
  const QRect area = owner ? owner->frameGeometry()
                           : (dialog.screen() ? dialog.screen()->availableGeometry() : QRect());
  if (area.isValid()) dialog.move(area.center() - QPoint(dialog.width() / 2, dialog.height() / 2));

  FDialog = &dialog;
  ++FExecuteCount;
  dialog.exec();
  FDialog = nullptr;
  return result;
}

// --- Popup menus ------------------------------------------------------------------------------

TMenuItem::TMenuItem(const QString& caption, QObject* parent) : QAction(parent) {
  SetCaption(caption);
  connect(this, &QAction::triggered, this, [this] {
    Guarded([&] {
      if (OnClick) OnClick(this);
    });
  });
}

void TMenuItem::SetCaption(const QString& caption) {
  setText(caption);
  setSeparator(caption == QLatin1String("-"));
}

TMenuItem* TAdvPopupMenu::Add(const QString& name, const QString& caption) {
  auto* item = new TMenuItem(caption, this);
  item->setObjectName(name);
  addAction(item);
  FItems.push_back(item);
  return item;
}

TAdvStickyPopupMenu::TAdvStickyPopupMenu(QWidget* parent) : TAdvPopupMenu(parent) {
  FButtonBar = new QWidget(this);
  FButtonBar->setObjectName(QStringLiteral("StickyButtonBar"));
  auto* row = new QHBoxLayout(FButtonBar);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(2);
  auto* action = new QWidgetAction(this);
  action->setDefaultWidget(FButtonBar);
  addAction(action);
  addSeparator();
}

TAdvGlowButton* TAdvStickyPopupMenu::AddButton(const QString& name, const QString& caption) {
  auto* button = new TAdvGlowButton(FButtonBar);
  button->setObjectName(name);
  button->SetCaption(caption);
  FButtonBar->layout()->addWidget(button);
  FButtons.push_back(button);
  return button;
}

void TAdvStickyPopupMenu::mouseReleaseEvent(QMouseEvent* event) {
  QAction* action = actionAt(event->position().toPoint());
  if (action && action->isCheckable() && action->isEnabled()) {
    action->trigger();
    return;
  }
  TAdvPopupMenu::mouseReleaseEvent(event);
}

// --- Tool panels ------------------------------------------------------------------------------

TTreeList::TTreeList(QWidget* parent) : QTreeWidget(parent) {
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setRootIsDecorated(false);
}

void TTreeList::SetColumns(const QList<int>& widths) {
  setColumnCount(static_cast<int>(widths.size()));
  for (int i = 0; i < widths.size(); ++i) setColumnWidth(i, widths[i]);
}

TAdvToolPanel::TAdvToolPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
}

TAdvToolPanelTab::TAdvToolPanelTab(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_StyledBackground);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  FStack = new QStackedWidget(this);
  FStack->setObjectName(QStringLiteral("ToolPanelStack"));
  FStack->hide();
  layout->addWidget(FStack, 1);
  FTabs = new QTabBar(this);
  FTabs->setObjectName(QStringLiteral("ToolPanelTabs"));
  FTabs->setShape(QTabBar::RoundedEast);
  FTabs->setDrawBase(false);
  layout->addWidget(FTabs, 0, Qt::AlignTop);
  connect(FTabs, &QTabBar::tabBarClicked, this, [this](int index) {
    Guarded([&] { SetOpenPanel(index == FOpen ? -1 : index); });
  });
  if (parent) parent->installEventFilter(this);
}

void TAdvToolPanelTab::AddPanel(TAdvToolPanel* panel) {
  FStack->addWidget(panel);
  FTabs->addTab(panel->Caption());
  FPanels.push_back(panel);
  FTabs->setCurrentIndex(-1);
  Dock();
}

void TAdvToolPanelTab::SetOpenPanel(int index) {
  if (index < -1 || index >= PanelCount()) return;
  FOpen = index;
  if (index >= 0) FStack->setCurrentIndex(index);
  FStack->setVisible(index >= 0);
  Dock();
  raise();
}

bool TAdvToolPanelTab::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize) Dock();
  return QWidget::eventFilter(watched, event);
}

void TAdvToolPanelTab::Dock() {
  QWidget* p = parentWidget();
  if (!p) return;
  // Captions may have been set after the panels were added.
  for (int i = 0; i < PanelCount(); ++i) FTabs->setTabText(i, FPanels[static_cast<size_t>(i)]->Caption());
  const int strip = FTabs->sizeHint().width();
  const int w = strip + (FOpen >= 0 ? PanelWidth : 0);
  setGeometry(p->width() - w, 0, w, p->height());
}

}  // namespace vexa
