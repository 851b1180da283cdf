// The document commands of the main window, driven through its real widgets (offscreen):
// opening from the file browser and by a drop, the read-only toggle on the status bar,
// saving, and the question asked when the window closes with unsaved changes.
#include "app/VexaHEXEditorUnit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

#include "TestSupport.h"

namespace vexa {
namespace {

class DocumentCommands : public ::testing::Test {
protected:
  void SetUp() override {
    test::TakeShownExceptions();
    ASSERT_TRUE(dir.isValid());
    folder = QFileInfo(dir.path()).canonicalFilePath();
    test::WriteFile(Path("alpha.bin"), QByteArray("\x3C\x01\x02\x03", 4));
    test::WriteFile(Path("beta.bin"), test::Pattern(100));
    test::WriteFile(Path("gamma.txt"), QByteArray("gamma"));
    window = std::make_unique<TVexaHex>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->DirectoryListBoxEx1->SetDirectory(folder);
  }
  void TearDown() override {
    // Destroying the window asks nothing; tests that expect messages take them.
    EXPECT_EQ(test::TakeShownExceptions(), QStringList());
  }

  QString Path(const QString& name) const { return folder + QLatin1Char('/') + name; }
  TAdvOfficeStatusPanel* Panel(int i) const { return window->StatusBar->Panels(i); }
  TFileListBoxEx* List() const { return window->FileListBoxEx1; }

  QListWidgetItem* Item(const QString& name) const {
    const auto found = List()->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
  }
  QPoint CentreOf(const QString& name) const { return List()->visualItemRect(Item(name)).center(); }
  void ClickItem(const QString& name) {
    ASSERT_NE(Item(name), nullptr) << name.toStdString();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, CentreOf(name));
  }
  void ClickPanel(int i) { QTest::mouseClick(Panel(i), Qt::LeftButton, {}, Panel(i)->rect().center()); }

  // Opens a file through "Select File" and unlocks the view through status panel 0.
  void OpenWritable(const QString& name) {
    ClickItem(name);
    QTest::mouseClick(window->SelectFile, Qt::LeftButton);
    ASSERT_EQ(window->HexEditor->FileName(), Path(name));
    ClickPanel(0);
    ASSERT_FALSE(window->HexEditor->ReadOnlyView());
  }

  // Sends a drag carrying the given local files onto the window, then drops it.
  void DropFiles(const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    const QPoint at = window->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
  }

