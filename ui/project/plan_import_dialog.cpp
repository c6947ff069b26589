#include "plan_import_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QFutureWatcher>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "background_task.h"
#include "plan_import.h"
#include "plan_scene.h"
#include "polygon.h"
#include "project.h"
#include "utf8_text.h"

namespace ui {

namespace {

// The warning colour of the window's checks.
const QColor kWarning(0xb0, 0x1c, 0x1c);
// The preview's rooms, those to import and those left out, and their edges.
const QColor kRoomFill(0xdc, 0xe9, 0xf5);
const QColor kLeftOutFill(0xee, 0xee, 0xee);
const QColor kRoomEdge(0x4a, 0x6a, 0x8a);
const QColor kLeftOutEdge(0xa8, 0xa8, 0xa8);
// The door openings, bright enough to stand out of the walls at the preview's small scale.
const QColor kDoorOpening(0xd0, 0x84, 0x1a);
// The most rooms the preview names.
constexpr std::size_t kLabelledRooms = 2000;

// The preview of the rooms found: fitted to its size, y up; a click on a room hands its index.
class RoomsPreview final : public QGraphicsView {
  public:
    explicit RoomsPreview(QWidget* parent) : QGraphicsView(parent) {
        setRenderHint(QPainter::Antialiasing);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setBackgroundBrush(Qt::white);
        setMinimumSize(320, 220);
    }

    std::function<void(std::size_t)> roomClicked;

    // Fits the rooms in the view and shows each label that its room has room for in pixels: its
    // name and area, or its name alone.
    void fit() {
        if (rooms.isEmpty()) {
            return;
        }
        const double margin = 0.03 * std::max(rooms.width(), rooms.height());
        fitInView(rooms.adjusted(-margin, -margin, margin, margin), Qt::KeepAspectRatio);
        for (QGraphicsSimpleTextItem* label : labels) {
            const QRectF room = transform().mapRect(label->parentItem()->boundingRect());
            const QStringList lines = label->data(0).toStringList();
            label->setText(lines.join(QLatin1Char('\n')));
            if (label->boundingRect().width() > room.width() ||
                label->boundingRect().height() > room.height()) {
                label->setText(lines.front());
            }
            const QRectF text = label->boundingRect();
            label->setVisible(text.width() <= room.width() && text.height() <= room.height());
            label->setTransform(QTransform::fromTranslate(-text.width() / 2, -text.height() / 2));
        }
    }

    QRectF rooms;  // the rooms' bounds in the scene
    std::vector<QGraphicsSimpleTextItem*> labels;

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QGraphicsView::resizeEvent(event);
        fit();
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && roomClicked) {
            for (const QGraphicsItem* item : items(event->position().toPoint())) {
                if (const QVariant room = item->data(0); room.isValid()) {
                    roomClicked(room.value<std::size_t>());
                    return;
                }
            }
        }
        QGraphicsView::mousePressEvent(event);
    }
};

QPolygonF scenePolygon(const core::Ring& ring) {
    QPolygonF polygon;
    for (const core::PlanPoint& point : ring) {
        polygon.append(scenePoint(point));
    }
    return polygon;
}

// What keeps a room left out while the layers change: its name and area.
std::string roomKey(const core::PlanRoomInput& room) {
    return room.name + '|' + QString::number(room.area, 'f', 2).toStdString();
}

