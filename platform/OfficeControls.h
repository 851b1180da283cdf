#pragma once
// Office-style components of the main window: the ribbon form, pager and toolbars, the
// application menu, the office pager, the status bar with clickable panels, selectors, check
// boxes, glow buttons, the task dialog, popup menus, tool panels with tree lists, stylers and
// the action list.
//
// Each is a thin Qt widget with the captions, order and values it is given. Events are public
// std::function fields, empty when unassigned; Qt's signals reach them through Guarded, so no
// exception crosses a Qt frame. The look comes from the application's style sheet, which can
// address these widgets by class name (vexa--TAdvToolBar) and by the dynamic properties they
// set (for instance "appearance" = "dark" on a status panel).

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <vector>


class QStackedWidget;
class QTabBar;

namespace vexa {

// An event that carries only its sender.
using TSenderEvent = std::function<void(QObject* Sender)>;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Modal results of dialogs.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

// --- The ribbon form --------------------------------------------------------------------------

// A top-level window with OnCreate (fired by the subclass once it is built, see DoCreate) and
// OnShow (fired each time the window is shown by the program, not when the window system
// restores it).
class TAdvToolBarForm : public QWidget {
  Q_OBJECT
public:
  explicit TAdvToolBarForm(QWidget* parent = nullptr);

  TSenderEvent OnCreate;
  TSenderEvent OnShow;

protected:
  // Runs OnCreate; an exception reaches the default exception display, as when creating a form.
  void DoCreate();
  void showEvent(QShowEvent* event) override;
};

// --- Images and actions -----------------------------------------------------------------------

class TMenuImageList : public QObject {
  Q_OBJECT
public:
  explicit TMenuImageList(int width, int height, QObject* parent = nullptr);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int Count() const { return static_cast<int>(FIcons.size()); }
  void Add(const QIcon& icon) { FIcons.push_back(icon); }
  // An empty icon for an index out of range.
  QIcon Icon(int index) const;

private:
  int FWidth;
  int FHeight;
  std::vector<QIcon> FIcons;
};

class TAction : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)

public:
  explicit TAction(QObject* parent = nullptr) : QObject(parent) {}
  QString Caption() const { return FCaption; }
  void SetCaption(const QString& caption) { FCaption = caption; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int index) { FImageIndex = index; }
  // Calls OnExecute; false when it is unassigned. Exceptions pass to the caller.
  bool Execute();

  TSenderEvent OnExecute;

private:
  QString FCaption;
  int FImageIndex = -1;
};

class TActionList : public QObject {
  Q_OBJECT
public:
  explicit TActionList(QObject* parent = nullptr) : QObject(parent) {}
  TMenuImageList* Images = nullptr;
  void Add(TAction* action) { FActions.push_back(action); }
  int Count() const { return static_cast<int>(FActions.size()); }
  TAction* Actions(int index) const { return FActions.at(static_cast<size_t>(index)); }

private:
  std::vector<TAction*> FActions;
};

// --- Stylers ----------------------------------------------------------------------------------

enum TOfficeStyle { tsOffice2003Blue, tsOffice2007Luna, tsOffice2007Silver, tsOffice2007Obsidian, tsCustom };

// A styler only names the look; the application's style sheet draws it.
class TAdvOfficeStyler : public QObject {
  Q_OBJECT
public:
  explicit TAdvOfficeStyler(QObject* parent = nullptr) : QObject(parent) {}
  TOfficeStyle Style = tsOffice2007Obsidian;
  bool AutoThemeAdapt = false;
};

using TAdvToolBarOfficeStyler = TAdvOfficeStyler;
using TAdvPreviewMenuOfficeStyler = TAdvOfficeStyler;
using TAdvOfficeStatusBarOfficeStyler = TAdvOfficeStyler;
using TAdvFormStyler = TAdvOfficeStyler;
using TAdvAppStyler = TAdvOfficeStyler;
using TAdvOfficePagerOfficeStyler = TAdvOfficeStyler;
using TAdvPanelStyler = TAdvOfficeStyler;
using TAdvMenuOfficeStyler = TAdvOfficeStyler;

// --- Simple controls --------------------------------------------------------------------------

class TOfficeLabel : public QLabel {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
  explicit TOfficeLabel(QWidget* parent = nullptr) : QLabel(parent) {}
  QString Caption() const { return text(); }
  void SetCaption(const QString& caption) { setText(caption); }
};

class TOfficeEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(QString Text READ Text WRITE SetText)
public:
  explicit TOfficeEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
  QString Text() const { return text(); }
  void SetText(const QString& t) { setText(t); }
};

class TAdvGlowButton : public QPushButton {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
  explicit TAdvGlowButton(QWidget* parent = nullptr);
  QString Caption() const { return text(); }
  void SetCaption(const QString& caption) { setText(caption); }
  TSenderEvent OnClick;
};

