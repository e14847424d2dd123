#include "app/QtText.h"

#include "text/CodePage.h"

#include <string>

namespace vellmora {

QString TextToQString(const Text& t) {
    const std::u16string units = GbkUnits(t);
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

Text QStringToText(const QString& s) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(s.utf16()),
                                    static_cast<std::size_t>(s.size()));
    return WideToMultiByte(WideBytes(units), kCodePageAnsi);
}

} // namespace vellmora
