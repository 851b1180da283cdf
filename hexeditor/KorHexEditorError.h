#pragma once
// The control's own exception class and its message table.

#include "platform/SysUtils.h"

namespace vexa {

class EKorHexEditor : public Exception {
public:
  using Exception::Exception;
};

}  // namespace vexa