// OnClick fires when the user toggles the box, not when the program sets Checked.
class TAdvOfficeCheckBox : public QCheckBox {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
public:
  explicit TAdvOfficeCheckBox(QWidget* parent = nullptr);
  QString Caption() const { return text(); }
  void SetCaption(const QString& caption) { setText(caption); }
  bool Checked() const { return isChecked(); }
  void SetChecked(bool checked) { setChecked(checked); }
  TSenderEvent OnClick;
};

// A drop-down list. OnChange fires when the user picks another item, not when the program
// sets ItemIndex.
class TAdvOfficeSelector : public QComboBox {
  Q_OBJECT
  Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
  Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
public:
  explicit TAdvOfficeSelector(QWidget* parent = nullptr);
  QStringList Items() const;
  void SetItems(const QStringList& items);
  int ItemIndex() const { return currentIndex(); }
  void SetItemIndex(int index);
  // The text of the selected item ("" when none).
  QString Text() const { return currentText(); }
  TSenderEvent OnChange;

private:
  bool FSetting = false;
};

class TAdvPanel : public QFrame {
  Q_OBJECT
public:
  explicit TAdvPanel(QWidget* parent = nullptr) : QFrame(parent) {}
};

// --- Ribbon pager -----------------------------------------------------------------------------

class TAdvPreviewMenu;

// A toolbar on a ribbon page: its controls above, its caption in a strip below, with an
// option button whose menu reads "Options" and "Add or Remove Buttons". Double-clicking the
// caption strip lets a floating toolbar float in a window of its own, and docks it back.
class TAdvToolBar : public QFrame {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int ToolBarIndex READ ToolBarIndex WRITE SetToolBarIndex)
  Q_PROPERTY(bool AllowFloating READ AllowFloating WRITE SetAllowFloating)
  Q_PROPERTY(bool ShowCaption READ ShowCaption WRITE SetShowCaption)
public:
  explicit TAdvToolBar(QWidget* parent = nullptr);
  QString Caption() const;
  void SetCaption(const QString& caption);
  int ToolBarIndex() const { return FToolBarIndex; }
  void SetToolBarIndex(int index) { FToolBarIndex = index; }
  bool AllowFloating() const { return FAllowFloating; }
  void SetAllowFloating(bool allow) { FAllowFloating = allow; }
  bool ShowCaption() const;
  void SetShowCaption(bool show);
  bool Floating() const { return FFloating; }
  void SetFloating(bool floating);

  // The area that holds the toolbar's controls (children placed at fixed positions).
  QWidget* Client() const { return FClient; }
  QMenu* OptionMenu() const { return FOptionMenu; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QWidget* FClient;
  QWidget* FCaptionStrip;
  QLabel* FCaptionLabel;
  QMenu* FOptionMenu;
  int FToolBarIndex = 0;
  bool FAllowFloating = true;
  bool FFloating = false;
  QPointer<QWidget> FDockParent;
  QPoint FDockPos;
};

class TAdvPage : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
  explicit TAdvPage(QWidget* parent = nullptr) : QWidget(parent) {}
  QString Caption() const { return FCaption; }
  void SetCaption(const QString& caption);

private:
  QString FCaption;
};

// The round application button in the ribbon's corner; clicking it opens its menu.
class TAdvShapeButton : public QToolButton {
  Q_OBJECT
public:
  explicit TAdvShapeButton(QWidget* parent = nullptr);
  TAdvPreviewMenu* AdvPreviewMenu = nullptr;
  TSenderEvent OnClick;
};

// The ribbon: a caption bar (caption text, minimise / maximise / close buttons acting on the
// window), the application button in the corner and the pages as tabs.
class TAdvToolBarPager : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(int ActivePageIndex READ ActivePageIndex WRITE SetActivePageIndex)
  Q_PROPERTY(bool PersistPlacement READ PersistPlacement WRITE SetPersistPlacement)
public:
  explicit TAdvToolBarPager(QWidget* parent = nullptr);
  QString Caption() const;
  void SetCaption(const QString& caption);
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  bool PersistPlacement() const { return FPersistPlacement; }
  void SetPersistPlacement(bool persist) { FPersistPlacement = persist; }

  void AddPage(TAdvPage* page);
  int PageCount() const;
  TAdvPage* Pages(int index) const;
  void SetShapeButton(TAdvShapeButton* button);

  QLabel* CaptionLabel() const { return FCaptionLabel; }

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  void Arrange();

  QWidget* FCaptionBar;
  QLabel* FCaptionLabel;
  QTabWidget* FTabs;
  TAdvShapeButton* FShapeButton = nullptr;
  bool FPersistPlacement = false;
};

