#pragma once
// The control's message table.

#include <QString>

namespace vexa {

inline const QString msgDataBounds = QStringLiteral("Data position/length out of data bounds");
inline const QString msgCannotOpen = QStringLiteral("Cannot open %s.\r\n(%s.)");
inline const QString msgCancelled = QStringLiteral("Operation cancelled");
inline const QString msgSaveReadOnly = QStringLiteral("Cannot save readonly file %s.");
inline const QString msgNoFileName = QStringLiteral("No filename specified");
inline const QString msgDeleteBackup = QStringLiteral("Cannot delete previous backup %s. (%s)");
inline const QString msgCreateBackup = QStringLiteral("Cannot create backup %s. (%s)");
inline const QString msgUndoStorage = QStringLiteral("Cannot update undo storage");
inline const QString msgInvalidBytesPerLine = QStringLiteral("Invalid bytes per line argument");
inline const QString msgInvalidBytesPerColumn = QStringLiteral("Invalid bytes per column argument");
inline const QString msgUnitInUnicode = QStringLiteral("BytesPerUnit must be set to 2 in unicode mode");
inline const QString msgInvalidUnit = QStringLiteral("Invalid bytes per unit value %d, allowed: 1,2,4,8");
inline const QString msgOddUnicode = QStringLiteral("Cannot use unicode mode with odd-sized files");
inline const QString msgInvalidSelStart = QStringLiteral("Invalid selection start");
inline const QString msgInvalidSelEnd = QStringLiteral("Invalid selection end");
inline const QString msgCreateFile = QStringLiteral("Cannot create file \"%s\". %s");

}  // namespace vexa