// The lines and outlines of the drawing's layers: what finding its rooms goes through.
std::size_t drawingSize(const std::vector<io::PlanLayer>& layers) {
    std::size_t size = 0;
    for (const io::PlanLayer& layer : layers) {
        size += static_cast<std::size_t>(layer.lines) + static_cast<std::size_t>(layer.outlines);
    }
    return size;
}

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
      modeBox(new QComboBox(this)),
      layerList(new QTreeWidget(this)),
      preview(new RoomsPreview(this)),
      roomList(new QListWidget(this)),
      busy(new QProgressBar(this)),
      stopButton(new QPushButton(QStringLiteral("停止"), this)),
      summary(new QLabel(this)),
      refusedList(new QTreeWidget(this)),
      unreadableNote(new QLabel(this)),
      unitWarning(new QLabel(this)),
      unitSwitch(new QPushButton(this)),
      buttons(new QDialogButtonBox(this)),
      importButton(buttons->addButton(QStringLiteral("导入"), QDialogButtonBox::AcceptRole)),
      fileName_(fileName),
      drawing_(std::make_shared<const io::DxfDrawing>(std::move(drawing))),
      scene_(new QGraphicsScene(this)) {
    setWindowTitle(QStringLiteral("导入平面图"));
    const io::DxfDrawing& drawn = *drawing_;

    auto* form = new QFormLayout;
    auto* file = new QLabel(QStringLiteral("%1　DXF %2")
                                .arg(QFileInfo(fileName).fileName(), dxfVersionText(drawn.version)),
                            this);
    file->setToolTip(fileName);
    form->addRow(QStringLiteral("图纸："), file);

    for (const io::DrawingUnit unit : io::kImportUnits) {
        unitBox->addItem(io::unitLabel(unit), static_cast<int>(unit));
    }
    // A unit the header names that is not offered (miles, say) is shown as it is.
    if (unitBox->findData(static_cast<int>(drawn.unit)) < 0) {
        unitBox->addItem(io::unitLabel(drawn.unit), static_cast<int>(drawn.unit));
    }
    unitBox->setCurrentIndex(unitBox->findData(static_cast<int>(drawn.unit)));
    auto* unitRow = new QHBoxLayout;
    unitRow->addWidget(unitBox);
    auto* unitNote = new QLabel(drawn.unitGiven ? QStringLiteral("（图纸注明的单位）")
                                                : QStringLiteral("（图纸未注明单位，按毫米）"),
                                this);
    unitRow->addWidget(unitNote);
    unitRow->addStretch();
    form->addRow(QStringLiteral("图纸单位："), unitRow);

    floorEdit->setText((floor.isEmpty() ? QFileInfo(fileName).completeBaseName() : floor)
                           .left(core::kMaxNameLength));
    floorEdit->setMaxLength(core::kMaxNameLength);
    form->addRow(QStringLiteral("楼层/位置："), floorEdit);

    modeBox->addItem(QStringLiteral("按房间轮廓"), FromOutlines);
    modeBox->addItem(QStringLiteral("由墙线识别房间"), FromWalls);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(modeBox);
    modeRow->addStretch();
    form->addRow(QStringLiteral("识别方式："), modeRow);

    layerList->setHeaderLabels({QStringLiteral("图层"), QStringLiteral("闭合轮廓"),
                                QStringLiteral("线条（墙线）"), QStringLiteral("门")});
    layerList->setRootIsDecorated(false);
    layerList->header()->setStretchLastSection(false);
    layerList->header()->setSectionResizeMode(LayerName, QHeaderView::Stretch);
    for (const int column : {Outlines, Lines, Doors}) {
        layerList->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    const std::vector<io::PlanLayer> layers = io::planLayers(drawn);
    bool proposedOutlines = false;
    bool proposedWalls = false;
    for (const io::PlanLayer& layer : layers) {
        if (layer.outlines == 0 && layer.lines == 0) {
            continue;  // nothing to import from it
        }
        proposedOutlines = proposedOutlines || layer.proposed;
        proposedWalls = proposedWalls || layer.proposedWalls;
        auto* item = new QTreeWidgetItem(
            layerList, {layer.name, QString::number(layer.outlines), QString::number(layer.lines)});
        item->setData(LayerName, Qt::UserRole, layer.outlines > 0);
        for (const int column : {Outlines, Lines}) {
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
        // The walls' mode ticks a layer as a whole: its closed outlines as rooms; its lines, and
        // outlines such as columns, as walls; its outlines as doors.
        if (layer.outlines > 0) {
            item->setCheckState(Outlines, layer.proposed ? Qt::Checked : Qt::Unchecked);
            item->setCheckState(Doors, Qt::Unchecked);
        }
        item->setCheckState(Lines, layer.proposedWalls ? Qt::Checked : Qt::Unchecked);
    }
    // Walls where they are proposed and no outlines are, or where only lines are drawn.
    const bool anyOutlines =
        std::ranges::any_of(layers, [](const io::PlanLayer& layer) { return layer.outlines > 0; });
    const bool anyLines =
        std::ranges::any_of(layers, [](const io::PlanLayer& layer) { return layer.lines > 0; });
    modeBox->setCurrentIndex((proposedWalls && !proposedOutlines) || (!anyOutlines && anyLines)
                                 ? FromWalls
                                 : FromOutlines);
    size_ = drawingSize(layers);

    auto* rooms = new QHBoxLayout;
    preview->setScene(scene_);
    static_cast<RoomsPreview*>(preview)->roomClicked = [this](std::size_t room) {
        toggleRoom(room);
    };
    rooms->addWidget(preview, 3);
    roomList->setMinimumWidth(170);
    roomList->setUniformItemSizes(true);
    rooms->addWidget(roomList, 1);
    connect(roomList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const QVariant room = item->data(Qt::UserRole);
        if (!room.isValid()) {
            return;
        }
        const auto index = room.value<std::size_t>();
        const std::string key = roomKey(rooms_.rooms[index]);
        if (item->checkState() == Qt::Checked) {
            leftOut_.erase(key);
        } else {
            leftOut_.insert(key);
        }
        showTicked(index);
        summarise();
    });

    busy->setRange(0, 0);
    busy->setTextVisible(false);
    connect(stopButton, &QPushButton::clicked, this, &PlanImportDialog::stop);

    refusedList->setHeaderLabels(
        {QStringLiteral("图元句柄"), QStringLiteral("图层"), QStringLiteral("原因")});
    refusedList->setRootIsDecorated(false);
    refusedList->header()->setSectionResizeMode(2, QHeaderView::Stretch);

    summary->setWordWrap(true);
    unreadableNote->setWordWrap(true);
    QPalette warning = unreadableNote->palette();
    warning.setColor(QPalette::WindowText, kWarning);
    unreadableNote->setPalette(warning);
    if (const QString notice = io::proprietaryNotice(drawn); !notice.isEmpty()) {
        unreadableNote->setText(notice + QStringLiteral("。"));
    } else if (!drawn.unknownEntities.empty()) {
        QStringList kinds;
        for (const auto& [kind, number] : drawn.unknownEntities) {
            kinds << QStringLiteral("%1 %2 个").arg(kind).arg(number);
        }
        unreadableNote->setText(
            QStringLiteral("图纸中有 %1 个本程序无法读取的对象（%2）。如房间轮廓或名称在其中，"
                           "请先在 CAD 中将图纸导出为普通图元（多段线、文字）后再导入。")
                .arg(io::unreadableCount(drawn))
                .arg(kinds.join(QStringLiteral("、"))));
    }
    unreadableNote->setVisible(!drawn.unknownEntities.empty());
    unitWarning->setWordWrap(true);
    unitWarning->setPalette(warning);
    connect(unitSwitch, &QPushButton::clicked, this,
            [this] { unitBox->setCurrentIndex(unitBox->findData(unitSwitch->property("unit"))); });

    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("勾选房间所在的图层："), this));
    layout->addWidget(layerList, 1);
    layout->addLayout(rooms, 4);
    auto* busyRow = new QHBoxLayout;
    busyRow->addWidget(busy, 1);
    busyRow->addWidget(stopButton);
    layout->addLayout(busyRow);
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
    connect(modeBox, &QComboBox::currentIndexChanged, this, [this] {
        showMode();
        refresh();
    });
    resize(720, 760);
    showMode();
    refresh();
}

