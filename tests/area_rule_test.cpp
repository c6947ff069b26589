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

struct RuleCase {
    const char* name;
    std::int16_t fireClass;  // an Op1 index
    const char* area;
    const char* line;                                // "" where no line shows
    std::int16_t building = core::op::kAboveGround;  // an Op index
};

const RuleCase kRules[] = {
    {"A_medium_K09_1000", core::op1::kClassA, "1000",
     "按 GB 55036-2022 第10.0.3条，灭火级别之和不应小于 S/U = 14A，配置数量以计算书为准"},
    {"A_medium_K09_1500", core::op1::kClassA, "1500",
     "按 GB 55036-2022 第10.0.3条，灭火级别之和不应小于 S/U = 20A，配置数量以计算书为准"},
    {"B_medium_K09_1000", core::op1::kClassB, "1000",
     "按 GB 55036-2022 第10.0.3条，灭火级别之和不应小于 S/U = 1000B，配置数量以计算书为准"},
    {"Q_governs_underground", core::op1::kClassA, "1000", "", core::op::kEntertainment},
    {"zero_area", core::op1::kClassA, "0", ""},
    {"partly_read_area", core::op1::kClassA, "1000abc", ""},
};

class AreaRuleLine : public ::testing::TestWithParam<RuleCase> {};

TEST_P(AreaRuleLine, ShowsWhereSOverUGoverns) {
    const RuleCase& c = GetParam();
    QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    torva window;
    window.Form_Load();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect grid = window.fa->geometry();
    const QRect check = window.Check1->geometry();

    window.Op1.at(c.fireClass)->click();
    window.Op.at(c.building)->click();
    window.tx->setFocus();
    window.tx->selectAll();
    QTest::keyClicks(window.tx, QString::fromUtf8(c.area));
    QTest::keyClick(window.tx, Qt::Key_Tab);

    EXPECT_EQ(window.areaRuleLine->text(), QString::fromUtf8(c.line));
    EXPECT_EQ(window.areaRuleLine->palette().color(QPalette::Window) == QColor(255, 236, 179),
              *c.line != '\0');
    // Under the grid, inside the window, and nothing else moved.
    EXPECT_GE(window.areaRuleLine->y(), grid.bottom());
    EXPECT_LE(window.areaRuleLine->geometry().bottom(), window.height());
    EXPECT_GE(window.width() - window.areaRuleLine->x(),
              window.areaRuleLine->fontMetrics().horizontalAdvance(window.areaRuleLine->text()));
    EXPECT_EQ(window.fa->geometry(), grid);
    EXPECT_EQ(window.Check1->geometry(), check);
}

INSTANTIATE_TEST_SUITE_P(Window, AreaRuleLine, ::testing::ValuesIn(kRules),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
