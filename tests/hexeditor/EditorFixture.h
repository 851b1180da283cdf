#pragma once
// A hex editor control on a temporary folder, for the control's tests.

#include <QApplication>
#include <QCoreApplication>
#include <QTest>
#include <QVBoxLayout>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TestSupport.h"
#include "hexeditor/KorHexEditorEx.h"

namespace vexa::test {

// Puts editor (which the window then owns) into a shown, active 900 x 300 window together with
// a second widget that can take the focus from it, and initialises the editor. With
// focusEditor the editor has the focus afterwards, else the other widget.
inline void BuildEditorWindow(TKorHexEditorEx* editor, std::unique_ptr<QWidget>& window, QWidget*& other,
                              bool focusEditor) {
  window = std::make_unique<QWidget>();
  auto* layout = new QVBoxLayout(window.get());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(editor);
  other = new QWidget;
  other->setFocusPolicy(Qt::StrongFocus);
  other->setFixedHeight(0);
  layout->addWidget(other);
  window->resize(900, 300);
  editor->Loaded();
  if (!focusEditor) other->setFocus();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QApplication::setActiveWindow(window.get());
  if (focusEditor) {
    editor->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(editor->Focused());
  }
}

class EditorTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    Editor = std::make_unique<TKorHexEditorEx>();
    Editor->resize(800, 600);
    Editor->Loaded();
  }

  QString Path(const QString& name) const { return Dir.filePath(name); }
  // Files in the folder other than the ones named (leftover temporaries, backups).
  QStringList FilesIn() const { return QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

  // Records every progress event.
  std::vector<int> RecordProgress(int cancelAt = -1) {
    Events.clear();
    Kinds.clear();
    Names.clear();
    Editor->OnProgress = [this, cancelAt](TCustomKorHexEditor*, TKorHProgressKind kind, const QString& name,
                                          uint8_t percent, bool& cancel) {
      Events.push_back(percent);
      Kinds.push_back(kind);
      Names.push_back(name);
      if (cancelAt >= 0 && int(Events.size()) > cancelAt) cancel = true;
    };
    return Events;
  }

  QTemporaryDir Dir;
  std::unique_ptr<TKorHexEditorEx> Editor;
  std::vector<int> Events;
  std::vector<TKorHProgressKind> Kinds;
  QStringList Names;
};

}  // namespace vexa::test