  QTemporaryDir dir;
  QString folder;
  std::unique_ptr<TVexaHex> window;
};

TEST_F(DocumentCommands, OpeningFromTheBrowserShowsTheEditorPageAndTheBareName) {
  struct Case {
    const char* how;
    std::function<void()> open;
    bool clearsDirectDiskAccess;
  } cases[] = {
      {"Select File button",
       [this] {
         ClickItem("beta.bin");
         QTest::mouseClick(window->SelectFile, Qt::LeftButton);
       },
       false},
      {"double-click on the entry",
       [this] {
         ClickItem("beta.bin");
         QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, CentreOf("beta.bin"));
       },
       true},
      {"type-ahead, then Enter",
       [this] {
         List()->setFocus();
         QTest::keyClicks(List(), "be");
         QTest::keyClick(List(), Qt::Key_Return);
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    window->HexEditor->NewDocument(QStringLiteral("Untitled"));
    window->AdvOfficePager1->SetActivePageIndex(0);
    Panel(2)->SetText(QString());
    window->DDACheck->SetChecked(true);
    c.open();
    EXPECT_EQ(window->HexEditor->FileName(), Path("beta.bin"));
    EXPECT_EQ(window->HexEditor->DataSize(), 100);
    EXPECT_EQ(window->HexEditor->ByteAt(99), 99);
    EXPECT_EQ(window->AdvOfficePager1->ActivePageIndex(), 1);
    EXPECT_TRUE(window->HexEditor->isVisible());
    EXPECT_EQ(Panel(2)->Text(), QStringLiteral("beta.bin"));
    EXPECT_EQ(window->DDACheck->Checked(), !c.clearsDirectDiskAccess);
    // Opening keeps the read-only state.
    EXPECT_EQ(Panel(0)->Text(), QStringLiteral("Read Only"));
    EXPECT_TRUE(window->HexEditor->ReadOnlyView());
  }
}

TEST_F(DocumentCommands, NothingSelectedOpensNothing) {
  ASSERT_EQ(List()->count(), 3);
  ASSERT_EQ(List()->FileName(), QString());
  QTest::mouseClick(window->SelectFile, Qt::LeftButton);
  EXPECT_EQ(window->HexEditor->FileName(), QStringLiteral("Untitled"));
  EXPECT_EQ(window->AdvOfficePager1->ActivePageIndex(), 0);

  // A double-click below the last entry only clears "Direct Disk Access".
  window->DDACheck->SetChecked(true);
  const QRect last = List()->visualItemRect(List()->item(List()->count() - 1));
  const QPoint empty(last.center().x(), last.bottom() + 20);
  ASSERT_EQ(List()->itemAt(empty), nullptr);
  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, empty);
  EXPECT_FALSE(window->DDACheck->Checked());
  EXPECT_EQ(window->HexEditor->FileName(), QStringLiteral("Untitled"));
  EXPECT_EQ(window->AdvOfficePager1->ActivePageIndex(), 0);
  EXPECT_EQ(Panel(2)->Text(), QString());
}

TEST_F(DocumentCommands, TheDirectoryListDrivesTheFileListAndTheBrowserStartsInTheWorkingDirectory) {
  TVexaHex fresh;
  const QString cwd = QFileInfo(QDir::currentPath()).canonicalFilePath();
  EXPECT_EQ(fresh.DirectoryListBoxEx1->Directory(), cwd);
  EXPECT_EQ(fresh.FileListBoxEx1->Directory(), cwd);
  EXPECT_GE(fresh.DriveComboBoxEx1->count(), 1);

  ASSERT_TRUE(QDir(folder).mkdir("inner"));
  test::WriteFile(Path("inner/delta.bin"), QByteArray("d"));
  window->DirectoryListBoxEx1->SetDirectory(QDir::rootPath());
  window->DirectoryListBoxEx1->SetDirectory(folder);  // read again, now with "inner"
  const auto found = window->DirectoryListBoxEx1->findItems("inner", Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_EQ(found.size(), 1);
  QWidget* viewport = window->DirectoryListBoxEx1->viewport();
  const QPoint at = window->DirectoryListBoxEx1->visualItemRect(found.first()).center();
  QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
  EXPECT_EQ(List()->Directory(), Path("inner"));
  ClickItem("delta.bin");
  EXPECT_EQ(List()->FileName(), Path("inner/delta.bin"));
}

TEST_F(DocumentCommands, ContextMenuOverTheFileListOnlyWithAFileSelected) {
  auto request = [&](const QPoint& pos) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, List()->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(List()->viewport(), &event);
  };
  request(QPoint(5, 5));
  EXPECT_FALSE(window->FileOptionsPopUp->isVisible());

  ClickItem("gamma.txt");
  request(CentreOf("gamma.txt"));
  EXPECT_TRUE(window->FileOptionsPopUp->isVisible());
  window->FileOptionsPopUp->hide();
  EXPECT_EQ(window->HexEditor->FileName(), QStringLiteral("Untitled"));
}

TEST_F(DocumentCommands, DroppingThreeFilesOpensTheFirstAndKeepsThePage) {
  DropFiles({Path("gamma.txt"), Path("alpha.bin"), Path("beta.bin")});
  EXPECT_EQ(window->HexEditor->FileName(), Path("gamma.txt"));
  EXPECT_EQ(window->HexEditor->DataSize(), 5);
  EXPECT_EQ(Panel(2)->Text(), QStringLiteral("gamma.txt"));
  EXPECT_EQ(window->AdvOfficePager1->ActivePageIndex(), 0);
  EXPECT_EQ(window->JvDragDrop1->Files().size(), 3);
}

TEST_F(DocumentCommands, AFileThatCannotBeOpenedKeepsThePreviousDocument) {
  ASSERT_EQ(mkfifo(Path("pipe").toLocal8Bit().constData(), 0644), 0);
  window->DirectoryListBoxEx1->SetDirectory(folder);
  window->FileListBoxEx1->Update();
  ClickItem("alpha.bin");
  QTest::mouseClick(window->SelectFile, Qt::LeftButton);
  ASSERT_EQ(window->HexEditor->FileName(), Path("alpha.bin"));
  window->AdvOfficePager1->SetActivePageIndex(0);

  // From the browser: the page and panel 2 stay as they were.
  struct Case {
    const char* name;
    bool removeFirst;
  } cases[] = {{"pipe", false}, {"beta.bin", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClickItem(c.name);
    if (c.removeFirst) {
      ASSERT_TRUE(QFile::remove(Path(c.name)));
    }
    QTest::mouseClick(window->SelectFile, Qt::LeftButton);
    EXPECT_EQ(test::TakeShownExceptions().size(), 1);
    EXPECT_EQ(window->HexEditor->FileName(), Path("alpha.bin"));
    EXPECT_EQ(window->HexEditor->DataSize(), 4);
    EXPECT_EQ(window->HexEditor->ByteAt(0), 0x3C);
    EXPECT_EQ(window->AdvOfficePager1->ActivePageIndex(), 0);
    EXPECT_EQ(Panel(2)->Text(), QStringLiteral("alpha.bin"));
  }

  // Dropped: panel 2 already shows the new name.
  DropFiles({Path("pipe")});
  EXPECT_EQ(test::TakeShownExceptions().size(), 1);
  EXPECT_EQ(window->HexEditor->FileName(), Path("alpha.bin"));
  EXPECT_EQ(window->HexEditor->DataSize(), 4);
  EXPECT_EQ(Panel(2)->Text(), QStringLiteral("pipe"));
}

TEST_F(DocumentCommands, StatusPanelZeroTogglesTheViewOthersDoNothing) {
  ClickPanel(0);
  EXPECT_EQ(Panel(0)->Text(), QStringLiteral("Write Enabled"));
  EXPECT_FALSE(window->HexEditor->ReadOnlyView());
  EXPECT_TRUE(window->SaveButton->isEnabled());
  for (int i : {1, 2}) {
    ClickPanel(i);
    EXPECT_EQ(Panel(0)->Text(), QStringLiteral("Write Enabled"));
    EXPECT_FALSE(window->HexEditor->ReadOnlyView());
  }
  EXPECT_EQ(Panel(1)->Text(), QStringLiteral("Information"));
  EXPECT_EQ(Panel(2)->Text(), QString());
  ClickPanel(0);
  EXPECT_EQ(Panel(0)->Text(), QStringLiteral("Read Only"));
  EXPECT_TRUE(window->HexEditor->ReadOnlyView());
  EXPECT_FALSE(window->SaveButton->isEnabled());
}

TEST_F(DocumentCommands, SaveOnUntitledRaisesNoFilenameSpecified) {
  ClickPanel(0);
  QTest::mouseClick(window->SaveButton, Qt::LeftButton);
  EXPECT_EQ(test::TakeShownExceptions(), QStringList({"No filename specified"}));
  EXPECT_EQ(Panel(0)->Text(), QStringLiteral("Write Enabled"));
}

TEST_F(DocumentCommands, SaveWritesTheFileAndABackupOfTheOldOneWhenModified) {
  OpenWritable("alpha.bin");
  window->HexEditor->SetByteAt(0, 0xAC);
  window->HexEditor->SetModified(true);
  QTest::mouseClick(window->SaveButton, Qt::LeftButton);
  EXPECT_EQ(test::ReadFile(Path("alpha.bin")), QByteArray("\xAC\x01\x02\x03", 4));
  EXPECT_EQ(test::ReadFile(Path("alpha.bin.bak")), QByteArray("\x3C\x01\x02\x03", 4));
  EXPECT_FALSE(window->HexEditor->Modified());

  // Unmodified: written back, without a new backup.
  QFile::remove(Path("alpha.bin.bak"));
  QTest::mouseClick(window->SaveButton, Qt::LeftButton);
  EXPECT_EQ(test::ReadFile(Path("alpha.bin")), QByteArray("\xAC\x01\x02\x03", 4));
  EXPECT_FALSE(QFileInfo::exists(Path("alpha.bin.bak")));
}

TEST_F(DocumentCommands, SaveDoesNothingWhileThePanelReadsReadOnly) {
  ClickItem("alpha.bin");
  QTest::mouseClick(window->SelectFile, Qt::LeftButton);
  window->HexEditor->SetByteAt(0, 0xAC);
  window->HexEditor->SetModified(true);
  window->SaveButtonClick(window->SaveButton);
  EXPECT_EQ(test::ReadFile(Path("alpha.bin")), QByteArray("\x3C\x01\x02\x03", 4));
  EXPECT_FALSE(QFileInfo::exists(Path("alpha.bin.bak")));
}

TEST_F(DocumentCommands, DirectDiskAccessOnlySwapsTheOpenButtonsCaption) {
  window->DDACheck->setEnabled(true);
  QTest::mouseClick(window->DDACheck, Qt::LeftButton);
  EXPECT_EQ(window->SelectFile->Caption(), QStringLiteral("Select Disk"));
  QTest::mouseClick(window->DDACheck, Qt::LeftButton);
  EXPECT_EQ(window->SelectFile->Caption(), QStringLiteral("Select File"));
}

// --- Unsaved changes: closing the window or opening another file --------------------------------

class UnsavedChanges : public DocumentCommands {
protected:
  void SetUp() override {
    DocumentCommands::SetUp();
    window->SaveChangesQuestion = [this](const QString& name) {
      asked << name;
      return answer;
    };
  }
  void Modify() {
    window->HexEditor->SetByteAt(0, 0xAC);
    window->HexEditor->SetModified(true);
  }
  // The "Exit" button of the application menu.
  void Exit() {
    window->AdvShapeButton1->click();
    auto* exit = window->AdvPreviewMenu1->findChild<QPushButton*>("PreviewMenuButton0");
    ASSERT_NE(exit, nullptr);
    ASSERT_EQ(exit->text(), QStringLiteral("Exit"));
    exit->click();
  }

  QStringList asked;
  QMessageBox::StandardButton answer = QMessageBox::Cancel;
};

TEST_F(UnsavedChanges, AnUnmodifiedDocumentClosesAtOnce) {
  OpenWritable("alpha.bin");
  Exit();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(asked, QStringList());
}

TEST_F(UnsavedChanges, AModifiedDocumentIsSavedDiscardedOrKeptAsAnswered) {
  struct Case {
    QMessageBox::StandardButton answer;
    bool closes;
    QByteArray onDisk;
  } cases[] = {
      {QMessageBox::Cancel, false, QByteArray("\x3C\x01\x02\x03", 4)},
      {QMessageBox::Discard, true, QByteArray("\x3C\x01\x02\x03", 4)},
      {QMessageBox::Save, true, QByteArray("\xAC\x01\x02\x03", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    test::WriteFile(Path("alpha.bin"), QByteArray("\x3C\x01\x02\x03", 4));
    window->HexEditor->SetModified(false);
    window->show();
    OpenWritable("alpha.bin");
    ClickPanel(0);  // back to read-only: the question does not depend on the view
    Modify();
    asked.clear();
    answer = c.answer;
    EXPECT_EQ(window->close(), c.closes);
    EXPECT_EQ(asked, QStringList({"alpha.bin"}));
    EXPECT_EQ(window->isVisible(), !c.closes);
    EXPECT_EQ(test::ReadFile(Path("alpha.bin")), c.onDisk);
  }
}

TEST_F(UnsavedChanges, OpeningAnotherFileAsksFirst) {
  const QByteArray original("\x3C\x01\x02\x03", 4);
  const QByteArray changed("\xAC\x01\x02\x03", 4);
  struct Case {
    const char* how;
    bool drop;
    QMessageBox::StandardButton answer;
    bool replaced;
    QByteArray onDisk;
  } cases[] = {
      {"browser, cancel", false, QMessageBox::Cancel, false, original},
      {"browser, discard", false, QMessageBox::Discard, true, original},
      {"browser, save", false, QMessageBox::Save, true, changed},
      {"drop, cancel", true, QMessageBox::Cancel, false, original},
      {"drop, save", true, QMessageBox::Save, true, changed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    test::WriteFile(Path("alpha.bin"), original);
    window->HexEditor->SetModified(false);
    ClickItem("alpha.bin");
    QTest::mouseClick(window->SelectFile, Qt::LeftButton);
    ASSERT_EQ(window->HexEditor->FileName(), Path("alpha.bin"));
    Modify();
    window->AdvOfficePager1->SetActivePageIndex(0);
    asked.clear();
    answer = c.answer;
    if (c.drop) {
      DropFiles({Path("beta.bin")});
    } else {
      ClickItem("beta.bin");
      QTest::mouseClick(window->SelectFile, Qt::LeftButton);
    }
    EXPECT_EQ(asked, QStringList({"alpha.bin"}));
    EXPECT_EQ(window->HexEditor->FileName(), Path(c.replaced ? "beta.bin" : "alpha.bin"));
    EXPECT_EQ(window->HexEditor->Modified(), !c.replaced);
    EXPECT_EQ(Panel(2)->Text(), QString::fromLatin1(c.replaced ? "beta.bin" : "alpha.bin"));
    EXPECT_EQ(window->AdvOfficePager1->ActivePageIndex(), c.replaced && !c.drop ? 1 : 0);
    EXPECT_EQ(test::ReadFile(Path("alpha.bin")), c.onDisk);
  }
}

TEST_F(UnsavedChanges, AFailedSaveIsShownAndKeepsTheWindowOpen) {
  const char byte = 1;
  window->HexEditor->AppendBuffer(&byte, 1, QString(), false);  // the untitled document
  ASSERT_TRUE(window->HexEditor->Modified());
  answer = QMessageBox::Save;
  Exit();
  EXPECT_EQ(asked, QStringList({"Untitled"}));
  EXPECT_EQ(test::TakeShownExceptions(), QStringList({"No filename specified"}));
  EXPECT_TRUE(window->isVisible());
}

TEST_F(UnsavedChanges, TheStandardQuestionBoxOffersSaveDiscardAndCancel) {
  window->SaveChangesQuestion = nullptr;
  OpenWritable("alpha.bin");
  Modify();
  QStringList seen;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen << box->text();
    for (auto b : {QMessageBox::Save, QMessageBox::Discard, QMessageBox::Cancel})
      seen << (box->button(b) ? QStringLiteral("yes") : QStringLiteral("no"));
    box->button(QMessageBox::Cancel)->click();
  });
  EXPECT_FALSE(window->close());
  ASSERT_EQ(seen.size(), 4);
  EXPECT_TRUE(seen[0].contains(QStringLiteral("alpha.bin"))) << seen[0].toStdString();
  EXPECT_EQ(seen.mid(1), QStringList({"yes", "yes", "yes"}));
  EXPECT_TRUE(window->isVisible());
}

}  // namespace
}  // namespace vexa
