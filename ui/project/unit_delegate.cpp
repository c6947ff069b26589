#include "unit_delegate.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QToolTip>
#include <cmath>

#include "area_input.h"
#include "number_text.h"
#include "project_model.h"
#include "unit_texts.h"

namespace ui {

namespace {

// Marks the editors so that eventFilter knows the area's line edit from the others.
constexpr char kAreaEditor[] = "unitAreaEditor";
// The text a line edit was given; the same text at the end of the edit changes nothing.
constexpr char kGivenText[] = "unitGivenText";

void giveText(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setProperty(kGivenText, edit->text());
}

bool textChanged(const QLineEdit* edit) {
    return edit->text() != edit->property(kGivenText).toString();
}

QLineEdit* lineEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    return edit;
}

template <typename Enum>
void addChoice(QComboBox* box, const QString& text, Enum value) {
    box->addItem(text, static_cast<int>(value));
}

QComboBox* choiceBox(QWidget* parent, const QModelIndex& index) {
    auto* box = new QComboBox(parent);
    const auto* model = qobject_cast<const ProjectModel*>(index.model());
    const core::Unit& unit = model->unit(index.row());
    switch (index.column()) {
        case ProjectModel::FireClass:
            // Class D is worked out from the kind of metal; a project does not take it.
            for (const auto c :
                 {core::FireClass::A, core::FireClass::B, core::FireClass::C, core::FireClass::E}) {
                addChoice(box, documents::fireClassName(c), c);
            }
            break;
        case ProjectModel::Hazard:
            for (const auto h :
                 {core::Hazard::Light, core::Hazard::Medium, core::Hazard::Serious}) {
                addChoice(box, documents::hazardName(h), h);
            }
            break;
        case ProjectModel::Factor:
            for (const auto f : {core::Factor::K10, core::Factor::K09, core::Factor::K07,
                                 core::Factor::K05, core::Factor::K03}) {
                addChoice(box, documents::factorText(f), f);
            }
            break;
        case ProjectModel::Building:
            for (const auto b :
                 {core::Building::AboveGround, core::Building::EntertainmentOrUnderground}) {
                addChoice(box, documents::buildingShortName(b), b);
                box->setItemData(box->count() - 1, documents::buildingName(b), Qt::ToolTipRole);
            }
            break;
        case ProjectModel::Agent:
            for (const core::Agent a : core::kAgents) {
                if (core::agentAllowed(unit.choices.fireClass, a)) {
                    addChoice(box, documents::agentName(a), a);
                }
            }
            break;
        case ProjectModel::Model: {
            box->addItem(QStringLiteral("自动"), QString());
            const core::UnitDesign& d = model->unitDesign(index.row());
            if (d.conditions) {
                for (const core::CandidateModel& m : d.conditions->candidates) {
                    box->addItem(documents::modelText(m), documents::qs(m.code));
                }
            }
            break;
        }
        default:
            break;
    }
    return box;
}

void showAreaProblem(QLineEdit* edit, const QString& problem) {
    edit->setToolTip(problem);
    edit->setStyleSheet(problem.isEmpty() ? QString()
                                          : QStringLiteral("QLineEdit { background: #fde4e1; "
                                                           "border: 1px solid #c62828; }"));
}

}  // namespace

std::optional<double> unitArea(const QString& text, QString* problem) {
    const auto refuse = [problem](const QString& why) -> std::optional<double> {
        if (problem != nullptr) {
            *problem = why;
        }
        return std::nullopt;
    };
    const QString normalized = normalizedArea(text).trimmed();
    if (normalized.isEmpty()) {
        return refuse(QStringLiteral("请输入保护面积"));
    }
    if (QString refusal = areaRefusal(normalized); !refusal.isEmpty()) {
        return refuse(refusal);
    }
    const QByteArray bytes = normalized.toUtf8();
    const core::LeadingNumber reading = core::readLeadingNumber(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!reading.value || !std::isfinite(*reading.value) || *reading.value < 0 ||
        *reading.value > core::kMaxUnitArea) {
        return refuse(QStringLiteral("保护面积应在 0 至 %1 m² 之间")
                          .arg(QLocale::c().toString(core::kMaxUnitArea, 'f', 0)));
    }
    if (problem != nullptr) {
        problem->clear();
    }
    return *reading.value;
}

