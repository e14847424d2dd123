// Which result links a double-click may hand to the desktop: absolute web addresses, nothing else.
#pragma once

#include "text/Text.h"

#include <QUrl>

#include <optional>

namespace vellmora {

/// The address to open for link when it is an absolute http:// or https:// address (scheme in any
/// letter case) naming a host; nothing for any other text. A link comes from a web page, so anything
/// else (a local path, a network share, file:, javascript: or another scheme that a desktop handler
/// would act on) could make a double-click start a program or open a local file.
[[nodiscard]] std::optional<QUrl> WebAddress(const Text& link);

} // namespace vellmora
