#pragma once

#include <QString>

// The floor-area box's text as typed, and how the calculation reads it.
namespace ui {

// The area as a Chinese input method in full-width mode types it, or as it comes pasted: the
// full-width ASCII forms ("１０００", "．", "－", "＋", "Ｅ") become their ASCII forms, the
// full-width space a blank, and invisible characters (format characters such as a zero-width
// space or a direction mark, no-break and other special spaces) are dropped.
[[nodiscard]] QString normalizedArea(const QString& text);

// Says how the area is read when the reading stops before the end of the text, other than at
// trailing blanks or a trailing unit ("m2", "m²", "㎡", "平方米"): "按 1 m²
// 计算：只有开头的“1”是数字" or "不是数字，按 0 m² 计算". Empty when the whole text is read, and
// for an empty box.
[[nodiscard]] QString areaReadingNote(const QString& text);

// Why an area box that takes only a whole number refuses the text (the project's table): "保护面积
// 只有开头的“1”是数字，此值不被采用", "保护面积不是数字，此值不被采用". Empty when areaReadingNote
// is.
[[nodiscard]] QString areaRefusal(const QString& text);
// Why a calculation sheet cannot be made while the area is only partly read ("建筑面积只有开头的
// “1”是数字，请改正后再编制计算书"); empty when areaReadingNote is.
[[nodiscard]] QString areaSheetWarning(const QString& text);

}  // namespace ui
