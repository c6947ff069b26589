#include "utf8_text.h"

#include <QByteArray>

namespace io {

QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toUtf8(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return {utf8.constData(), static_cast<std::size_t>(utf8.size())};
}

std::optional<std::string> wholeUtf8(const QString& text) {
    std::string utf8 = toUtf8(text);
    return toQString(utf8) == text ? std::optional(std::move(utf8)) : std::nullopt;
}

}  // namespace io
