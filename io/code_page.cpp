#include "code_page.h"

#include <QtGlobal>
#include <algorithm>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <QStringDecoder>
#include <QStringEncoder>
#endif

namespace io {

namespace {

bool isAscii(QByteArrayView bytes) {
    return std::ranges::all_of(bytes, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The code pages' own marks of a byte they do not define: SUB, or a private-use character.
bool isUndefinedMark(QChar c) {
    return c.unicode() == 0x1A || (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF);
}

#ifdef Q_OS_WIN

QString systemDecode(const QByteArray& bytes, int codePage) {
    const int length = MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.constData(),
                                           static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) {
        return {};
    }
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes.constData(),
                        static_cast<int>(bytes.size()), reinterpret_cast<wchar_t*>(text.data()),
                        length);
    return text;
}

QByteArray systemEncode(QStringView text, int codePage) {
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = WideCharToMultiByte(static_cast<UINT>(codePage), WC_NO_BEST_FIT_CHARS, wide,
                                           static_cast<int>(text.size()), nullptr, 0, "?", nullptr);
    if (length <= 0) {
        return {};
    }
    QByteArray bytes(length, Qt::Uninitialized);
    WideCharToMultiByte(static_cast<UINT>(codePage), WC_NO_BEST_FIT_CHARS, wide,
                        static_cast<int>(text.size()), bytes.data(), length, "?", nullptr);
    return bytes;
}

#else

QByteArray codecName(int codePage) {
    return codePage == kGbkCodePage ? QByteArrayLiteral("GBK")
                                    : "windows-" + QByteArray::number(codePage);
}

QByteArray systemEncode(QStringView text, int codePage) {
    QStringEncoder encoder(codecName(codePage).constData(), QStringEncoder::Flag::Stateless);
    if (!encoder.isValid()) {
        return {};
    }
    return encoder.encode(text);
}

QString systemDecode(const QByteArray& bytes, int codePage) {
    QStringDecoder decoder(codecName(codePage).constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) {
        return {};
    }
    return decoder.decode(bytes);
}

#endif

}  // namespace

QString decodeCodePage(QByteArrayView bytes, int codePage) {
    if (isAscii(bytes)) {
        return QString::fromLatin1(bytes);
    }
    // A line feed after the text ends a sequence cut short, which the decoders would otherwise
    // keep waiting for and drop; it is no trailing byte of any of the code pages.
    QString text = systemDecode(bytes.toByteArray() + '\n', codePage);
    if (text.isEmpty()) {
        // The system cannot decode the code page: the ASCII characters alone.
        for (const char c : bytes) {
            text += static_cast<unsigned char>(c) < 0x80 ? QChar(c) : QChar::ReplacementCharacter;
        }
    } else if (text.endsWith(u'\n')) {
        text.chop(1);
    } else {
        // The line feed went with the sequence cut short, as one character that stands for both:
        // a replacement character, or on Windows the code page's default character ('?').
        text.back() = QChar::ReplacementCharacter;
    }
    std::replace_if(text.begin(), text.end(), isUndefinedMark, QChar::ReplacementCharacter);
    return text;
}

QByteArray encodeCodePage(QStringView text, int codePage) {
    const auto ascii = [](QChar c) { return c.unicode() < 0x80; };
    if (std::ranges::all_of(text, ascii)) {
        return text.toLatin1();
    }
    QByteArray whole = systemEncode(text, codePage);
    if (decodeCodePage(whole, codePage) == text) {
        return whole;
    }
    // Character by character, each one kept only where it reads back as itself: the systems
    // differ in what they put for one the code page lacks, and in whether they map it to a
    // character that looks like it.
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        const QStringView character = text.mid(i, length);
        i += length - 1;
        const QByteArray encoded =
            ascii(character.front()) ? character.toLatin1() : systemEncode(character, codePage);
        bytes += !encoded.isEmpty() && decodeCodePage(encoded, codePage) == character
                     ? encoded
                     : QByteArrayLiteral("?");
    }
    return bytes;
}

int codePageOfDrawing(QStringView dwgCodePage) {
    const QString name = dwgCodePage.trimmed().toString().toUpper();
    struct Named {
        const char* name;
        int codePage;
    };
    static constexpr Named kNamed[] = {
        {"GB2312", 936}, {"BIG5", 950}, {"KSC5601", 949}, {"JOHAB", 1361}, {"DOS932", 932}};
    for (const Named& named : kNamed) {
        if (name == QLatin1String(named.name)) {
            return named.codePage;
        }
    }
    if (name.startsWith(QLatin1String("ANSI_"))) {
        bool ok = false;
        const int number = name.mid(5).toInt(&ok);
        if (ok && ((number >= 1250 && number <= 1258) || number == 874 || number == 932 ||
                   number == 936 || number == 949 || number == 950 || number == 1361)) {
            return number;
        }
    }
    return kGbkCodePage;
}

}  // namespace io
