#include "app/WebAddress.h"

#include "app/QtText.h"

namespace vellmora {

std::optional<QUrl> WebAddress(const Text& link) {
    // The prefix is checked on the text as it stands: no trimming, so " http://x" is no address, and
    // "http:x" or "http:\\x" never reach the URL parser's guesses.
    const QString text = TextToQString(link);
    if (!text.startsWith(u"http://", Qt::CaseInsensitive) &&
        !text.startsWith(u"https://", Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    // Tolerant parsing keeps links whose escapes the page decoding has turned into spaces or Chinese
    // characters; the parser escapes them again.
    QUrl url(text, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty()) {
        return std::nullopt;
    }
    return url;
}

} // namespace vellmora