QStringList PlanImportDialog::chosenLayers(Column column) const {
    QStringList layers;
    for (int i = 0; i < layerList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = layerList->topLevelItem(i);
        if (!item->isHidden() && item->data(column, Qt::CheckStateRole).isValid() &&
            item->checkState(column) == Qt::Checked) {
            layers << item->text(LayerName);
        }
    }
    return layers;
}

io::DrawingUnit PlanImportDialog::chosenUnit() const {
    return static_cast<io::DrawingUnit>(unitBox->currentData().toInt());
}

PlanImportDialog::Mode PlanImportDialog::mode() const {
    return static_cast<Mode>(modeBox->currentData().toInt());
}

void PlanImportDialog::showMode() {
    const bool walls = mode() == FromWalls;
    layerList->setColumnHidden(Lines, !walls);
    layerList->setColumnHidden(Doors, !walls);
    // Outlines are read from the layers that have them; walls from any layer drawn on.
    for (int i = 0; i < layerList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = layerList->topLevelItem(i);
        item->setHidden(!walls && !item->data(LayerName, Qt::UserRole).toBool());
    }
}

void PlanImportDialog::refresh() {
    io::PlanReading reading{chosenLayers(Outlines), {}, {}, chosenUnit()};
    if (mode() == FromWalls) {
        reading.wallLayers = chosenLayers(Lines);
        reading.doorLayers = chosenLayers(Doors);
    }
    const int search = ++search_;
    if (size_ <= backgroundAbove) {
        showRooms(io::planRooms(*drawing_, reading));
        return;
    }
    // Found away from the window; a later search or 停止 leaves this one's rooms unshown.
    auto* watcher = new QFutureWatcher<io::PlanRooms>(this);
    connect(watcher, &QFutureWatcher<io::PlanRooms>::finished, this, [this, watcher, search] {
        watcher->deleteLater();
        if (search == search_) {
            busy->hide();
            stopButton->hide();
            showRooms(watcher->result());
        }
    });
    watcher->setFuture(runInBackground(
        [drawing = drawing_, reading] { return io::planRooms(*drawing, reading); }));
    // Meanwhile nothing is shown that could be imported in their stead.
    showRooms({});
    busy->show();
    stopButton->show();
    summary->setText(QStringLiteral("正在识别房间…"));
}