QWidget* UnitDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    switch (index.column()) {
        case ProjectModel::FireClass:
        case ProjectModel::Hazard:
        case ProjectModel::Factor:
        case ProjectModel::Building:
        case ProjectModel::Agent:
        case ProjectModel::Model:
            return choiceBox(parent, index);
        case ProjectModel::Location:
        case ProjectModel::Name: {
            QLineEdit* edit = lineEdit(parent);
            edit->setMaxLength(core::kMaxNameLength);
            return edit;
        }
        case ProjectModel::Area: {
            QLineEdit* edit = lineEdit(parent);
            edit->setProperty(kAreaEditor, true);
            connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
                QString problem;
                (void)unitArea(text, &problem);
                showAreaProblem(edit, problem);
            });
            return edit;
        }
        case ProjectModel::Points: {
            QLineEdit* edit = lineEdit(parent);
            // 1 to 999, or empty for the estimate: QIntValidator would not let an empty box be
            // committed.
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[1-9][0-9]{0,2}|")), edit));
            edit->setPlaceholderText(QStringLiteral("估算"));
            edit->setToolTip(QStringLiteral("1～%1；留空按估算值 N₀").arg(core::kMaxPoints));
            return edit;
        }
        default:
            return QStyledItemDelegate::createEditor(parent, option, index);
    }
}

void UnitDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const QVariant value = index.data(Qt::EditRole);
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        const int at = box->findData(value);
        box->setCurrentIndex(at >= 0 ? at : 0);
        return;
    }
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (edit == nullptr) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    switch (index.column()) {
        case ProjectModel::Area:
            giveText(edit, QLocale::c().toString(value.toDouble(), 'g', 15));
            return;
        case ProjectModel::Points:
            giveText(edit, value.isNull() ? QString() : value.toString());
            return;
        default:
            giveText(edit, value.toString());
    }
}

QString UnitDelegate::showRefusal(QWidget* editor) {
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (edit == nullptr || !edit->property(kAreaEditor).toBool()) {
        return {};
    }
    QString problem;
    if (!unitArea(edit->text(), &problem)) {
        showAreaProblem(edit, problem);
        QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), problem, edit);
    }
    return problem;
}

void UnitDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        if (takeChoice) {
            takeChoice(index, box->currentData(), box->currentText());
        } else {
            model->setData(index, box->currentData(), Qt::EditRole);
        }
        return;
    }
    auto* edit = qobject_cast<QLineEdit*>(editor);
    // The text as it was shown: "0.3" for an area of 0.30000000000000004 must not round it.
    if (edit == nullptr || !textChanged(edit)) {
        return;
    }
    switch (index.column()) {
        case ProjectModel::Area:
            // A refused text is not taken; the unit keeps its area.
            if (const auto area = unitArea(edit->text())) {
                model->setData(index, *area, Qt::EditRole);
            }
            return;
        case ProjectModel::Points: {
            const QString text = edit->text().trimmed();
            bool ok = false;
            const int n = text.toInt(&ok);
            if (text.isEmpty()) {
                model->setData(index, QVariant(), Qt::EditRole);
            } else if (ok) {
                model->setData(index, n, Qt::EditRole);
            }
            return;
        }
        default:
            model->setData(index, edit->text(), Qt::EditRole);
    }
}

bool UnitDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(object);
    if (edit != nullptr && edit->property(kAreaEditor).toBool() &&
        event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab ||
            key == Qt::Key_Backtab) {
            if (!showRefusal(edit).isEmpty()) {
                return true;
            }
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace ui
