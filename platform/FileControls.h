#pragma once
// The file browser controls: a drive box listing the mounted volumes, a directory list and a
// file list. The drive box drives the directory list, which drives the file list. All start
// in the current working directory; keyboard use is that of any list (arrows, Home/End,
// typing to find). Events are std::function fields, called through Guarded.

#include <QComboBox>
#include <QListWidget>
#include <QPoint>
#include <QPointer>
#include <QTreeWidget>
#include <functional>

#include "platform/OfficeControls.h"

class QFileInfo;

namespace vexa {

// File attributes a file list shows, as a set of bits. On this platform:
// ftReadOnly  files without any write permission bit,
// ftHidden    names that begin with a dot,
// ftSystem    entries that are neither regular files nor directories (devices, FIFOs,
//             sockets, dangling links),
// ftVolumeID  nothing (volumes have no label entry here),
// ftDirectory directories,
// ftArchive, ftNormal  the other (writable) regular files.
enum TFileAttr {
  ftReadOnly = 0x01,
  ftHidden = 0x02,
  ftSystem = 0x04,
  ftVolumeID = 0x08,
  ftDirectory = 0x10,
  ftArchive = 0x20,
  ftNormal = 0x80
};
using TFileType = int;

class TFileListBoxEx : public QListWidget {
  Q_OBJECT
public:
  explicit TFileListBoxEx(QWidget* parent = nullptr);

  QString Directory() const { return FDirectory; }
  // Lists the entries of dir (an empty list when it cannot be read).
  void SetDirectory(const QString& dir);
  TFileType FileType() const { return FFileType; }
  void SetFileType(TFileType type);
  bool ShowGlyphs() const { return FShowGlyphs; }
  void SetShowGlyphs(bool show);
  void SetColor(const QColor& color);
  // Re-reads the directory.
  void Update();
  // Whether an entry passes the attribute filter.
  bool Includes(const QFileInfo& info) const;

  // The directory joined with the selected entry's name; "" when no entry is selected.
  QString FileName() const;

  TSenderEvent OnChange;    // the selection changed
  TSenderEvent OnDblClick;  // a double-click anywhere in the list, or Enter on it
  // A context menu was asked for at MousePos (client coordinates, or (-1, -1) from the
  // keyboard); setting Handled stops nothing else here, as the list has no menu of its own.
  std::function<void(QObject* Sender, const QPoint& MousePos, bool& Handled)> OnContextPopup;

protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  QString FDirectory;
  TFileType FFileType = ftNormal | ftArchive;
  bool FShowGlyphs = false;
};

// The current directory with its ancestors above it and its subdirectories below. Activating
// a row (double-click or Enter) makes it the current directory.
class TDirectoryListBoxEx : public QTreeWidget {
  Q_OBJECT
public:
  explicit TDirectoryListBoxEx(QWidget* parent = nullptr);
  QString Directory() const { return FDirectory; }
  void SetDirectory(const QString& dir);
  // The file list that follows this list's directory.
  TFileListBoxEx* FileList() const { return FFileList; }
  void SetFileList(TFileListBoxEx* list);

  TSenderEvent OnChange;

private:
  void Fill();
  QString FDirectory;
  QPointer<TFileListBoxEx> FFileList;
};

// The mounted volumes, each shown as its mount point and file system type.
class TDriveComboBoxEx : public QComboBox {
  Q_OBJECT
public:
  explicit TDriveComboBoxEx(QWidget* parent = nullptr);
  // Mount point of the selected volume.
  QString Drive() const;
  void SetDrive(const QString& rootPath);
  // Re-reads the mounted volumes, keeping the selection when it is still there.
  void Update();
  TDirectoryListBoxEx* DirList() const { return FDirList; }
  void SetDirList(TDirectoryListBoxEx* list) { FDirList = list; }

  // The user chose another volume; the directory list has already moved to its root.
  TSenderEvent OnChange;

private:
  QPointer<TDirectoryListBoxEx> FDirList;
  bool FSetting = false;
};

}  // namespace vexa
