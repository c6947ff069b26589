#include "plan_import_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "plan_import.h"
#include "project.h"
#include "utf8_text.h"

namespace ui {

namespace {

// The warning colour of the window's checks.
const QColor kWarning(0xb0, 0x1c, 0x1c);

}  // namespace

QString dxfVersionText(const QString& version) {
    static const std::pair<const char*, const char*> kReleases[] = {
        {"AC1009", "R12"},   {"AC1012", "R13"},   {"AC1014", "R14"},
        {"AC1015", "R2000"}, {"AC1018", "R2004"}, {"AC1021", "R2007"},
        {"AC1024", "R2010"}, {"AC1027", "R2013"}, {"AC1032", "R2018"},
    };
    for (const auto& [code, release] : kReleases) {
        if (version == QLatin1String(code)) {
            return QStringLiteral("%1（%2）").arg(QLatin1String(release), version);
        }
    }
    return version;
}

PlanImportDialog::PlanImportDialog(const QString& fileName, io::DxfDrawing drawing,
                                   const QString& floor, QWidget* parent)
    : QDialog(parent),
      unitBox(new QComboBox(this)),
      floorEdit(new QLineEdit(this)),
      layerList(new QTreeWidget(this)),
      summary(new QLabel(this)),
      refusedList(new QTreeWidget(this)),
      unreadableNote(new QLabel(this)),
      unitWarning(new QLabel(this)),
      unitSwitch(new QPushButton(this)),
      buttons(new QDialogButtonBox(this)),
      importButton(buttons->addButton(QStringLiteral("导入"), QDialogButtonBox::AcceptRole)),
      fileName_(fileName),
      drawing_(std::move(drawing)) {
    setWindowTitle(QStringLiteral("导入平面图"));

    auto* form = new QFormLayout;
    auto* file =
        new QLabel(QStringLiteral("%1　DXF %2")
                       .arg(QFileInfo(fileName).fileName(), dxfVersionText(drawing_.version)),
                   this);
    file->setToolTip(fileName);
    form->addRow(QStringLiteral("图纸："), file);

    for (const io::DrawingUnit unit : io::kImportUnits) {
        unitBox->addItem(io::unitLabel(unit), static_cast<int>(unit));
    }
    // A unit the header names that is not offered (miles, say) is shown as it is.
    if (unitBox->findData(static_cast<int>(drawing_.unit)) < 0) {
        unitBox->addItem(io::unitLabel(drawing_.unit), static_cast<int>(drawing_.unit));
    }
    unitBox->setCurrentIndex(unitBox->findData(static_cast<int>(drawing_.unit)));
    auto* unitRow = new QHBoxLayout;
    unitRow->addWidget(unitBox);
    auto* unitNote = new QLabel(drawing_.unitGiven ? QStringLiteral("（图纸注明的单位）")
                                                   : QStringLiteral("（图纸未注明单位，按毫米）"),
                                this);
    unitRow->addWidget(unitNote);
    unitRow->addStretch();
    form->addRow(QStringLiteral("图纸单位："), unitRow);

    floorEdit->setText((floor.isEmpty() ? QFileInfo(fileName).completeBaseName() : floor)
                           .left(core::kMaxNameLength));
    floorEdit->setMaxLength(core::kMaxNameLength);
    form->addRow(QStringLiteral("楼层/位置："), floorEdit);

    layerList->setHeaderLabels({QStringLiteral("图层"), QStringLiteral("闭合轮廓")});
    layerList->setRootIsDecorated(false);
    layerList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    layerList->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    for (const io::PlanLayer& layer : io::planLayers(drawing_)) {
        if (layer.outlines == 0) {
            continue;  // nothing to import from it
        }
        auto* item = new QTreeWidgetItem(layerList, {layer.name, QString::number(layer.outlines)});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setCheckState(0, layer.proposed ? Qt::Checked : Qt::Unchecked);
    }

    refusedList->setHeaderLabels(
        {QStringLiteral("图元句柄"), QStringLiteral("图层"), QStringLiteral("原因")});
    refusedList->setRootIsDecorated(false);
    refusedList->header()->setSectionResizeMode(2, QHeaderView::Stretch);

    summary->setWordWrap(true);
    unreadableNote->setWordWrap(true);
    QPalette warning = unreadableNote->palette();
    warning.setColor(QPalette::WindowText, kWarning);
    unreadableNote->setPalette(warning);
    if (!drawing_.unknownEntities.empty()) {
        int count = 0;
        QStringList kinds;
        for (const auto& [kind, number] : drawing_.unknownEntities) {
            count += number;
            kinds << QStringLiteral("%1 %2 个").arg(kind).arg(number);
        }
        unreadableNote->setText(
            QStringLiteral("图纸中有 %1 个本程序无法读取的对象（%2）。如房间轮廓或名称在其中，"
                           "请先在 CAD 中将图纸导出为普通图元（多段线、文字）后再导入。")
                .arg(count)
                .arg(kinds.join(QStringLiteral("、"))));
    }
    unreadableNote->setVisible(!drawing_.unknownEntities.empty());
    unitWarning->setWordWrap(true);
    unitWarning->setPalette(warning);
    connect(unitSwitch, &QPushButton::clicked, this,
            [this] { unitBox->setCurrentIndex(unitBox->findData(unitSwitch->property("unit"))); });

    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("房间轮廓所在的图层："), this));
    layout->addWidget(layerList, 2);
    layout->addWidget(summary);
    auto* unitWarningRow = new QHBoxLayout;
    unitWarningRow->addWidget(unitWarning, 1);
    unitWarningRow->addWidget(unitSwitch);
    unitSwitch->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addLayout(unitWarningRow);
    layout->addWidget(refusedList, 1);
    layout->addWidget(unreadableNote);
    layout->addWidget(buttons);

    connect(unitBox, &QComboBox::currentIndexChanged, this, &PlanImportDialog::refresh);
    connect(layerList, &QTreeWidget::itemChanged, this, &PlanImportDialog::refresh);
    resize(560, 520);
    refresh();
}

