#include "app/QtText.h"

#include "text/CodePage.h"

#include <string>

namespace vellmora {

QString TextToQString(const Text& t) {
    std::u16string units = WideUnits(AnsiToWide(t, kCodePageGbk));
    if (!units.empty()) {
        units.pop_back(); // the terminator
    }
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

Text QStringToText(const QString& s) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(s.utf16()),
                                    static_cast<std::size_t>(s.size()));
    return WideToMultiByte(WideBytes(units), kCodePageAnsi);
}

} // namespace vellmora
