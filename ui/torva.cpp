#include "torva.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTranslator>
#include <QtDebug>
#include <stdexcept>

#include "saved_choices.h"

namespace {

// A control's place in twips: left, top, width, height, relative to its container.
struct Place {
    int left;
    int top;
    int width;
    int height;
};

constexpr Place kClientArea{0, 0, 8010, 5880};
constexpr std::array<Place, 5> kFramePlaces = {{
    {60, 75, 1365, 1455},      // fire class
    {1500, 75, 1410, 1455},    // hazard level
    {2985, 75, 2700, 1455},    // correction factor K
    {5775, 75, 2190, 2070},    // agent type
    {5760, 2220, 2190, 1230},  // building
}};
constexpr std::array<const char*, 5> kFrameCaptions = {"火灾类别", "火灾危险等级", "修正系数",
                                                       "灭火器类型", "建筑物参数"};

struct OptionPlace {
    std::int16_t index;
    Place place;
};

constexpr std::array<OptionPlace, 13> kOp1Places = {{
    {0, {75, 240, 600, 195}},
    {1, {75, 540, 600, 195}},
    {2, {75, 840, 600, 195}},
    {10, {75, 1140, 600, 195}},
    {11, {720, 240, 600, 195}},
    {3, {75, 1140, 1290, 225}},
    {4, {75, 720, 1290, 240}},
    {5, {75, 300, 1290, 240}},
    {6, {75, 225, 2520, 195}},
    {7, {75, 450, 2040, 195}},
    {8, {75, 690, 2040, 195}},
    {9, {75, 945, 2490, 210}},
    {12, {75, 1200, 2550, 210}},
}};

constexpr std::array<OptionPlace, 8> kOpPlaces = {{
    {0, {150, 1740, 1890, 240}},
    {1, {150, 240, 1890, 240}},
    {2, {150, 825, 1890, 240}},
    {3, {150, 525, 1890, 240}},
    {4, {150, 1125, 1890, 240}},
    {5, {150, 1425, 1890, 240}},
    {6, {150, 540, 2010, 240}},
    {7, {150, 225, 1890, 240}},
}};

constexpr Place kCheckPlace{5760, 3540, 1890, 315};
constexpr Place kAreaLabelPlace{225, 900, 765, 255};
constexpr Place kAreaPlace{1050, 840, 840, 315};
constexpr Place kUnitLabelPlace{1950, 900, 165, 195};
constexpr Place kGridPlace{60, 1560, 5625, 4275};

// Frame colour of the current cell: black.
constexpr grid::Color kCellFrameColor = 0;

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A setting's text; a hand-edited value with commas comes back from an INI file as a list.
QString settingText(const QSettings& settings, const QString& key, const QString& fallback) {
    const QVariant value = settings.value(key, fallback);
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

QString settingsGroup() {
    return qs(core::kSettingsSection).replace(QLatin1Char('\\'), '/');
}

// The window's icon: a red extinguisher.
QIcon extinguisherIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 30));
    p.drawRoundedRect(QRectF(10, 9, 13, 21), 5, 5);
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(14, 4, 5, 5));
    p.drawRect(QRectF(18, 5, 9, 2));
    return QIcon(pixmap);
}

}  // namespace

const QString torva::kCaption = QStringLiteral("灭火器配置计算(新规)") +
                                QString(16, QLatin1Char(' ')) +
                                QStringLiteral("[依据GB 50140-2005编制]");

torva::torva(QWidget* parent)
    : QWidget(parent), store_(core::kGridRows, core::kGridCols), calc_(selection_, store_) {
    setObjectName(QStringLiteral("torva"));
    core::writeHeadings(store_);
    buildControls();

    selection_.Op1.setClickHandler([this](std::int16_t i) { Op1_Click(i); });
    selection_.Op.setClickHandler([this](std::int16_t i) { Op_Click(i); });
    calc_.setClassDNotice([this] { showClassDMessage(); });
}

torva::~torva() {
    // The grid draws store_, which goes before the child widgets do.
    delete fa;
    fa = nullptr;
}

