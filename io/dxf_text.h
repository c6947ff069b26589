#pragma once

#include <QString>
#include <QStringView>

// The texts of a DXF drawing as they read: the codes that CAD programs write into a string for
// what its code page cannot hold or its font draws as symbols, and the formatting of multi-line
// text, taken out.
namespace io {

// A name (of a layer, say): \U+XXXX as that UTF-16 code unit, \M+nXXXX as the two bytes XXXX in
// the Asian code page n (1 Japanese 932, 2 Big5 950, 3 Korean 949, 4 Johab 1361, 5 GBK 936). An
// incomplete code stays as written.
[[nodiscard]] QString withUnicodeCodes(QStringView text);

// A single-line text (TEXT): the codes of withUnicodeCodes(), and %%c as ⌀, %%d as °, %%p as ±,
// %%% as %, %%nnn as the character nnn; the underline, overline and strike-through switches
// (%%u, %%o, %%k) taken out.
[[nodiscard]] QString plainText(QStringView text);

// A multi-line text (MTEXT) without its formatting: \P (and \X, \N) as a line break, \~ as a
// no-break space, \\ \{ \} as the character, {} groups opened, the codes with a value up to ';'
// (\f \F \H \W \Q \T \A \C \c \p) and the switches \L \l \O \o \K \k taken out, a stack \Sa^b;
// as "a b" (\Sa/b; and \Sa#b; as "a/b"); also the codes of plainText().
[[nodiscard]] QString plainMText(QStringView text);

}  // namespace io
