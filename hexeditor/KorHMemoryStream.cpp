#include "hexeditor/KorHMemoryStream.h"

#include <cstring>

#include "hexeditor/KorHexEditorError.h"
#include "hexeditor/Messages.h"

namespace vexa {

void TKorHMemoryStream::CheckPosition(int32_t pos) {
  if (pos < 0 || pos > Size()) throw EKorHexEditor(msgDataBounds);
}

uint8_t* TKorHMemoryStream::AddressOf(int32_t pos, int32_t count) {
  if (pos < 0 || count < 0 || int64_t(pos) + count > Size()) throw EKorHexEditor(msgDataBounds);
  return Memory() + pos;
}

void TKorHMemoryStream::MoveBytes(int32_t from, int32_t to, int32_t count) {
  if (count > 0) std::memmove(Memory() + to, Memory() + from, static_cast<size_t>(count));
}

void TKorHMemoryStream::WriteAt(const void* buffer, int32_t pos, int32_t count) {
  CheckPosition(pos + count);
  const int64_t saved = Position();
  try {
    Seek(pos, soBeginning);
    WriteBuffer(buffer, count);
  } catch (...) {
    Seek(saved, soBeginning);
    throw;
  }
  Seek(saved, soBeginning);
}

}  // namespace vexa
