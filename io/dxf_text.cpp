#include "dxf_text.h"

#include <optional>

#include "code_page.h"

namespace io {

namespace {

// The value of the four hexadecimal digits at `at`, none where they are not all there.
std::optional<char16_t> hexAt(QStringView text, qsizetype at) {
    if (at + 4 > text.size()) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (qsizetype i = at; i < at + 4; ++i) {
        const char16_t c = text[i].unicode();
        unsigned digit = 0;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10U;
        } else if (c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10U;
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return static_cast<char16_t>(value);
}

// The code page of \M+n.
int asianCodePage(QChar n) {
    switch (n.unicode()) {
        case u'1':
            return 932;
        case u'2':
            return 950;
        case u'3':
            return 949;
        case u'4':
            return 1361;
        case u'5':
            return kGbkCodePage;
        default:
            return 0;
    }
}

// At text[at] == '\\': a \U+XXXX or \M+nXXXX code, appended to `out`; the length read, 0 when
// there is none.
qsizetype unicodeCode(QStringView text, qsizetype at, QString& out) {
    if (at + 2 >= text.size() || text[at + 2] != u'+') {
        return 0;
    }
    const QChar kind = text[at + 1];
    if (kind == u'U' || kind == u'u') {
        if (const auto unit = hexAt(text, at + 3)) {
            out += QChar(*unit);
            return 7;
        }
    } else if (kind == u'M' || kind == u'm') {
        const int codePage = at + 3 < text.size() ? asianCodePage(text[at + 3]) : 0;
        if (const auto pair = hexAt(text, at + 4); pair && codePage != 0) {
            const char bytes[] = {static_cast<char>(*pair >> 8), static_cast<char>(*pair & 0xFF)};
            out += decodeCodePage(QByteArrayView(bytes, 2), codePage);
            return 8;
        }
    }
    return 0;
}

// At text[at] == '%' : a %% code, appended to `out`; the length read, 0 when there is none.
qsizetype percentCode(QStringView text, qsizetype at, QString& out) {
    if (at + 2 >= text.size() || text[at + 1] != u'%') {
        return 0;
    }
    switch (text[at + 2].toLower().unicode()) {
        case u'c':
            out += QChar(0x2300);  // ⌀
            return 3;
        case u'd':
            out += QChar(0x00B0);  // °
            return 3;
        case u'p':
            out += QChar(0x00B1);  // ±
            return 3;
        case u'%':
            out += u'%';
            return 3;
        case u'u':
        case u'o':
        case u'k':
            return 3;
        default:
            break;
    }
    qsizetype end = at + 2;
    while (end < text.size() && end < at + 5 && text[end].isDigit() && text[end].unicode() < 0x80) {
        ++end;
    }
    if (end == at + 5) {
        out += QChar(static_cast<char16_t>(text.mid(at + 2, 3).toUInt()));
        return 5;
    }
    return 0;
}

// The stack \Sa^b; from text[at] (after "\S") to its ';' as "a b" or "a/b"; the length read.
qsizetype stack(QStringView text, qsizetype at, QString& out) {
    QString parts[2];
    QChar divider;
    qsizetype i = at;
    for (; i < text.size() && text[i] != u';'; ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            parts[divider.isNull() ? 0 : 1] += text[++i];
        } else if (divider.isNull() && (c == u'^' || c == u'/' || c == u'#')) {
            divider = c;
        } else {
            parts[divider.isNull() ? 0 : 1] += c;
        }
    }
    out += parts[0];
    if (!parts[0].isEmpty() && !parts[1].isEmpty()) {
        out += divider == u'^' ? u' ' : u'/';
    }
    out += parts[1];
    return (i < text.size() ? i + 1 : i) - at;
}

}  // namespace

QString withUnicodeCodes(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'\\') {
            if (const qsizetype read = unicodeCode(text, i, out)) {
                i += read;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

QString plainText(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        qsizetype read = 0;
        if (text[i] == u'\\') {
            read = unicodeCode(text, i, out);
        } else if (text[i] == u'%') {
            read = percentCode(text, i, out);
        }
        if (read > 0) {
            i += read;
        } else {
            out += text[i++];
        }
    }
    return out;
}

QString plainMText(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    // Skips from text[from] to the ';' that ends a code's value, or to the end.
    const auto toSemicolon = [&](qsizetype from) {
        const qsizetype end = text.indexOf(u';', from);
        return end < 0 ? text.size() : end + 1;
    };
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'{' || c == u'}') {
            ++i;
            continue;
        }
        if (c == u'%') {
            if (const qsizetype read = percentCode(text, i, out)) {
                i += read;
                continue;
            }
        }
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            ++i;
            continue;
        }
        if (const qsizetype read = unicodeCode(text, i, out)) {
            i += read;
            continue;
        }
        const QChar code = text[i + 1];
        switch (code.unicode()) {
            case u'P':
            case u'X':
            case u'N':
                out += u'\n';
                i += 2;
                break;
            case u'~':
                out += QChar(0x00A0);
                i += 2;
                break;
            case u'\\':
            case u'{':
            case u'}':
                out += code;
                i += 2;
                break;
            case u'f':
            case u'F':
            case u'H':
            case u'W':
            case u'Q':
            case u'T':
            case u'A':
            case u'C':
            case u'c':
            case u'p':
                i = toSemicolon(i + 2);
                break;
            case u'L':
            case u'l':
            case u'O':
            case u'o':
            case u'K':
            case u'k':
                i += 2;
                break;
            case u'S':
                i += 2 + stack(text, i + 2, out);
                break;
            default:
                // No code: the backslash stands for itself.
                out += c;
                ++i;
                break;
        }
    }
    return out;
}

}  // namespace io