void PlanImportDialog::stop() {
    ++search_;
    busy->hide();
    stopButton->hide();
    showRooms({});
    summary->setText(QStringLiteral("已停止识别房间。"));
}

void PlanImportDialog::showRooms(io::PlanRooms rooms) {
    rooms_ = std::move(rooms);
    busy->hide();
    stopButton->hide();
    const QSignalBlocker quiet(roomList);
    roomList->setUpdatesEnabled(false);
    roomList->clear();
    for (std::size_t i = 0; i < rooms_.rooms.size(); ++i) {
        const core::PlanRoomInput& room = rooms_.rooms[i];
        // Added once made: each change to an item in the list would look for it there.
        auto* item = new QListWidgetItem(
            QStringLiteral("%1　%2 m²").arg(io::qs(room.name), QString::number(room.area, 'f', 2)));
        item->setData(Qt::UserRole, QVariant::fromValue(i));
        item->setCheckState(roomTicked(i) ? Qt::Checked : Qt::Unchecked);
        roomList->addItem(item);
    }
    for (const core::ClosedGap& gap : rooms_.gaps) {
        if (gap.by == core::ClosedGap::By::Nothing) {
            auto* item = new QListWidgetItem(
                QStringLiteral("按门洞闭合　%1 m")
                    .arg(QString::number(std::hypot(gap.b.x - gap.a.x, gap.b.y - gap.a.y), 'f', 2)),
                roomList);
            item->setToolTip(QStringLiteral("(%1, %2) 至 (%3, %4) m")
                                 .arg(gap.a.x, 0, 'f', 3)
                                 .arg(gap.a.y, 0, 'f', 3)
                                 .arg(gap.b.x, 0, 'f', 3)
                                 .arg(gap.b.y, 0, 'f', 3));
            item->setForeground(kWarning);
            item->setFlags(Qt::ItemIsEnabled);
        }
    }
    roomList->setUpdatesEnabled(true);
    drawPreview();
    summarise();
}

bool PlanImportDialog::roomTicked(std::size_t room) const {
    return !leftOut_.contains(roomKey(rooms_.rooms[room]));
}

