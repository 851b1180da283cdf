// The component stand-ins of the main window: office controls, the file browser controls and
// the file drop target.
#include "platform/OfficeControls.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "TestSupport.h"
#include "platform/FileControls.h"
#include "platform/FileDrop.h"
#include "platform/SysUtils.h"

namespace vexa {
namespace {

TEST(OfficeStatusBar, EveryPanelReportsItsIndexWhenClicked) {
  TAdvOfficeStatusBar bar;
  for (int w : {120, 80, 194}) bar.AddPanel()->SetWidth(w);
  bar.Panels(0)->SetButton(true);
  bar.resize(500, 19);
  bar.show();
  QList<int> clicked;
  bar.OnPanelClick = [&](QObject* sender, int index) {
    EXPECT_EQ(sender, &bar);
    clicked << index;
  };
  for (int i : {2, 0, 1}) QTest::mouseClick(bar.Panels(i), Qt::LeftButton);
  QTest::mouseClick(bar.Panels(1), Qt::RightButton);
  EXPECT_EQ(clicked, QList<int>({2, 0, 1}));
  EXPECT_EQ(bar.Panels(2)->width(), 194);
  // Panels stay in the order they were added, left to right.
  EXPECT_LT(bar.Panels(0)->x(), bar.Panels(1)->x());
  EXPECT_LT(bar.Panels(1)->x(), bar.Panels(2)->x());
}

TEST(OfficeStatusBar, HandlerExceptionGoesToTheExceptionDisplay) {
  TAdvOfficeStatusBar bar;
  bar.AddPanel();
  bar.show();
  QTest::mouseClick(bar.Panels(0), Qt::LeftButton);  // unassigned: nothing happens
  EXPECT_TRUE(test::TakeShownExceptions().isEmpty());
  bar.OnPanelClick = [](QObject*, int) { throw Exception(QStringLiteral("boom")); };
  QTest::mouseClick(bar.Panels(0), Qt::LeftButton);
  EXPECT_EQ(test::TakeShownExceptions(), QStringList({"boom"}));
}

TEST(OfficeSelector, OnChangeFiresForTheUserNotForTheProgram) {
  TAdvOfficeSelector s;
  s.SetItems({"8", "9", "10"});
  int changes = 0;
  s.OnChange = [&](QObject*) { ++changes; };
  EXPECT_EQ(s.ItemIndex(), -1);
  EXPECT_EQ(s.Text(), QString());
  s.SetItemIndex(2);
  s.SetItemIndex(7);  // out of range: nothing selected
  EXPECT_EQ(s.ItemIndex(), -1);
  s.SetItemIndex(1);
  EXPECT_EQ(changes, 0);
  s.show();
  s.setFocus();
  QTest::keyClick(&s, Qt::Key_Down);
  EXPECT_EQ(s.ItemIndex(), 2);
  EXPECT_EQ(s.Text(), QStringLiteral("10"));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(s.Items(), QStringList({"8", "9", "10"}));
}

TEST(OfficeCheckBox, OnClickFiresForTheUserNotForTheProgram) {
  TAdvOfficeCheckBox box;
  box.SetCaption(QStringLiteral("Show Ruler"));
  std::vector<bool> seen;
  box.OnClick = [&](QObject*) { seen.push_back(box.Checked()); };
  box.SetChecked(true);
  box.SetChecked(false);
  EXPECT_TRUE(seen.empty());
  box.show();
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, box.height() / 2));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(seen[0]);  // the handler sees the new state
  box.setEnabled(false);
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, box.height() / 2));
  EXPECT_EQ(seen.size(), 1u);
}

TEST(OfficePager, ProgramPageChangesAreSilentUserOnesReported) {
  TAdvOfficePager pager;
  for (const char* caption : {"File Browser", "Editor"}) {
    auto* page = new TAdvOfficePage;
    page->SetCaption(QString::fromLatin1(caption));
    pager.AddPage(page);
  }
  int changes = 0;
  pager.OnChange = [&](QObject*) { ++changes; };
  pager.SetActivePageIndex(1);
  EXPECT_EQ(pager.ActivePage()->Caption(), QStringLiteral("Editor"));
  EXPECT_EQ(pager.tabText(0), QStringLiteral("File Browser"));
  EXPECT_EQ(changes, 0);
  pager.show();
  QTest::mouseClick(pager.tabBar(), Qt::LeftButton, {}, pager.tabBar()->tabRect(0).center());
  EXPECT_EQ(pager.ActivePageIndex(), 0);
  EXPECT_EQ(changes, 1);
}

