// The Windows helpers of base/ that the tool's Windows files share, by
// their short names: one place for what each would otherwise declare.
#pragma once

#include "base/handle.h"
#include "base/system_message.h"
#include "base/text_encoding.h"

namespace fsum {

using corvane::SystemMessage;
using corvane::UniqueHandle;
using corvane::Utf8;
using corvane::Wide;

}  // namespace fsum
