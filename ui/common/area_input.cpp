#include "area_input.h"

#include <QLocale>
#include <QStringList>

#include "number_text.h"

namespace ui {

namespace {

constexpr char16_t kFirstFullWidth = u'\uFF01';
constexpr char16_t kLastFullWidth = u'\uFF5E';
constexpr char16_t kFullWidthOffset = 0xFEE0;  // from a full-width form to its ASCII character
constexpr char16_t kIdeographicSpace = u'\u3000';

}  // namespace

QString normalizedArea(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= kFirstFullWidth && u <= kLastFullWidth) {
            out += QChar(static_cast<char16_t>(u - kFullWidthOffset));
        } else if (u == kIdeographicSpace) {
            out += QLatin1Char(' ');
        } else if (c.category() == QChar::Other_Format ||
                   (c.category() == QChar::Separator_Space && u != u' ')) {
            continue;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

core::LeadingNumber leadingNumberOf(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return core::readLeadingNumber(
        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

// What a partly read area means where only a whole number will do: the box's `subject`, what
// of it was read, and the `consequence`. Empty when areaReadingNote is.
QString partReadingText(const QString& text, const QString& subject, const QString& consequence) {
    if (areaReadingNote(text).isEmpty()) {
        return {};
    }
    const auto length = static_cast<qsizetype>(leadingNumberOf(text).length);
    if (length == 0) {
        return subject + QStringLiteral("不是数字，") + consequence;
    }
    return subject + QStringLiteral("只有开头的“%1”是数字，").arg(text.left(length).trimmed()) +
           consequence;
}

}  // namespace

QString areaReadingNote(const QString& text) {
    if (text.trimmed().isEmpty()) {
        return {};
    }
    const core::LeadingNumber reading = leadingNumberOf(text);
    if (reading.length == 0) {
        return QStringLiteral("不是数字，按 0 m² 计算");
    }
    // The number is read from ASCII characters only, so its length in bytes is its length here.
    const auto length = static_cast<qsizetype>(reading.length);
    const QString rest = text.mid(length).trimmed();
    const QStringList units = {QStringLiteral("m2"), QStringLiteral("m²"), QStringLiteral("㎡"),
                               QStringLiteral("平方米")};
    if (rest.isEmpty() || units.contains(rest) || !reading.value) {
        return {};
    }
    return QStringLiteral("按 %1 m² 计算：只有开头的“%2”是数字")
        .arg(QLocale::c().toString(*reading.value, 'g', 15), text.left(length).trimmed());
}

QString areaRefusal(const QString& text) {
    return partReadingText(text, QStringLiteral("保护面积"), QStringLiteral("此值不被采用"));
}

QString areaSheetWarning(const QString& text) {
    return partReadingText(text, QStringLiteral("建筑面积"),
                           QStringLiteral("请改正后再编制计算书"));
}

}  // namespace ui
