// The ten bookmarks: setting, clearing and jumping, moving them with the data, the copy a
// redo step carries, and their glyphs in the offset column.

#include <QBuffer>
#include <QByteArray>
#include <QJsonValue>
#include <QPainter>
#include <algorithm>

#include "hexeditor/KorHexEditor.h"
#include "hexeditor/KorHexEditorEx.h"

// The glyph strip lives in the library's own resource file, which a static library has to
// register explicitly.
static void InitHexEditorResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(hexeditor);
    return true;
  }();
  (void)registered;
}

namespace vexa {

namespace {

const QString msgInvalidBookmarkIndex = QStringLiteral("Invalid bookmark index");
const QString msgInvalidBookmarkBitmap = QStringLiteral("Invalid bookmark bitmap (must be 10 x 200 px)");

constexpr int kGlyphSize = 10;
constexpr int kStripWidth = 200;
constexpr int kGlyphLeft = 3;

}  // namespace

// ---- the table ------------------------------------------------------------------------------

void TCustomKorHexEditor::SetBookmark(uint8_t Index, int32_t Position, bool InCharField) {
  if (Index >= BookmarkCount) throw EKorHexEditor(msgInvalidBookmarkIndex);
  TKorHBookmark& b = FBookmarks[Index];
  const bool same = b.Position == Position && b.InCharField == InCharField;
  b.Position = same ? -1 : Position;
  b.InCharField = InCharField;
  InvalidateBookmarkColumn();
  BookmarkChanged();
}

TCustomKorHexEditor::TKorHBookmark TCustomKorHexEditor::Bookmark(int Index) const {
  if (Index < 0 || Index >= BookmarkCount) throw EKorHexEditor(msgInvalidBookmarkIndex);
  return FBookmarks[Index];
}

bool TCustomKorHexEditor::GotoBookmark(int Index) {
  if (Index < 0 || Index >= BookmarkCount) return false;
  const TKorHBookmark b = FBookmarks[Index];
  if (b.Position < 0) return false;
  ResetSelection(true);
  if (b.Position > DataSize() || (b.Position == DataSize() && !InsertMode())) {
    SetBookmark(static_cast<uint8_t>(Index), -1, false);
    return false;
  }
  MoveCaretToPos(b.Position, b.InCharField);
  return true;
}

void TCustomKorHexEditor::BookmarkChanged() {
  if (OnBookmarkChanged) OnBookmarkChanged(this);
}

// ---- moving with the data -------------------------------------------------------------------

// A recorded change shifts before its bytes move, so an insertion's bookmarks may lie up to
// Delta beyond the current end: the limit is the length the change leaves. Bookmarks beyond
// that are cleared.
void TCustomKorHexEditor::ShiftBookmarks(int32_t From, int32_t Delta) {
  if (From < 0) return;
  const int64_t limit = int64_t(DataSize()) + std::max<int32_t>(Delta, 0);
  bool moved = false;
  for (TKorHBookmark& b : FBookmarks) {
    if (b.Position < 0 || b.Position < From) continue;
    moved = true;
    const int64_t to = int64_t(b.Position) + Delta;
    b.Position = to < 0 || to > limit ? -1 : static_cast<int32_t>(to);
  }
  if (!moved) return;
  InvalidateBookmarkColumn();
  BookmarkChanged();
}

std::vector<int32_t> TCustomKorHexEditor::BookmarkSnapshot() const {
  std::vector<int32_t> out;
  out.reserve(2 * BookmarkCount);
  for (const TKorHBookmark& b : FBookmarks) {
    out.push_back(b.Position);
    out.push_back(b.InCharField ? 1 : 0);
  }
  return out;
}

void TCustomKorHexEditor::RestoreBookmarkSnapshot(const std::vector<int32_t>& Positions) {
  // A copy of another shape is not a table of ours: the bookmarks stay as they are.
  if (Positions.size() != size_t(2 * BookmarkCount)) return;
  for (int i = 0; i < BookmarkCount; ++i) {
    FBookmarks[i].Position = std::max(Positions[2 * i], -1);
    FBookmarks[i].InCharField = Positions[2 * i + 1] != 0;
  }
  InvalidateBookmarkColumn();
  BookmarkChanged();
}

// ---- glyphs ---------------------------------------------------------------------------------

QImage TCustomKorHexEditor::BuiltInBookmarkBitmap() {
  InitHexEditorResources();
  QImage strip(QStringLiteral(":/hexeditor/BOOKMARKICONS"));
  if (strip.width() != kStripWidth || strip.height() != kGlyphSize) {
    // A build without the resource still shows plain glyphs rather than nothing.
    strip = QImage(kStripWidth, kGlyphSize, QImage::Format_RGB32);
    strip.fill(Qt::black);
  }
  return strip.convertToFormat(QImage::Format_RGB32);
}

std::vector<QImage> TCustomKorHexEditor::CutBookmarkImages(const QImage& Strip) {
  std::vector<QImage> images;
  const QRgb transparent = Strip.pixel(0, 0);
  for (int x = 0; x + kGlyphSize <= Strip.width(); x += kGlyphSize) {
    QImage glyph = Strip.copy(x, 0, kGlyphSize, kGlyphSize).convertToFormat(QImage::Format_ARGB32);
    for (int gy = 0; gy < kGlyphSize; ++gy) {
      auto* line = reinterpret_cast<QRgb*>(glyph.scanLine(gy));
      for (int gx = 0; gx < kGlyphSize; ++gx)
        if ((line[gx] & 0xFFFFFF) == (transparent & 0xFFFFFF)) line[gx] = 0;
    }
    images.push_back(std::move(glyph));
  }
  return images;
}

void TCustomKorHexEditor::SetBookmarkBitmap(const QImage* value) {
  if (value) {
    if (value->width() != kStripWidth || value->height() != kGlyphSize) throw EKorHexEditor(msgInvalidBookmarkBitmap);
    FBookmarkBitmap = value->convertToFormat(QImage::Format_RGB32);
  } else {
    FBookmarkBitmap = BuiltInBookmarkBitmap();
  }
  FCustomBookmarkBitmap = value != nullptr;
  BookmarkBitmapChanged();
}

void TCustomKorHexEditor::BookmarkBitmapChanged() {
  FBookmarkImages = CutBookmarkImages(FBookmarkBitmap);
  if (FWindowCreated) InvalidateBookmarkColumn();
}

// Glyphs are only ever drawn in the offset column.
void TCustomKorHexEditor::InvalidateBookmarkColumn() {
  const int gutterW = ColWidths(0);
  if (gutterW > 0) viewport()->update(QRect(0, 0, gutterW, viewport()->height()));
}

void TCustomKorHexEditor::DrawBookmarkGlyphs(int ARow, const QRect& ACell) {
  QPainter* painter = Canvas()->Painter();
  if (!painter || FBytesPerRow <= 0) return;
  const int32_t rowIndex = ARow - 2;
  const int x = ACell.left() + kGlyphLeft;
  const int y = ACell.top() + (ACell.height() - kGlyphSize) / 2;
  for (int i = 0; i < BookmarkCount; ++i) {
    const TKorHBookmark& b = FBookmarks[i];
    if (b.Position < 0 || b.Position / FBytesPerRow != rowIndex) continue;
    const size_t image = size_t(i + (b.InCharField ? BookmarkCount : 0));
    if (image < FBookmarkImages.size()) painter->drawImage(x, y, FBookmarkImages[image]);
  }
}

// ---- the strip in the stored layout ----------------------------------------------------------

void TKorHexEditorEx::DefineProperties(TFiler& filer) {
  TCustomKorHexEditor::DefineProperties(filer);
  filer.DefineProperty(
      QStringLiteral("BookmarkBitmap"),
      [this](const QJsonValue& v) {
        if (!v.isString()) throw EKorHexEditor(msgInvalidBookmarkBitmap);
        SetBookmarkBitmapText(v.toString());
      },
      [this] { return QJsonValue(BookmarkBitmapText()); }, HasCustomBookmarkBitmap());
}

QString TKorHexEditorEx::BookmarkBitmapText() const {
  if (!HasCustomBookmarkBitmap()) return QString();
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  BookmarkBitmap().save(&buffer, "PNG");
  return QString::fromLatin1(png.toBase64());
}

void TKorHexEditorEx::SetBookmarkBitmapText(const QString& value) {
  if (value.isEmpty()) {
    SetBookmarkBitmap(nullptr);
    return;
  }
  const QByteArray data = QByteArray::fromBase64(value.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
  QImage strip;
  if (data.isEmpty() || !strip.loadFromData(data, "PNG")) throw EKorHexEditor(msgInvalidBookmarkBitmap);
  SetBookmarkBitmap(&strip);
}

}  // namespace vexa
