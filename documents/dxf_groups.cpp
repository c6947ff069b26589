#include "dxf_groups.h"

#include <QString>
#include <array>
#include <charconv>
#include <cmath>

#include "code_page.h"

namespace documents {

QByteArray dxfReal(double value) {
    if (!std::isfinite(value)) {
        value = 0;
    }
    std::array<char, 400> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                      std::chars_format::fixed, 9);
    QByteArray text(digits.data(), result.ptr - digits.data());
    while (text.endsWith('0') && !text.endsWith(".0")) {
        text.chop(1);
    }
    return text == "-0.0" ? QByteArrayLiteral("0.0") : text;
}

QByteArray dxfHandle(std::uint32_t handle) {
    return QByteArray::number(handle, 16).toUpper();
}

void DxfGroups::value(int code, QByteArrayView value) {
    const QByteArray number = QByteArray::number(code);
    bytes_ += QByteArray(std::max<qsizetype>(0, 3 - number.size()), ' ') + number + '\n';
    bytes_ += value;
    bytes_ += '\n';
}

void DxfGroups::add(int code, std::string_view ascii) {
    value(code, QByteArrayView(ascii.data(), static_cast<qsizetype>(ascii.size())));
}

void DxfGroups::text(int code, QStringView text) {
    QString plain = text.toString();
    for (QChar& c : plain) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            c = u' ';
        }
    }
    QByteArray bytes = io::encodeCodePage(plain, codePage_);
    while (bytes.size() > kMaxDxfTextBytes) {
        plain.chop(plain.size() > 1 && plain.back().isLowSurrogate() ? 2 : 1);
        bytes = io::encodeCodePage(plain, codePage_);
    }
    value(code, bytes);
}

void DxfGroups::integer(int code, std::int64_t value) {
    this->value(code, QByteArray::number(static_cast<qlonglong>(value)));
}

void DxfGroups::real(int code, double value) {
    this->value(code, dxfReal(value));
}

void DxfGroups::point(double x, double y, int code, bool z) {
    real(code, x);
    real(code + 10, y);
    if (z) {
        real(code + 20, 0);
    }
}

void DxfGroups::handle(int code, std::uint32_t handle) {
    value(code, dxfHandle(handle));
}

}  // namespace documents