TEST(TaskDialog, ExecuteShowsTheTextsModallyUntilClosed) {
  QWidget owner;
  owner.resize(400, 300);
  owner.show();
  TAdvTaskDialogEx dialog(&owner);
  dialog.SetTitle(QStringLiteral("About..."));
  dialog.SetInstruction(QStringLiteral("Main"));
  dialog.SetContent(QStringLiteral("Body"));
  dialog.SetFooter(QStringLiteral("Foot"));
  dialog.Icon = tiInformation;
  dialog.FooterIcon = tiInformation;
  QStringList seen;
  bool modal = false;
  QTimer::singleShot(0, [&] {
    QDialog* d = dialog.Dialog();
    ASSERT_NE(d, nullptr);
    modal = d->isModal() && QApplication::activeModalWidget() == d;
    seen << d->windowTitle();
    for (const char* name : {"Instruction", "Content", "Footer"}) seen << d->findChild<QLabel*>(name)->text();
    EXPECT_NE(d->findChild<QLabel*>("FooterIcon"), nullptr);
    auto* ok = d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    ASSERT_NE(ok, nullptr);
    ok->click();
  });
  EXPECT_EQ(dialog.Execute(), mrOk);
  EXPECT_TRUE(modal);
  EXPECT_EQ(seen, QStringList({"About...", "Main", "Body", "Foot"}));
  EXPECT_EQ(dialog.Dialog(), nullptr);
  EXPECT_EQ(dialog.ExecuteCount(), 1);
}

TEST(PopupMenus, ItemsButtonsAndSeparatorsInOrder) {
  TAdvStickyPopupMenu menu;
  int buttonClicks = 0;
  menu.AddButton("SelectFileButton", "Select File")->OnClick = [&](QObject*) { ++buttonClicks; };
  menu.AddButton("InformationButton", "Information");
  int hashClicks = 0;
  menu.Add("HashSHA1", "Hash (SHA-1)")->OnClick = [&](QObject*) { ++hashClicks; };
  menu.Add("Sep", "-");
  menu.Add("ApplyPatch", "Apply Patch");
  EXPECT_EQ(menu.ButtonCount(), 2);
  EXPECT_EQ(menu.Buttons(1)->Caption(), QStringLiteral("Information"));
  EXPECT_TRUE(menu.Items(1)->isSeparator());
  EXPECT_FALSE(menu.Items(0)->isSeparator());
  menu.Items(0)->trigger();
  menu.Items(2)->trigger();  // unassigned: nothing happens
  menu.Buttons(0)->click();
  EXPECT_EQ(hashClicks, 1);
  EXPECT_EQ(buttonClicks, 1);
}

TEST(PreviewMenu, SubItemRunsItsActionAndButtonsReportClicks) {
  TAction about;
  about.SetCaption(QStringLiteral("About..."));
  EXPECT_FALSE(about.Execute());  // unassigned
  int executed = 0;
  about.OnExecute = [&](QObject* sender) {
    EXPECT_EQ(sender, &about);
    ++executed;
  };
  TAdvPreviewMenu menu;
  menu.MenuItems.push_back({"File", false, -1, {{"Save", nullptr, {}}, {"Save As...", nullptr, {}}}, {}});
  menu.MenuItems.push_back({"Help", false, -1, {{QString(), &about, {}}}, {}});
  int exits = 0;
  menu.Buttons.push_back({"Exit", [&](QObject*) { ++exits; }});
  menu.Popup(QPoint(10, 10));
  ASSERT_TRUE(menu.isVisible());

  auto* help = menu.findChild<QToolButton*>("PreviewMenuItem1");
  ASSERT_NE(help, nullptr);
  help->click();  // not selectable: shows its sub-items, menu stays
  EXPECT_TRUE(menu.isVisible());
  EXPECT_EQ(menu.ShownItem(), 1);
  auto* sub = menu.findChild<QToolButton*>("PreviewMenuSubItem0");
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->text(), QStringLiteral("About..."));
  sub->click();
  EXPECT_EQ(executed, 1);
  EXPECT_FALSE(menu.isVisible());

  menu.Popup(QPoint(10, 10));
  menu.findChild<QPushButton*>("PreviewMenuButton0")->click();
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(menu.findChild<QPushButton*>("PreviewMenuButton0")->text(), QStringLiteral("Exit"));
}

