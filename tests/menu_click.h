#pragma once
// A menu's item chosen as a user chooses it, for the window tests.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

namespace tests {

// Opens the menu as the menu bar does (unless a right click has opened it already) and clicks the
// item whose text, without its & mark, starts with `text`; the menu closes.
inline void clickMenuItem(QMenu* menu, const QString& text) {
    QAction* item = nullptr;
    for (QAction* action : menu->actions()) {
        item = action->text().remove(u'&').startsWith(text) ? action : item;
    }
    ASSERT_NE(item, nullptr) << text.toStdString();
    if (!menu->isVisible()) {
        menu->popup(QPoint(0, 0));
    }
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    QCoreApplication::processEvents();
    EXPECT_FALSE(menu->isVisible());
}

}  // namespace tests
