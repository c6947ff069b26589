// The line under the calculator's grid: where S/U rounded up exceeds the grid's Q, GB 55036-2022
// 10.0.3 sizes the configuration, and the window says so without moving a control.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "options.h"
#include "torva.h"

namespace {

// The case, the Op1 index of the fire class, the area typed, S/U as the line states it ("": no
// line) and the Op index of the building.
using RuleCase = std::tuple<const char*, std::int16_t, const char*, const char*, std::int16_t>;

const RuleCase kRules[] = {
    {"A_medium_K09_1000", ui::op1::kClassA, "1000", "14A", ui::op::kAboveGround},
    {"B_medium_K09_1000", ui::op1::kClassB, "1000", "1000B", ui::op::kAboveGround},
    {"Q_governs_underground", ui::op1::kClassA, "1000", "", ui::op::kEntertainment},
    {"partly_read_area", ui::op1::kClassA, "1000abc", "", ui::op::kAboveGround},
};

class AreaRuleLine : public ::testing::TestWithParam<RuleCase> {};

TEST_P(AreaRuleLine, ShowsWhereSOverUGoverns) {
    const auto& [name, fireClass, area, perUnit, building] = GetParam();
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    torva window;
    window.Form_Load();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect grid = window.fa->geometry();
    const QRect check = window.Check1->geometry();
    window.Op1.at(fireClass)->click();
    window.Op.at(building)->click();
    window.tx->setFocus();
    window.tx->selectAll();
    QTest::keyClicks(window.tx, QString::fromUtf8(area));
    QTest::keyClick(window.tx, Qt::Key_Tab);

    const QLabel* line = window.areaRuleLine;
    EXPECT_EQ(line->text(), *perUnit == '\0'
                                ? QString()
                                : QStringLiteral("按 GB 55036-2022 第10.0.3条，灭火级别"
                                                 "之和不应小于 S/U = %1，配置数量以计算书为准")
                                      .arg(QString::fromUtf8(perUnit)));
    // Under the grid, inside the window, and nothing else moved.
    EXPECT_GE(line->y(), grid.bottom());
    EXPECT_LE(line->geometry().bottom(), window.height());
    EXPECT_GE(window.width() - line->x(), line->fontMetrics().horizontalAdvance(line->text()));
    EXPECT_EQ(window.fa->geometry(), grid);
    EXPECT_EQ(window.Check1->geometry(), check);
}

INSTANTIATE_TEST_SUITE_P(Window, AreaRuleLine, ::testing::ValuesIn(kRules),
                         [](const auto& p) { return std::string(std::get<0>(p.param)); });

}  // namespace
