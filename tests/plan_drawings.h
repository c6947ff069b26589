#pragma once
// The floor plans that make_plans.py writes at build time into PLAN_DRAWINGS, and expected.json,
// what the script put into each of them.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace tests {

inline QString planPath(const QString& name) {
    return QStringLiteral(PLAN_DRAWINGS "/") + name;
}

// What the script wrote into the drawing `name`.
inline QJsonObject expectedPlan(const QString& name) {
    static const QJsonObject all = [] {
        QFile file(planPath(QStringLiteral("expected.json")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(file.readAll()).object();
    }();
    EXPECT_TRUE(all.contains(name)) << name.toStdString();
    return all.value(name).toObject();
}

// The drawings that the script describes.
inline const char* const kPlanDrawings[] = {"r12.dxf", "r2000_gbk.dxf", "r2007_utf8.dxf",
                                            "r2018.dxf", "minimal.dxf"};

}  // namespace tests
