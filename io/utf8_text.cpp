#include "utf8_text.h"

#include <QByteArray>

namespace io {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

std::optional<std::string> wholeUtf8(const QString& text) {
    std::string whole = utf8(text);
    return qs(whole) == text ? std::optional(std::move(whole)) : std::nullopt;
}

}  // namespace io
