#pragma once
// The main window: a ribbon of view options, a pager with the file browser and the editor
// page holding the hex editor control, and a status bar.

#include <QJsonObject>
#include <QString>
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

  // The stored layout of the window: component name -> that component's published values.
  static QJsonObject StoredLayout();
  // Reads a layout into the components it names; an unknown name raises Exception.
  void ReadLayout(const QJsonObject& layout);

private:
  void CreateComponents();
  void BindEvents();
};

// The main window of the program (set by the entry routine).
extern TVexaHex* VexaHex;

}  // namespace vexa
