#pragma once
// The document buffer: one contiguous, growable block with checked access.

#include <cstdint>

#include "platform/Classes.h"

namespace vexa {

class TKorHMemoryStream : public TMemoryStream {
public:
  // Raises EKorHexEditor "Data position/length out of data bounds" unless 0 <= pos <= size.
  void CheckPosition(int32_t pos);
  // Address of byte pos after checking that pos .. pos + count lies inside the data.
  uint8_t* AddressOf(int32_t pos, int32_t count);
  uint8_t* RawPointer(int32_t pos) { return Memory() + pos; }
  // Copies count bytes from `from` to `to` inside the buffer; the ranges may overlap.
  void MoveBytes(int32_t from, int32_t to, int32_t count);
  // Writes count bytes at pos (growing the buffer when needed) and keeps the stream position.
  void WriteAt(const void* buffer, int32_t pos, int32_t count);
};

}  // namespace vexa