QStringList PlanImportDialog::chosenLayers() const {
    QStringList layers;
    for (int i = 0; i < layerList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = layerList->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked) {
            layers << item->text(0);
        }
    }
    return layers;
}

io::DrawingUnit PlanImportDialog::chosenUnit() const {
    return static_cast<io::DrawingUnit>(unitBox->currentData().toInt());
}

void PlanImportDialog::refresh() {
    rooms_ = io::planRooms(drawing_, chosenLayers(), chosenUnit());
    const io::PlanImportInput in = input();
    double total = 0;
    for (const core::PlanRoomInput& room : in.plan.rooms) {
        total += room.area;
    }
    QString text;
    if (layerList->topLevelItemCount() == 0) {
        text = io::noOutlinesText(drawing_) + QStringLiteral("。");
    } else if (in.plan.rooms.empty() && chosenLayers().isEmpty() &&
               std::ranges::none_of(io::planLayers(drawing_),
                                    [](const io::PlanLayer& layer) { return layer.proposed; })) {
        text = QStringLiteral(
            "图纸中没有名称含“房间”“ROOM”“AREA”“面积”的图层，"
            "请勾选房间轮廓所在的图层。");
    } else if (in.plan.rooms.empty()) {
        text = QStringLiteral("所选图层中没有可导入的房间。");
    } else {
        text = QStringLiteral("将导入 %1 个房间，共 %2 m²。")
                   .arg(in.plan.rooms.size())
                   .arg(QString::number(total, 'f', 2));
    }
    for (const auto& [first, second] : core::overlappingLayers(in.plan.rooms)) {
        text += QStringLiteral("图层“%1”与“%2”的轮廓重叠，请检查所选图层。")
                    .arg(io::qs(first), io::qs(second));
    }
    if (!in.refused.empty()) {
        text += QStringLiteral("以下 %1 个轮廓不导入：").arg(in.refused.size());
    }
    summary->setText(text);
    const QString implausible = io::implausibleText(in, chosenUnit());
    unitWarning->setText(implausible.isEmpty() ? QString() : implausible + QStringLiteral("。"));
    unitWarning->setVisible(!implausible.isEmpty());
    unitSwitch->setVisible(in.likelyUnit.has_value());
    if (in.likelyUnit) {
        unitSwitch->setText(QStringLiteral("改按%1计").arg(io::unitLabel(*in.likelyUnit)));
        unitSwitch->setProperty("unit", static_cast<int>(*in.likelyUnit));
    }
    refusedList->clear();
    for (const io::RefusedOutline& refused : in.refused) {
        new QTreeWidgetItem(refusedList, {refused.handle, refused.layer, refused.reason});
    }
    refusedList->setVisible(!in.refused.empty());
    importButton->setEnabled(!in.plan.rooms.empty());
}

io::PlanImportInput PlanImportDialog::input() const {
    return io::planImportInput(rooms_, fileName_, chosenUnit(), floorEdit->text().trimmed(),
                               drawing_.unitGiven ? std::optional(drawing_.unit) : std::nullopt);
}

}  // namespace ui