// --- Application menu -------------------------------------------------------------------------

struct TAdvPreviewSubMenuItem {
  QString Caption;
  TAction* Action = nullptr;  // when set, the item shows the action's caption and runs it
  TSenderEvent OnClick;
};

struct TAdvPreviewMenuItem {
  QString Caption;
  bool CanSelect = true;  // false: clicking the item itself does nothing
  int ImageIndex = -1;
  std::vector<TAdvPreviewSubMenuItem> SubItems;
  TSenderEvent OnClick;
};

struct TAdvPreviewMenuButton {
  QString Caption;
  TSenderEvent OnClick;
};

// The application menu: items on the left, the sub-items of the item under the mouse on the
// right, a row of buttons at the bottom. Set the lists, then Popup.
class TAdvPreviewMenu : public QFrame {
  Q_OBJECT
public:
  explicit TAdvPreviewMenu(QWidget* parent = nullptr);
  std::vector<TAdvPreviewMenuItem> MenuItems;
  std::vector<TAdvPreviewMenuButton> Buttons;
  TMenuImageList* Images = nullptr;

  // Builds the menu from the lists and shows it with its top left corner at globalPos.
  void Popup(const QPoint& globalPos);
  // The item whose sub-items are shown (-1 before any).
  int ShownItem() const { return FShownItem; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Rebuild();
  void ShowSubItems(int item);

  QWidget* FItemPane = nullptr;
  QWidget* FSubPane = nullptr;
  QWidget* FButtonBar = nullptr;
  int FShownItem = -1;
};

// --- Office pager -----------------------------------------------------------------------------

class TAdvOfficePage : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
  explicit TAdvOfficePage(QWidget* parent = nullptr) : QWidget(parent) {}
  QString Caption() const { return FCaption; }
  void SetCaption(const QString& caption);

private:
  QString FCaption;
};

// Pages as tabs. OnChange fires when the user picks another page.
class TAdvOfficePager : public QTabWidget {
  Q_OBJECT
  Q_PROPERTY(int ActivePageIndex READ ActivePageIndex WRITE SetActivePageIndex)
public:
  explicit TAdvOfficePager(QWidget* parent = nullptr);
  void AddPage(TAdvOfficePage* page);
  int PageCount() const { return count(); }
  TAdvOfficePage* Pages(int index) const;
  int ActivePageIndex() const { return currentIndex(); }
  void SetActivePageIndex(int index);
  TAdvOfficePage* ActivePage() const { return Pages(currentIndex()); }
  TSenderEvent OnChange;

private:
  bool FSetting = false;
};

// --- Status bar -------------------------------------------------------------------------------

enum TPanelAppearanceStyle { psLight, psDark };

class TAdvOfficeStatusBar;

class TAdvOfficeStatusPanel : public QLabel {
  Q_OBJECT
public:
  TAdvOfficeStatusPanel(TAdvOfficeStatusBar* bar, int index);
  QString Text() const { return text(); }
  void SetText(const QString& text) { setText(text); }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment alignment);
  TPanelAppearanceStyle AppearanceStyle() const { return FStyle; }
  void SetAppearanceStyle(TPanelAppearanceStyle style);
  // A button panel shows hover and press feedback; every panel reports clicks.
  bool Button() const { return FButton; }
  void SetButton(bool button);
  int Width() const { return FWidth; }
  void SetWidth(int width);
  int Index() const { return FIndex; }

protected:
  void mousePressEvent(QMouseEvent* event) override;

private:
  TAdvOfficeStatusBar* FBar;
  int FIndex;
  TAlignment FAlignment = taLeftJustify;
  TPanelAppearanceStyle FStyle = psLight;
  bool FButton = false;
  int FWidth = 50;
};

class TAdvOfficeStatusBar : public QFrame {
  Q_OBJECT
public:
  explicit TAdvOfficeStatusBar(QWidget* parent = nullptr);
  TAdvOfficeStatusPanel* AddPanel();
  int PanelCount() const { return static_cast<int>(FPanels.size()); }
  TAdvOfficeStatusPanel* Panels(int index) const { return FPanels.at(static_cast<size_t>(index)); }

  std::function<void(QObject* Sender, int PanelIndex)> OnPanelClick;

private:
  friend class TAdvOfficeStatusPanel;
  void PanelClicked(int index);
  std::vector<TAdvOfficeStatusPanel*> FPanels;
};

// --- Task dialog ------------------------------------------------------------------------------

enum TTaskDialogIcon { tiBlank, tiWarning, tiQuestion, tiError, tiInformation, tiShield };

enum TCommonButton { cbOK = 1, cbYes = 2, cbNo = 4, cbCancel = 8, cbRetry = 16, cbClose = 32 };

