#pragma once
// The hex editor's colour set and the other types its painting uses: the caret kinds and the
// per-cell drawing hook.

#include <QObject>
#include <QRect>
#include <QString>
#include <functional>

#include "platform/Graphics.h"

namespace vexa {

class TCustomKorHexEditor;

// Shape of the system caret: the whole character cell, a 2-pixel bar on the left, a 2-pixel
// bar at the bottom, or chosen from the view state (bottom bar for a read-only view, left bar
// while the insert flag is set, else the whole cell).
enum TKorHCaretKind { ckFull, ckLeft, ckBottom, ckAuto };

// Called for every cell the painter draws with text, before anything of it is drawn. ACanvas
// holds the cell's brush, text and text background colours; AWideText the text to be drawn
// (the handler may change it); ARect the whole cell in the offset column and the first
// CharWidth pixels elsewhere. ADefaultDraw := false leaves the cell's background and text
// undrawn.
using TKorHDrawCellEvent = std::function<void(TCustomKorHexEditor* Sender, TCanvas* ACanvas, int ACol, int ARow,
                                              QString& AWideText, const QRect& ARect, bool& ADefaultDraw)>;

// The thirteen colours of the control. A colour is a TColor: 00BBGGRRh or a system colour,
// resolved when drawn. Each setter stores a new value and repaints the owning control; the
// Background setter also makes it the control's own colour.
class TKorHColors : public QObject {
  Q_OBJECT
  Q_PROPERTY(int Background READ Background WRITE SetBackground)
  Q_PROPERTY(int ChangedBackground READ ChangedBackground WRITE SetChangedBackground)
  Q_PROPERTY(int ChangedText READ ChangedText WRITE SetChangedText)
  Q_PROPERTY(int CursorFrame READ CursorFrame WRITE SetCursorFrame)
  Q_PROPERTY(int Offset READ Offset WRITE SetOffset)
  Q_PROPERTY(int OddColumn READ OddColumn WRITE SetOddColumn)
  Q_PROPERTY(int EvenColumn READ EvenColumn WRITE SetEvenColumn)
  Q_PROPERTY(int CurrentOffsetBackground READ CurrentOffsetBackground WRITE SetCurrentOffsetBackground)
  Q_PROPERTY(int OffsetBackGround READ OffsetBackGround WRITE SetOffsetBackGround)
  Q_PROPERTY(int CurrentOffset READ CurrentOffset WRITE SetCurrentOffset)
  Q_PROPERTY(int Grid READ Grid WRITE SetGrid)
  Q_PROPERTY(int NonFocusCursorFrame READ NonFocusCursorFrame WRITE SetNonFocusCursorFrame)
  Q_PROPERTY(int ActiveFieldBackground READ ActiveFieldBackground WRITE SetActiveFieldBackground)

public:
  // The owner (may be null) is repainted after every change; it is not owned.
  explicit TKorHColors(TCustomKorHexEditor* Owner = nullptr);

  TCustomKorHexEditor* Owner() const { return FOwner; }

  TColor Background() const { return FBackground; }
  void SetBackground(TColor value);
  TColor ChangedBackground() const { return FChangedBackground; }
  void SetChangedBackground(TColor value);
  TColor ChangedText() const { return FChangedText; }
  void SetChangedText(TColor value);
  TColor CursorFrame() const { return FCursorFrame; }
  void SetCursorFrame(TColor value);
  TColor Offset() const { return FOffset; }
  void SetOffset(TColor value);
  TColor OddColumn() const { return FOddColumn; }
  void SetOddColumn(TColor value);
  TColor EvenColumn() const { return FEvenColumn; }
  void SetEvenColumn(TColor value);
  TColor CurrentOffsetBackground() const { return FCurrentOffsetBackground; }
  void SetCurrentOffsetBackground(TColor value);
  TColor OffsetBackGround() const { return FOffsetBackGround; }
  void SetOffsetBackGround(TColor value);
  TColor CurrentOffset() const { return FCurrentOffset; }
  void SetCurrentOffset(TColor value);
  TColor Grid() const { return FGrid; }
  void SetGrid(TColor value);
  TColor NonFocusCursorFrame() const { return FNonFocusCursorFrame; }
  void SetNonFocusCursorFrame(TColor value);
  TColor ActiveFieldBackground() const { return FActiveFieldBackground; }
  void SetActiveFieldBackground(TColor value);

  // Copies all thirteen colours (through the setters) from another colour set; any other
  // source, or none, is ignored.
  virtual void Assign(const QObject* Source);

  // Fired after a colour changed, once the owner has been asked to repaint.
  std::function<void(TKorHColors* Sender)> OnChange;

private:
  void Set(TColor& field, TColor value);
  void Changed();

  TCustomKorHexEditor* FOwner;
  TColor FBackground = clWindow;
  TColor FChangedBackground = 0xA8FFFF;
  TColor FChangedText = clMaroon;
  TColor FCursorFrame = clNavy;
  TColor FOffset = clBlack;
  TColor FOddColumn = clBlue;
  TColor FEvenColumn = clNavy;
  TColor FCurrentOffsetBackground = clBtnShadow;
  TColor FOffsetBackGround = clBtnFace;
  TColor FCurrentOffset = clBtnHighlight;
  TColor FGrid = clBtnFace;
  TColor FNonFocusCursorFrame = clAqua;
  TColor FActiveFieldBackground = clWindow;
};

}  // namespace vexa
