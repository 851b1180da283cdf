#pragma once
// Types shared by the control's parts and its users.

#include <QString>
#include <cstdint>
#include <functional>

namespace vexa {

class TCustomKorHexEditor;

enum TKorHProgressKind { pkLoad, pkSave, pkFind };

// Sender, ProgressType, aName, Percent (0..100), Cancel (false on entry).
using TKorHProgressEvent =
    std::function<void(TCustomKorHexEditor* Sender, TKorHProgressKind ProgressType, const QString& aName,
                       uint8_t Percent, bool& Cancel)>;

using TNotifyEvent = std::function<void(TCustomKorHexEditor* Sender)>;

// Kinds of undo records; also the kinds of edit EditAllowed is asked about.
enum TKorHUndoRecordKind {
  rkChangeBytes,
  rkRemove,
  rkInsert,
  rkReplace,
  rkAppend,
  rkInsertNibble,
  rkDeleteNibble,
  rkConvert,
  rkCursorMove,
  rkGroup,
  rkAllData
};

// Private window messages of the control.
constexpr uint32_t WM_KORH_CARETPOS = 0xB100;       // word parameter 7: re-place the caret
constexpr uint32_t WM_KORH_SELECTIONCHANGED = 0xB101;  // deliver the coalesced OnSelectionChanged

}  // namespace vexa
