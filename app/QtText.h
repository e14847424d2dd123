// Text to and from Qt strings: GBK cells shown in widgets, the keyword box read back as GBK.
#pragma once

#include "text/Text.h"

#include <QString>

namespace vellmora {

/// t decoded as GBK for display; a byte that does not decode shows as "?".
[[nodiscard]] QString TextToQString(const Text& t);

/// s converted to GBK the way the code-page converter converts UTF-16, best fit and "?" included,
/// without the composite check; ends before the first zero code unit.
[[nodiscard]] Text QStringToText(const QString& s);

} // namespace vellmora