TEST(ToolPanelTab, TabsSlideTheirPanelOutAndIn) {
  QWidget page;
  page.resize(600, 300);
  auto* tab = new TAdvToolPanelTab(&page);
  for (const char* caption : {"Drive", "File"}) {
    auto* panel = new TAdvToolPanel;
    panel->SetCaption(QString::fromLatin1(caption));
    tab->AddPanel(panel);
  }
  page.show();
  const int closedWidth = tab->width();
  EXPECT_EQ(tab->geometry().right(), page.width() - 1);
  EXPECT_EQ(tab->OpenPanel(), -1);
  auto* bar = tab->findChild<QTabBar*>();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
  EXPECT_EQ(tab->OpenPanel(), 1);
  EXPECT_EQ(tab->width(), closedWidth + tab->PanelWidth);
  EXPECT_EQ(tab->geometry().right(), page.width() - 1);
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
  EXPECT_EQ(tab->OpenPanel(), -1);
  EXPECT_EQ(tab->width(), closedWidth);
  page.resize(700, 300);
  EXPECT_EQ(tab->geometry().right(), 699);
}

// --- File browser -----------------------------------------------------------------------------

class FileBrowser : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    root = QDir(dir.path()).canonicalPath();
    test::WriteFile(root + "/b.bin", "b");
    test::WriteFile(root + "/A.txt", "a");
    test::WriteFile(root + "/locked.dat", "l");
    ASSERT_EQ(chmod(QFile::encodeName(root + "/locked.dat").constData(), 0444), 0);
    test::WriteFile(root + "/.hidden", "h");
    ASSERT_EQ(mkfifo(QFile::encodeName(root + "/pipe").constData(), 0644), 0);
    ASSERT_TRUE(QDir(root).mkpath("sub/deeper"));
    test::WriteFile(root + "/sub/inner.bin", "i");
  }
  static QStringList Names(const QListWidget& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i) out << list.item(i)->text();
    return out;
  }
  QTemporaryDir dir;
  QString root;
};

TEST_F(FileBrowser, AttributeFilterSelectsTheEntriesListed) {
  struct Case {
    TFileType type;
    QStringList names;
  } cases[] = {
      {ftNormal, {"A.txt", "b.bin"}},
      {ftReadOnly | ftNormal, {"A.txt", "b.bin", "locked.dat"}},
      {ftNormal | ftHidden, {".hidden", "A.txt", "b.bin"}},
      {ftSystem, {"pipe"}},
      {ftDirectory, {"sub"}},
      // What the main window's file list asks for.
      {ftReadOnly | ftHidden | ftSystem | ftVolumeID | ftArchive | ftNormal,
       {".hidden", "A.txt", "b.bin", "locked.dat", "pipe"}},
  };
  TFileListBoxEx list;
  list.SetDirectory(root);
  for (const Case& c : cases) {
    list.SetFileType(c.type);
    EXPECT_EQ(Names(list), c.names) << c.type;
  }
}

TEST_F(FileBrowser, FileNameIsTheSelectedEntrysFullPathOrEmpty) {
  TFileListBoxEx list;
  list.SetDirectory(root + "/sub/..");
  EXPECT_EQ(list.Directory(), root);
  EXPECT_EQ(list.FileName(), QString());
  list.show();
  list.setFocus();
  QTest::keyClick(&list, Qt::Key_Down);
  QTest::keyClick(&list, Qt::Key_End);
  EXPECT_EQ(list.FileName(), root + "/b.bin");
  list.SetDirectory(root + "/missing");
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.FileName(), QString());
}

TEST_F(FileBrowser, DoubleClickAndContextRequestReachTheEvents) {
  TFileListBoxEx list;
  list.SetDirectory(root);
  list.resize(200, 300);
  list.show();
  int doubleClicks = 0;
  list.OnDblClick = [&](QObject*) { ++doubleClicks; };
  QPoint asked(-5, -5);
  list.OnContextPopup = [&](QObject*, const QPoint& pos, bool&) { asked = pos; };
  // On an empty part of the list as well as on an entry.
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(50, 290));
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(0)).center());
  EXPECT_EQ(doubleClicks, 2);
  QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(7, 9), list.mapToGlobal(QPoint(7, 9)));
  QApplication::sendEvent(list.viewport(), &menu);
  EXPECT_EQ(asked, QPoint(7, 9));
}

