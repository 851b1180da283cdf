#include "platform/FileControls.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStorageInfo>
#include <QStyle>

#include "platform/Forms.h"

namespace vexa {

namespace {

QFileIconProvider& Icons() {
  static QFileIconProvider provider;
  return provider;
}

QString Absolute(const QString& dir) {
  const QString clean = QDir::cleanPath(QDir(dir).absolutePath());
  const QString canonical = QFileInfo(clean).canonicalFilePath();
  return canonical.isEmpty() ? clean : canonical;
}

constexpr int kPathRole = Qt::UserRole + 1;

}  // namespace

// --- TFileListBoxEx ---------------------------------------------------------------------------

TFileListBoxEx::TFileListBoxEx(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  connect(this, &QListWidget::currentRowChanged, this, [this] {
    Guarded([&] {
      if (OnChange) OnChange(this);
    });
  });
  SetDirectory(QDir::currentPath());
}

void TFileListBoxEx::SetDirectory(const QString& dir) {
  FDirectory = Absolute(dir);
  Update();
}

void TFileListBoxEx::SetFileType(TFileType type) {
  if (type == FFileType) return;
  FFileType = type;
  Update();
}

void TFileListBoxEx::SetShowGlyphs(bool show) {
  if (show == FShowGlyphs) return;
  FShowGlyphs = show;
  Update();
}

void TFileListBoxEx::SetColor(const QColor& color) {
  setStyleSheet(QStringLiteral("vexa--TFileListBoxEx { background-color: %1; color: black; }").arg(color.name()));
}

bool TFileListBoxEx::Includes(const QFileInfo& info) const {
  if (info.fileName().startsWith(QLatin1Char('.')) && !(FFileType & ftHidden)) return false;
  if (info.isDir()) return FFileType & ftDirectory;
  if (!info.isFile()) return FFileType & ftSystem;
  const auto writable = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
  if (!(info.permissions() & writable)) return FFileType & ftReadOnly;
  return FFileType & (ftNormal | ftArchive);
}

void TFileListBoxEx::Update() {
  const QString selected = currentItem() ? currentItem()->text() : QString();
  blockSignals(true);
  clear();
  const QFileInfoList entries =
      QDir(FDirectory).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                     QDir::Name | QDir::IgnoreCase | QDir::DirsFirst);
  for (const QFileInfo& info : entries) {
    if (!Includes(info)) continue;
    auto* item = new QListWidgetItem(info.fileName(), this);
    if (FShowGlyphs) item->setIcon(Icons().icon(info));
    if (item->text() == selected) setCurrentItem(item);
  }
  blockSignals(false);
  Guarded([&] {
    if (OnChange) OnChange(this);
  });
}

QString TFileListBoxEx::FileName() const {
  const QListWidgetItem* item = currentItem();
  if (!item || !item->isSelected()) return QString();
  return QDir(FDirectory).filePath(item->text());
}

void TFileListBoxEx::mouseDoubleClickEvent(QMouseEvent* event) {
  QListWidget::mouseDoubleClickEvent(event);
  Guarded([&] {
    if (OnDblClick) OnDblClick(this);
  });
}

// Enter opens the entry as a double-click does, as in any file list.
void TFileListBoxEx::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    event->accept();
    Guarded([&] {
      if (OnDblClick) OnDblClick(this);
    });
    return;
  }
  QListWidget::keyPressEvent(event);
}

void TFileListBoxEx::contextMenuEvent(QContextMenuEvent* event) {
  const QPoint pos = event->reason() == QContextMenuEvent::Mouse ? event->pos() : QPoint(-1, -1);
  bool handled = false;
  Guarded([&] {
    if (OnContextPopup) OnContextPopup(this, pos, handled);
  });
  event->accept();
}

// --- TDirectoryListBoxEx ----------------------------------------------------------------------

TDirectoryListBoxEx::TDirectoryListBoxEx(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setIndentation(12);
  setExpandsOnDoubleClick(false);
  connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    Guarded([&] {
      if (item) SetDirectory(item->data(0, kPathRole).toString());
    });
  });
  SetDirectory(QDir::currentPath());
}

void TDirectoryListBoxEx::SetDirectory(const QString& dir) {
  const QString path = Absolute(dir);
  if (path == FDirectory && topLevelItemCount() > 0) return;
  FDirectory = path;
  Fill();
  if (FFileList) FFileList->SetDirectory(FDirectory);
  if (OnChange) OnChange(this);
}

void TDirectoryListBoxEx::SetFileList(TFileListBoxEx* list) {
  FFileList = list;
  if (FFileList) FFileList->SetDirectory(FDirectory);
}

void TDirectoryListBoxEx::Fill() {
  clear();
  // The chain from the root down to the current directory, each one level deeper.
  QStringList chain;
  for (QDir d(FDirectory);; ) {
    chain.prepend(d.absolutePath());
    if (d.isRoot() || !d.cdUp()) break;
  }
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  QTreeWidgetItem* parentItem = nullptr;
  for (const QString& path : chain) {
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
    const QString name = QFileInfo(path).fileName();
    item->setText(0, name.isEmpty() ? path : name);
    item->setIcon(0, open);
    item->setData(0, kPathRole, path);
    item->setExpanded(true);
    parentItem = item;
  }
  QTreeWidgetItem* current = parentItem;
  const QFileInfoList subdirs =
      QDir(FDirectory).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo& info : subdirs) {
    auto* item = new QTreeWidgetItem(current);
    item->setText(0, info.fileName());
    item->setIcon(0, closed);
    item->setData(0, kPathRole, info.absoluteFilePath());
  }
  if (current) {
    current->setExpanded(true);
    setCurrentItem(current);
    scrollToItem(current);
  }
}

// --- TDriveComboBoxEx -------------------------------------------------------------------------

TDriveComboBoxEx::TDriveComboBoxEx(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  Update();
  SetDrive(QStorageInfo(QDir::currentPath()).rootPath());
  connect(this, &QComboBox::currentIndexChanged, this, [this] {
    if (FSetting) return;
    Guarded([&] {
      if (FDirList) FDirList->SetDirectory(Drive());
      if (OnChange) OnChange(this);
    });
  });
}

QString TDriveComboBoxEx::Drive() const { return currentData(kPathRole).toString(); }

void TDriveComboBoxEx::SetDrive(const QString& rootPath) {
  FSetting = true;
  const int i = findData(rootPath, kPathRole);
  if (i >= 0) setCurrentIndex(i);
  FSetting = false;
}

void TDriveComboBoxEx::Update() {
  const QString keep = Drive();
  FSetting = true;
  clear();
  QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
  std::sort(volumes.begin(), volumes.end(),
            [](const QStorageInfo& a, const QStorageInfo& b) { return a.rootPath() < b.rootPath(); });
  const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
  for (const QStorageInfo& v : volumes) {
    if (!v.isValid() || !v.isReady()) continue;
    const QString type = QString::fromUtf8(v.fileSystemType());
    addItem(icon, type.isEmpty() ? v.rootPath() : QStringLiteral("%1 (%2)").arg(v.rootPath(), type));
    setItemData(count() - 1, v.rootPath(), kPathRole);
  }
  FSetting = false;
  if (!keep.isEmpty()) SetDrive(keep);
}

}  // namespace vexa