void PlanImportDialog::toggleRoom(std::size_t room) {
    // The rooms come first in the list, in their order.
    QListWidgetItem* item = roomList->item(static_cast<int>(room));
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void PlanImportDialog::showTicked(std::size_t room) {
    const bool ticked = roomTicked(room);
    QGraphicsPathItem* item = roomItems_[room];
    QPen edge(ticked ? kRoomEdge : kLeftOutEdge, 1);
    edge.setCosmetic(true);
    item->setPen(edge);
    item->setBrush(ticked ? kRoomFill : kLeftOutFill);
    for (QGraphicsItem* child : item->childItems()) {
        static_cast<QGraphicsSimpleTextItem*>(child)->setBrush(
            ticked ? palette().color(QPalette::Text) : kLeftOutEdge);
    }
}

void PlanImportDialog::drawPreview() {
    auto* view = static_cast<RoomsPreview*>(preview);
    view->labels.clear();
    view->rooms = QRectF();
    roomItems_.clear();
    scene_->clear();
    // The labels keep their size in pixels as the preview is fitted; a floor of many rooms has
    // none, which would be too small to read.
    const bool labelled = rooms_.rooms.size() <= kLabelledRooms;
    QFont font = this->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    for (std::size_t i = 0; i < rooms_.rooms.size(); ++i) {
        const core::PlanRoomInput& room = rooms_.rooms[i];
        QPainterPath path;
        path.addPolygon(scenePolygon(room.outline));
        path.closeSubpath();
        for (const core::Ring& hole : room.holes) {
            path.addPolygon(scenePolygon(hole));
            path.closeSubpath();
        }
        auto* item = scene_->addPath(path);
        item->setData(0, QVariant::fromValue(i));
        item->setToolTip(io::qs(room.name));
        view->rooms |= item->boundingRect();
        roomItems_.push_back(item);
        if (labelled) {
            auto* label = new QGraphicsSimpleTextItem(item);
            label->setData(0, QStringList{io::qs(room.name), QString::number(room.area, 'f', 2) +
                                                                 QStringLiteral(" m²")});
            label->setFont(font);
            label->setFlag(QGraphicsItem::ItemIgnoresTransformations);
            label->setAcceptedMouseButtons(Qt::NoButton);
            label->setPos(scenePoint(core::labelPoint(room.outline, room.holes)));
            view->labels.push_back(label);
        }
        showTicked(i);
    }
    QPen doorPen(kDoorOpening, 4);
    doorPen.setCosmetic(true);
    doorPen.setCapStyle(Qt::FlatCap);
    for (const core::WallDoor& door : rooms_.doors) {
        scene_->addLine(QLineF(scenePoint(door.hinge), scenePoint(door.end)), doorPen)
            ->setZValue(2);
    }
    QPen gapPen(kWarning, 2, Qt::DashLine);
    gapPen.setCosmetic(true);
    for (const core::ClosedGap& gap : rooms_.gaps) {
        if (gap.by == core::ClosedGap::By::Nothing) {
            scene_->addLine(QLineF(scenePoint(gap.a), scenePoint(gap.b)), gapPen)->setZValue(2);
        }
    }
    view->fit();
}

void PlanImportDialog::summarise() {
    const io::PlanImportInput in = input();
    double total = 0;
    for (const core::PlanRoomInput& room : in.plan.rooms) {
        total += room.area;
    }
    QString text;
    int shown = 0;
    for (int i = 0; i < layerList->topLevelItemCount(); ++i) {
        shown += layerList->topLevelItem(i)->isHidden() ? 0 : 1;
    }
    if (shown == 0) {
        text = io::noOutlinesText(*drawing_) + QStringLiteral("。");
    } else if (in.plan.rooms.empty() && mode() == FromWalls && chosenLayers(Lines).isEmpty() &&
               chosenLayers(Outlines).isEmpty()) {
        text = QStringLiteral("请勾选墙线所在的图层。");
    } else if (in.plan.rooms.empty() && mode() == FromOutlines &&
               chosenLayers(Outlines).isEmpty() &&
               std::ranges::none_of(io::planLayers(*drawing_),
                                    [](const io::PlanLayer& layer) { return layer.proposed; })) {
        text = QStringLiteral(
            "图纸中没有名称含“房间”“ROOM”“AREA”“面积”的图层，"
            "请勾选房间轮廓所在的图层。");
    } else if (in.plan.rooms.empty()) {
        text = QStringLiteral("所选图层中没有可导入的房间。");
    } else if (rooms_.wallsRead) {
        const QString doors = io::doorCountText({rooms_.doors.size(), rooms_.exits()});
        text = QStringLiteral("房间 %1 个，共 %2 m²；%3")
                   .arg(in.plan.rooms.size())
                   .arg(QString::number(total, 'f', 2),
                        doors.isEmpty() ? QStringLiteral("门 0 个") : doors);
        const auto gaps = std::ranges::count_if(rooms_.gaps, [](const core::ClosedGap& gap) {
            return gap.by == core::ClosedGap::By::Nothing;
        });
        if (gaps > 0) {
            text += QStringLiteral("；按门洞闭合 %1 处").arg(gaps);
        }
        text += QStringLiteral("。");
    } else {
        text = QStringLiteral("将导入 %1 个房间，共 %2 m²")
                   .arg(in.plan.rooms.size())
                   .arg(QString::number(total, 'f', 2));
        // The floor's outlines, and the doors found between the outlines as the walls' are.
        if (rooms_.floors && !rooms_.floors->empty()) {
            text += QStringLiteral("；楼层轮廓 %1 个").arg(rooms_.floors->size());
        }
        if (rooms_.doorsRead) {
            const QString doors = io::doorCountText({rooms_.doors.size(), rooms_.exits()});
            text += QStringLiteral("；") + (doors.isEmpty() ? QStringLiteral("门 0 个") : doors);
        }
        text += QStringLiteral("。");
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
    io::PlanRooms ticked = rooms_;
    ticked.rooms.clear();
    for (std::size_t i = 0; i < rooms_.rooms.size(); ++i) {
        if (roomTicked(i)) {
            ticked.rooms.push_back(rooms_.rooms[i]);
        }
    }
    return io::planImportInput(ticked, fileName_, chosenUnit(), floorEdit->text().trimmed(),
                               drawing_->unitGiven ? std::optional(drawing_->unit) : std::nullopt);
}

}  // namespace ui