TEST_F(FileBrowser, DirectoryListDrivesTheFileList) {
  TDirectoryListBoxEx dirs;
  TFileListBoxEx files;
  EXPECT_EQ(dirs.Directory(), QDir::current().canonicalPath());  // starts where the program runs
  dirs.SetFileList(&files);
  int changes = 0;
  dirs.OnChange = [&](QObject*) { ++changes; };
  dirs.SetDirectory(root);
  EXPECT_EQ(files.Directory(), root);
  EXPECT_EQ(changes, 1);
  // The current directory's row, its one subdirectory below it.
  QTreeWidgetItem* current = dirs.currentItem();
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(current->text(0), QFileInfo(root).fileName());
  ASSERT_EQ(current->childCount(), 1);
  EXPECT_EQ(current->child(0)->text(0), QStringLiteral("sub"));

  dirs.show();
  dirs.setFocus();
  QTest::keyClick(&dirs, Qt::Key_Down);
  QTest::keyClick(&dirs, Qt::Key_Return);
  EXPECT_EQ(dirs.Directory(), root + "/sub");
  EXPECT_EQ(Names(files), QStringList({"inner.bin"}));
  // Its ancestors lead back up, down to the root of the file system.
  QTreeWidgetItem* top = dirs.topLevelItem(0);
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->text(0), QStringLiteral("/"));
  QTest::keyClick(&dirs, Qt::Key_Up);
  QTest::keyClick(&dirs, Qt::Key_Return);
  EXPECT_EQ(dirs.Directory(), root);
}

TEST(DriveComboBox, ListsMountedVolumesAndMovesTheDirectoryList) {
  TDriveComboBoxEx drives;
  QStringList roots;
  for (int i = 0; i < drives.count(); ++i) roots << drives.itemData(i, Qt::UserRole + 1).toString();
  for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
    if (v.isValid() && v.isReady()) {
      EXPECT_TRUE(roots.contains(v.rootPath())) << v.rootPath().toStdString();
    }
  }
  EXPECT_EQ(drives.Drive(), QStorageInfo(QDir::currentPath()).rootPath());

  TDirectoryListBoxEx dirs;
  drives.SetDirList(&dirs);
  int changes = 0;
  drives.OnChange = [&](QObject*) { ++changes; };
  const int slash = static_cast<int>(roots.indexOf(QStringLiteral("/")));
  ASSERT_GE(slash, 0);
  drives.SetDrive(QStringLiteral("/"));
  EXPECT_EQ(changes, 0);
  if (drives.count() < 2) GTEST_SKIP() << "one volume only";
  drives.setCurrentIndex(slash == 0 ? 1 : 0);  // as the user's choice does
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(dirs.Directory(), QFileInfo(drives.Drive()).canonicalFilePath());
}

// --- File drop --------------------------------------------------------------------------------

TEST(FileDrop, LocalFilesDroppedOnTheTargetAreReported) {
  QWidget target;
  target.resize(100, 100);
  target.show();
  TJvDragDrop drop;
  drop.SetDropTarget(&target);
  EXPECT_TRUE(target.acceptDrops());
  QStringList reported;
  drop.OnDrop = [&](QObject*, const QPoint&, const QStringList& files) { reported = files; };

  QMimeData data;
  data.setUrls({QUrl::fromLocalFile("/tmp/one.bin"), QUrl("https://example.com/x"), QUrl::fromLocalFile("/tmp/two bin")});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&target, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent dropEvent(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&target, &dropEvent);
  EXPECT_EQ(reported, QStringList({"/tmp/one.bin", "/tmp/two bin"}));
  EXPECT_EQ(drop.Files(), reported);
  EXPECT_EQ(dropEvent.dropAction(), Qt::CopyAction);
}

TEST(FileDrop, DragsWithoutLocalFilesAreRefused) {
  QWidget target;
  target.show();
  TJvDragDrop drop;
  drop.SetDropTarget(&target);
  int drops = 0;
  drop.OnDrop = [&](QObject*, const QPoint&, const QStringList&) { ++drops; };
  QMimeData text;
  text.setText(QStringLiteral("/tmp/not-a-file-list"));
  QMimeData remote;
  remote.setUrls({QUrl("https://example.com/file.bin")});
  for (QMimeData* data : {&text, &remote}) {
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(&target, &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent dropEvent(QPointF(1, 1), Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(&target, &dropEvent);
  }
  EXPECT_EQ(drops, 0);
  drop.SetDropTarget(nullptr);
  EXPECT_FALSE(target.acceptDrops());
}

}  // namespace
}  // namespace vexa