// A message dialog with a title, an icon, a main instruction, content, and a footer with its
// own icon. Execute shows it modally, centred on the window that owns the component.
// The dialog's labels carry the object names "Instruction", "Content" and "Footer".
class TAdvTaskDialogEx : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Title READ Title WRITE SetTitle)
  Q_PROPERTY(QString Instruction READ Instruction WRITE SetInstruction)
  Q_PROPERTY(QString Content READ Content WRITE SetContent)
  Q_PROPERTY(QString Footer READ Footer WRITE SetFooter)
public:
  explicit TAdvTaskDialogEx(QObject* parent = nullptr) : QObject(parent) {}
  QString Title() const { return FTitle; }
  void SetTitle(const QString& v) { FTitle = v; }
  QString Instruction() const { return FInstruction; }
  void SetInstruction(const QString& v) { FInstruction = v; }
  QString Content() const { return FContent; }
  void SetContent(const QString& v) { FContent = v; }
  QString Footer() const { return FFooter; }
  void SetFooter(const QString& v) { FFooter = v; }
  TTaskDialogIcon Icon = tiBlank;
  TTaskDialogIcon FooterIcon = tiBlank;
  int CommonButtons = cbOK;

  // Shows the dialog modally; returns mrOk, mrCancel… as the user closed it.
  int Execute();
  // The dialog while Execute runs, otherwise nullptr.
  QDialog* Dialog() const { return FDialog; }
  // Number of times Execute has shown the dialog.
  int ExecuteCount() const { return FExecuteCount; }

private:
  QString FTitle;
  QString FInstruction;
  QString FContent;
  QString FFooter;
  QPointer<QDialog> FDialog;
  int FExecuteCount = 0;
};

// --- Popup menus ------------------------------------------------------------------------------

// A menu item; the caption "-" makes a separator.
class TMenuItem : public QAction {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
  explicit TMenuItem(const QString& caption, QObject* parent = nullptr);
  QString Caption() const { return text(); }
  void SetCaption(const QString& caption);
  TSenderEvent OnClick;
};

enum TMenuAnimation { maNone, maTopToBottom, maBottomToTop };

class TAdvPopupMenu : public QMenu {
  Q_OBJECT
public:
  explicit TAdvPopupMenu(QWidget* parent = nullptr) : QMenu(parent) {}
  TMenuItem* Add(const QString& name, const QString& caption);
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int index) const { return FItems.at(static_cast<size_t>(index)); }
  // Shows the menu at screen point (x, y) and returns at once.
  void Popup(int x, int y) { popup(QPoint(x, y)); }
  TMenuAnimation MenuAnimation = maNone;

private:
  std::vector<TMenuItem*> FItems;
};

// A popup menu with a button bar above its items; clicking a checkable item leaves it open.
class TAdvStickyPopupMenu : public TAdvPopupMenu {
  Q_OBJECT
public:
  explicit TAdvStickyPopupMenu(QWidget* parent = nullptr);
  TAdvGlowButton* AddButton(const QString& name, const QString& caption);
  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  TAdvGlowButton* Buttons(int index) const { return FButtons.at(static_cast<size_t>(index)); }

protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  QWidget* FButtonBar;
  std::vector<TAdvGlowButton*> FButtons;
};

// --- Tool panels ------------------------------------------------------------------------------

// A read-only list of rows with columns.
class TTreeList : public QTreeWidget {
  Q_OBJECT
public:
  explicit TTreeList(QWidget* parent = nullptr);
  void SetColumns(const QList<int>& widths);
  void SetHeaderVisible(bool visible) { setHeaderHidden(!visible); }
};

class TAdvToolPanel : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
  explicit TAdvToolPanel(QWidget* parent = nullptr);
  QString Caption() const { return FCaption; }
  void SetCaption(const QString& caption) { FCaption = caption; }

private:
  QString FCaption;
};

// A strip of vertical tabs docked on the right edge of its parent. Clicking a tab slides its
// panel out over the parent's content; clicking the open tab slides it back in.
class TAdvToolPanelTab : public QWidget {
  Q_OBJECT
public:
  explicit TAdvToolPanelTab(QWidget* parent);
  void AddPanel(TAdvToolPanel* panel);
  int PanelCount() const { return static_cast<int>(FPanels.size()); }
  TAdvToolPanel* Panels(int index) const { return FPanels.at(static_cast<size_t>(index)); }
  // The panel slid out, or -1 when all are in.
  int OpenPanel() const { return FOpen; }
  void SetOpenPanel(int index);
  int PanelWidth = 260;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void Dock();

  QTabBar* FTabs;
  QStackedWidget* FStack;
  std::vector<TAdvToolPanel*> FPanels;
  int FOpen = -1;
};

}  // namespace vexa