void torva::buildControls() {
    const double dpi = screen() != nullptr ? screen()->logicalDotsPerInch() : 96.0;
    const auto px = [dpi](int twips) { return grid::twipsToPixels(twips, dpi); };
    const auto place = [&px](QWidget* w, const Place& p) {
        w->setGeometry(px(p.left), px(p.top), px(p.width), px(p.height));
    };
    // Buttons and labels are at least as large as their text needs, centred vertically on
    // their designed place: the platform's font may be larger than the design's.
    const auto placeText = [&px](QWidget* w, const Place& p) {
        const int height = std::max(px(p.height), w->sizeHint().height());
        const int top = px(p.top) + (px(p.height) - height) / 2;
        w->setGeometry(px(p.left), top, std::max(px(p.width), w->sizeHint().width()), height);
    };

    setFixedSize(px(kClientArea.width), px(kClientArea.height));
    setWindowIcon(extinguisherIcon());

    for (std::size_t i = 0; i < Frame1.size(); ++i) {
        Frame1[i] = new QGroupBox(QString::fromUtf8(kFrameCaptions[i]), this);
        place(Frame1[i], kFramePlaces[i]);
    }

    const auto makeButtons = [&](core::OptionArray& array, auto& buttons, const auto& places) {
        for (const auto& [index, where] : places) {
            const core::Option& option = array.option(index);
            auto* button = new QRadioButton(qs(option.caption),
                                            Frame1.at(static_cast<std::size_t>(option.group)));
            button->setToolTip(qs(option.toolTip));
            button->setChecked(option.selected);
            button->setEnabled(option.enabled);
            placeText(button, where);
            buttons[index] = button;
        }
        bindOptions(array, buttons);
    };
    makeButtons(selection_.Op1, Op1, kOp1Places);
    makeButtons(selection_.Op, Op, kOpPlaces);

    QPalette red = Op[core::op::kHalon]->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Op[core::op::kHalon]->setPalette(red);
    QPalette black = Op[core::op::kWater]->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    Op[core::op::kWater]->setPalette(black);

    QGroupBox* building = Frame1[core::kBuildingGroup];
    Label1[0] = new QLabel(QStringLiteral("建筑面积"), building);
    placeText(Label1[0], kAreaLabelPlace);
    tx = new QLineEdit(qs(selection_.tx), building);
    tx->setMaxLength(8);
    tx->setAccessibleName(QStringLiteral("建筑面积"));
    tx->setMouseTracking(true);
    tx->installEventFilter(this);
    place(tx, kAreaPlace);
    Label1[0]->setBuddy(tx);
    Label1[1] = new QLabel(QStringLiteral("m2"), building);
    placeText(Label1[1], kUnitLabelPlace);
    // Kept inside the frame when the unit is wider than designed.
    Label1[1]->move(std::min(Label1[1]->x(), building->width() - Label1[1]->width() - 3),
                    Label1[1]->y());
    connect(tx, &QLineEdit::textChanged, this,
            [this](const QString& text) { selection_.tx = text.toStdString(); });

    Check1 = new QCheckBox(QStringLiteral("保存当前数据退出"), this);
    Check1->setChecked(true);
    placeText(Check1, kCheckPlace);

    fa = new grid::GridWidget(store_, this);
    fa->setAccessibleName(QStringLiteral("计算结果"));
    place(fa, kGridPlace);
    connect(fa, &grid::GridWidget::EnterCell, this, &torva::fa_EnterCell);
    connect(fa, &grid::GridWidget::LeaveCell, this, &torva::fa_LeaveCell);
    connect(fa, &grid::GridWidget::MouseDown, this, &torva::fa_MouseDown);
    connect(fa, &grid::GridWidget::MouseUp, this, &torva::fa_MouseUp);
    connect(fa, &grid::GridWidget::MouseMove, this, &torva::fa_MouseMove);

    // Focus order of the window's design.
    const std::vector<QWidget*> tabOrder = {Op[2],   Op[3],  Op[4],  Op[5],  Op[1],   Check1,
                                            Op1[0],  Op1[1], Op1[2], Op1[3], Op1[4],  Op1[5],
                                            Op[0],   Op[6],  Op[7],  tx,     Op1[10], Op1[11],
                                            Op1[12], Op1[9], Op1[8], Op1[7], Op1[6],  fa};
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

void torva::bindOptions(core::OptionArray& array, std::map<std::int16_t, QRadioButton*>& buttons) {
    for (const auto& [index, button] : buttons) {
        connect(button, &QRadioButton::clicked, this,
                [&array, index = index] { array.select(index); });
        if (&buttons == &Op) {
            button->installEventFilter(this);
        }
    }
    array.setObserver(
        [this, &array, &buttons](std::int16_t index) { showOption(array, buttons, index); });
}

void torva::showOption(const core::OptionArray& array,
                       const std::map<std::int16_t, QRadioButton*>& buttons, std::int16_t index) {
    const core::Option& option = array.option(index);
    QRadioButton* button = buttons.at(index);
    button->setEnabled(option.enabled);
    if (button->isChecked() == option.selected) {
        return;
    }
    if (option.selected) {
        button->setChecked(true);
    } else {
        // Qt keeps one button of a frame checked; a restore may leave a frame without one.
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

bool torva::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Focus that leaves with the window or for a context menu has not left the control.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == tx) {
                tx_LostFocus();
            } else {
                for (const auto& [index, button] : Op) {
                    if (watched == button) {
                        Op_LostFocus(index);
                    }
                }
            }
        }
    } else if (event->type() == QEvent::MouseMove && watched == tx) {
        tx_MouseMove();
    }
    return QWidget::eventFilter(watched, event);
}

