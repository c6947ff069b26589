#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text in a Windows code page (the drawings of CAD programs before 2007 keep their texts in the
// code page that $DWGCODEPAGE names), decoded the same way on every system: through ICU where Qt
// has it, through Windows itself on Windows, whose Qt is built without ICU.
namespace io {

inline constexpr int kGbkCodePage = 936;

// The text of `bytes` in the Windows code page `codePage` (936 GBK, 950 Big5, 949 Korean, 932
// Japanese, 1361 Johab, 1250 to 1258, 874). A byte sequence that the code page does not define
// (also one cut short at the end, or one that it maps to a private-use character) becomes U+FFFD;
// so does every byte above 0x7F of a code page the system cannot decode.
[[nodiscard]] QString decodeCodePage(QByteArrayView bytes, int codePage);
// The text in the code page, as decodeCodePage() reads it back: each character that the code page
// cannot hold (one outside the Basic Multilingual Plane among them) becomes '?'.
[[nodiscard]] QByteArray encodeCodePage(QStringView text, int codePage);

// The code page that a $DWGCODEPAGE value names ("ANSI_936" → 936, also "GB2312", "BIG5",
// "KSC5601", "JOHAB", "DOS932"); GBK for one it does not name: the drawings that omit it or name
// a code page of their own are most likely from Chinese programs.
[[nodiscard]] int codePageOfDrawing(QStringView dwgCodePage);

}  // namespace io
