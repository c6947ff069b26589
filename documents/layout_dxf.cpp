#include "layout_dxf.h"

#include <QByteArray>
#include <QDir>

#include "file_commit.h"
#include "file_errors.h"

namespace documents {

namespace {

QString failure(const QString& fileName, const QString& reason) {
    return QStringLiteral("无法保存DXF文件“%1”：%2。")
        .arg(QDir::toNativeSeparators(fileName), reason);
}

}  // namespace

WriteOutcome writeLayoutDxf(const core::Project& /*project*/, const std::string& /*floor*/,
                            const QString& fileName, const Progress& /*progress*/) {
    if (auto fault = io::replaceFault(fileName)) {
        return {WriteStatus::Failed, failure(fileName, *fault)};
    }
    if (auto reason = io::writeWhole(fileName, QByteArrayLiteral("  0\nEOF\n"))) {
        return {WriteStatus::Failed, failure(fileName, *reason)};
    }
    return {};
}

}  // namespace documents