void torva::Form_Load() {
    setWindowTitle(kCaption);

    auto settings = ui::openSettings();
    settings->beginGroup(settingsGroup());
    tx->setText(settingText(*settings, qs(core::kAreaKey), QStringLiteral("1000")));

    std::int16_t lastSelected = -1;
    for (std::int16_t i = 0; i <= 7; ++i) {
        restoreOption(*settings, selection_.Op1, i, core::op1Key(i));
        restoreOption(*settings, selection_.Op, i, core::opKey(i));
        if (selection_.Op.selected(i)) {
            Op_Click(i);
            lastSelected = i;
        }
    }
    for (std::int16_t i = 8; i <= 12; ++i) {
        restoreOption(*settings, selection_.Op1, i, core::op1Key(i));
    }
    // An unreadable value leaves the box ticked, so the next close writes good values back.
    const auto check = core::checkFromText(
        settingText(*settings, qs(core::kCheckKey), QStringLiteral("1")).toStdString());
    Check1->setChecked(check.value_or(1) == 1);

    core::setLoadedGridLayout(store_);
    Op_Click(lastSelected >= 0 ? lastSelected : std::int16_t{0});
    // The grid starts on its first cell; frame it so that keyboard users see where they are.
    fa_EnterCell();
    fa->refresh();
}

void torva::restoreOption(QSettings& settings, core::OptionArray& array, std::int16_t index,
                          const std::string& key) {
    const QString fallback = qs(core::booleanText(array.selected(index)));
    const auto value =
        core::booleanFromText(settingText(settings, qs(key), fallback).toStdString());
    if (value) {
        array.setValue(index, *value);
    } else {
        qWarning("Saved choice %s is unreadable and was skipped", key.c_str());
    }
}

void torva::Form_Unload() {
    auto settings = ui::openSettings();
    settings->beginGroup(settingsGroup());
    const auto save = [&settings](const std::string& key, const std::string& text) {
        settings->setValue(qs(key), qs(text));
    };
    if (Check1->isChecked()) {
        save(std::string(core::kAreaKey), tx->text().toStdString());
        for (std::int16_t i = 0; i <= 7; ++i) {
            save(core::op1Key(i), core::booleanText(selection_.Op1.selected(i)));
            save(core::opKey(i), core::booleanText(selection_.Op.selected(i)));
        }
        for (std::int16_t i = 8; i <= 12; ++i) {
            save(core::op1Key(i), core::booleanText(selection_.Op1.selected(i)));
        }
    }
    save(std::string(core::kCheckKey), Check1->isChecked() ? "1" : "0");
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        qWarning("The choices could not be saved to %s", qPrintable(settings->fileName()));
    }
}

void torva::closeEvent(QCloseEvent* event) {
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    event->accept();
}

void torva::Op1_Click(std::int16_t Index) {
    calc_.Op1_Click(Index);
}
void torva::Op_Click(std::int16_t Index) {
    calc_.Op_Click(Index);
}
void torva::Op_LostFocus(std::int16_t Index) {
    calc_.Op_LostFocus(Index);
}
void torva::tx_LostFocus() {
    calc_.tx_LostFocus();
}
void torva::tx_MouseMove() {
    tx->setToolTip(tx->text());
}

void torva::showClassDMessage() {
    QMessageBox box(QMessageBox::NoIcon, qs(core::kClassDTitle),
                    qs(core::kClassDLines[0]) + QLatin1Char('\n') + qs(core::kClassDLines[1]),
                    QMessageBox::Ok, this);
    box.exec();
}

void torva::fa_EnterCell() {
    fa->CellBorder(kCellFrameColor, 1, 1, 2, 2, 1, 1);
    const int r = fa->Row();
    const int c = fa->Col();
    store_.setCellFontBold(r, 0, true);
    store_.setCellFontBold(0, c, true);
}

void torva::fa_LeaveCell() {
    fa->CellBorder(kCellFrameColor, 0, 0, 0, 0, 0, 0);
    const int r = fa->Row();
    const int c = fa->Col();
    store_.setCellFontBold(r, 0, false);
    store_.setCellFontBold(0, c, false);
}

void torva::fa_MouseDown() {
    pressed_ = {static_cast<std::int16_t>(fa->Row()), static_cast<std::int16_t>(fa->Col())};
}

void torva::fa_MouseUp() {
    released_ = {static_cast<std::int16_t>(fa->MouseRow()),
                 static_cast<std::int16_t>(fa->MouseCol())};
    const bool sameCell = released_.row == pressed_.row && released_.col == pressed_.col;
    fa->setHighLight(sameCell ? 0 : 2);
}

void torva::fa_MouseMove() {
    const int r = fa->MouseRow();
    const int c = fa->MouseCol();
    if (c == hovered_.col && r == hovered_.row) {
        return;
    }
    hovered_ = {r, c};
    // Off the cells there is no text to show: the tooltip keeps its text.
    if (store_.contains(r, c)) {
        fa->setToolTipText(qs(store_.TextMatrix(r, c)));
    }
}

namespace ui {

std::unique_ptr<QSettings> openSettings() {
#ifdef Q_OS_WIN
    const QSettings::Format format = QSettings::NativeFormat;
#else
    const QSettings::Format format = QSettings::IniFormat;
#endif
    return std::make_unique<QSettings>(format, QSettings::UserScope,
                                       qs(core::kSettingsApplication));
}

void useChineseTexts() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        QCoreApplication::installTranslator(translator);
    } else {
        qWarning("Qt's Chinese texts were not found in %s", qPrintable(folder));
        delete translator;
    }
}

}  // namespace ui
