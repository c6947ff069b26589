#include "area_input.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(AreaInput, FullWidthFormsBecomeAsciiAndInvisibleCharactersGo) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"１０００", u"1000"},    {u"１２．５", u"12.5"},   {u"－１Ｅ３", u"-1E3"},
        {u"＋５　ｍ２", u"+5 m2"}, {u"\u00A01000", u"1000"},  // no-break space
        {u"\u200B1000", u"1000"},                             // zero-width space
        {u"\u200E1000", u"1000"},                             // left-to-right mark
        {u"1\u202F000", u"1000"},  // narrow no-break space between groups
        {u"１，０００", u"1,000"}, {u"平方米", u"平方米"},
    };
    for (const auto& [typed, shown] : cases) {
        EXPECT_EQ(normalizedArea(QString::fromUtf16(typed)), QString::fromUtf16(shown))
            << QString::fromUtf16(typed).toStdString();
    }
}

TEST(AreaInput, TellsHowAPartlyReadAreaIsRead) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"1,000", "按 1 m² 计算：只有开头的“1”是数字"}, {"0x10", "按 0 m² 计算：只有开头的“0”是数字"},
        {"12.5.3", "按 12.5 m² 计算：只有开头的“12.5”是数字"}, {"1 000x", "按 1000 m² 计算：只有开头的“1 000”是数字"},
        {"abc", "不是数字，按 0 m² 计算"}, {"NaN", "不是数字，按 0 m² 计算"},
        {"inf", "不是数字，按 0 m² 计算"}, {"-", "不是数字，按 0 m² 计算"},
        {"1000", ""}, {" 1000 ", ""}, {"1000m2", ""}, {"1000 m²", ""}, {"1000㎡", ""}, {"1000平方米", ""},
        {"1E400", ""},  // the grid says the area is out of range
        {"", ""}, {"   ", ""},
    };
    // clang-format on
    for (const auto& [text, note] : cases) {
        EXPECT_EQ(areaReadingNote(QString::fromUtf8(text)), QString::fromUtf8(note)) << text;
    }
}

}  // namespace
}  // namespace ui
