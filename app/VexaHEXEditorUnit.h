#pragma once
// The main window: a ribbon of view options, a pager with the file browser and the editor
// page holding the hex editor control, and a status bar.

#include <QJsonObject>
#include <QMessageBox>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "hexeditor/KorHexEditorEx.h"
#include "platform/FileControls.h"
#include "platform/FileDrop.h"
#include "platform/HashManager.h"
#include "platform/OfficeControls.h"

namespace vexa {

class TVexaHex : public TAdvToolBarForm {
  Q_OBJECT

public:
  // Builds the window and its components, applies the stored layout (which configures the
  // hex editor), centres the window on the screen and runs FormCreate.
  explicit TVexaHex(QWidget* parent = nullptr);

  // Components, in the order of the window's layout definition.
  TAdvToolBarPager* AdvToolBarPager1;
  TAdvPage* AdvPage1;
  TAdvToolBarOfficeStyler* AdvToolBarOfficeStyler1;
  TAdvToolBar* AdvToolBar1;
  TAdvShapeButton* AdvShapeButton1;
  TAdvPreviewMenu* AdvPreviewMenu1;
  TAdvPreviewMenuOfficeStyler* AdvPreviewMenuOfficeStyler1;
  TAdvOfficeStatusBar* StatusBar;
  TAdvOfficeStatusBarOfficeStyler* AdvOfficeStatusBarOfficeStyler1;
  TAdvToolBar* AdvToolBar2;
  TAdvFormStyler* AdvFormStyler1;
  TAdvAppStyler* AdvAppStyler1;
  TAdvOfficeSelector* TranslationSelector;
  TJvDragDrop* JvDragDrop1;
  TAdvOfficePager* AdvOfficePager1;
  TAdvOfficePage* AdvOfficePager11;
  TAdvOfficePage* AdvOfficePager12;
  TAdvOfficePagerOfficeStyler* AdvOfficePagerOfficeStyler1;
  TKorHexEditorEx* HexEditor;
  TDirectoryListBoxEx* DirectoryListBoxEx1;
  TDriveComboBoxEx* DriveComboBoxEx1;
  TFileListBoxEx* FileListBoxEx1;
  TOfficeLabel* Label1;
  THashManager* HashManager1;
  TAdvTaskDialogEx* AdvTaskDialogEx1;
  TActionList* ActionList1;
  TAction* About;
  TAdvOfficeCheckBox* DDACheck;
  TAdvToolPanelTab* AdvToolPanelTab1;
  TAdvToolPanel* AdvToolPanel1;
  TAdvPanelStyler* AdvPanelStyler1;
  TAdvPanel* AdvPanel1;
  TAdvGlowButton* SaveButton;
  TAdvGlowButton* SelectFile;
  TAdvOfficeSelector* FontSizeSelector;
  TOfficeLabel* Label2;
  TAdvMenuOfficeStyler* AdvMenuOfficeStyler1;
  TAdvStickyPopupMenu* FileOptionsPopUp;
  TAdvPopupMenu* OffsetPopUp;
  TMenuItem* Decimal1;
  TMenuItem* Hexadecimal1;
  TMenuItem* Octal1;
  TAdvOfficeCheckBox* UnicodeCheck;
  TAdvOfficeCheckBox* UnicodeBigEndian;
  TAdvOfficeCheckBox* DrawGrid;
  TAdvOfficeCheckBox* ShowRulerCheck;
  TTreeList* DriveList;
  TAdvToolPanel* AdvToolPanel2;
  TTreeList* TreeList1;
  TAdvToolBar* AdvToolBar3;
  TOfficeEdit* SearchEdit;
  TAdvGlowButton* SearchButton;
  TAdvGlowButton* SearchNextButton;
  TAdvOfficeCheckBox* TextSearchCheck;
  TAdvOfficeCheckBox* IgnoreCaseCheck;
  TMenuImageList* ImageList1;

  // Every component by name, in the order above.
  std::vector<std::pair<QString, QObject*>> Components() const;

  // Shows the "File Browser" page and hides the "Search" toolbar.
  void FormCreate(QObject* Sender);
  // Puts "Vexa HEX Editor v" and the version into the ribbon caption and the about footer.
  void FormShow(QObject* Sender);
  // Shows the about dialog modally.
  void AboutExecute(QObject* Sender);

  // Document commands.
  // Opens the file selected in the file list: loads it, shows the "Editor" page and the
  // file's name in status panel 2. Nothing happens when no file is selected, or when the
  // user keeps a modified document (see QuerySaveChanges).
  void SelectFileClick(QObject* Sender);
  // Clears "Direct Disk Access", then opens the selected file as SelectFileClick does.
  void FileListBoxEx1DblClick(QObject* Sender);
  // Shows the file options menu at the mouse cursor when a file is selected.
  void FileListBoxEx1ContextPopup(QObject* Sender, const QPoint& MousePos, bool& Handled);
  // Files dropped on the window: shows the first one's name in status panel 2, then loads it
  // (after QuerySaveChanges, like opening from the file list).
  void JvDragDrop1Drop(QObject* Sender, const QPoint& Pos, const QStringList& Value);
  // "Select Disk" or "Select File" on the open button, following "Direct Disk Access".
  void DDACheckClick(QObject* Sender);
  void DriveComboBoxEx1Change(QObject* Sender);
  // Information about the selected drive: nothing is shown yet.
  void DriveInformation();
  // Panel 0 toggles the read-only view, with its text and the "Save" button.
  void StatusBarPanelClick(QObject* Sender, int PanelIndex);
  // Saves the document, unless status panel 0 reads "Read Only".
  void SaveButtonClick(QObject* Sender);
  // "Exit" of the application menu: closes the window.
  void AdvPreviewMenu1Buttons0Click(QObject* Sender);
  // Asked before the window closes: a modified document is saved, discarded or kept open as
  // the user answers SaveChangesQuestion. A failed save keeps the window open.
  void FormCloseQuery(QObject* Sender, bool& CanClose);

  // View options.
  void TranslationSelectorChange(QObject* Sender);
  void UnicodeCheckClick(QObject* Sender);
  void UnicodeBigEndianClick(QObject* Sender);
  void DrawGridClick(QObject* Sender);
  void ShowRulerCheckClick(QObject* Sender);
  void FontSizeSelectorChange(QObject* Sender);
  void Hexadecimal1Click(QObject* Sender);
  void Decimal1Click(QObject* Sender);
  void Octal1Click(QObject* Sender);
  void TextSearchCheckClick(QObject* Sender);

  // Asks whether to save the changes to the named file before it is closed or replaced; answers
  // QMessageBox::Save, Discard or Cancel. Empty (the default): a standard question box.
  // Tests replace it to answer without a box.
  std::function<QMessageBox::StandardButton(const QString& FileName)> SaveChangesQuestion;

  // The stored layout of the window: component name -> that component's published values.
  static QJsonObject StoredLayout();
  // Reads a layout into the components it names; an unknown name raises Exception.
  void ReadLayout(const QJsonObject& layout);

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void CreateComponents();
  // Loads the file selected in the file list (nothing when none is).
  void OpenSelectedFile();
  QMessageBox::StandardButton AskSaveChanges(const QString& FileName);
  // Whether the document may be closed or replaced by another: an unmodified one may; for a
  // modified one the user saves it (a failed save raises), discards the changes or keeps it.
  bool QuerySaveChanges();
  void BindEvents();
};

// The main window of the program (set by the entry routine).
extern TVexaHex* VexaHex;

}  // namespace vexa
