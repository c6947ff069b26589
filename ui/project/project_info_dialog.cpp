#include "project_info_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <chrono>
#include <optional>

#include "project_file.h"
#include "unit_texts.h"
#include "utf8_text.h"

namespace ui {

namespace {

using documents::qs;

std::string trimmed(const QString& text) {
    return io::utf8(text.trimmed());
}

QDate toQDate(const std::chrono::year_month_day& date) {
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

std::chrono::year_month_day fromQDate(const QDate& date) {
    return {std::chrono::year{date.year()}, std::chrono::month{static_cast<unsigned>(date.month())},
            std::chrono::day{static_cast<unsigned>(date.day())}};
}

QLineEdit* lineEdit(const std::string& text, QWidget* parent) {
    auto* edit = new QLineEdit(qs(text), parent);
    edit->setMaxLength(core::kMaxNameLength);
    return edit;
}

}  // namespace

ProjectInfoDialog::ProjectInfoDialog(const ProjectDetails& details, QWidget* parent)
    : QDialog(parent),
      nameEdit(lineEdit(details.name, this)),
      numberEdit(lineEdit(details.info.number, this)),
      stageBox(new QComboBox(this)),
      companyEdit(lineEdit(details.info.company, this)),
      calculatedByEdit(lineEdit(details.info.calculatedBy, this)),
      checkedByEdit(lineEdit(details.info.checkedBy, this)),
      reviewedByEdit(lineEdit(details.info.reviewedBy, this)),
      approvedByEdit(lineEdit(details.info.approvedBy, this)),
      exportDayButton(new QRadioButton(QStringLiteral("导出当日"), this)),
      fixedDateButton(new QRadioButton(QStringLiteral("指定日期"), this)),
      dateEdit(new QDateEdit(this)),
      scaleBox(new QSpinBox(this)),
      buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(QStringLiteral("工程信息"));

    stageBox->setEditable(true);
    // A stage typed in is the project's alone: it does not join the list.
    stageBox->setInsertPolicy(QComboBox::NoInsert);
    for (const char* stage : kStages) {
        stageBox->addItem(QString::fromUtf8(stage));
    }
    stageBox->lineEdit()->setMaxLength(core::kMaxNameLength);
    // A stage of the list is its item, so that the arrow keys move on from it.
    const QString stage = qs(details.info.stage);
    if (const int item = stageBox->findText(stage); item >= 0) {
        stageBox->setCurrentIndex(item);
    } else {
        stageBox->setEditText(stage);
    }

    for (QLineEdit* signer : {calculatedByEdit, checkedByEdit, reviewedByEdit, approvedByEdit}) {
        signer->setPlaceholderText(QStringLiteral("可不填"));
    }

    // The book is dated the day it is made unless the project names a day of its own.
    auto* dateChoice = new QButtonGroup(this);
    dateChoice->addButton(exportDayButton);
    dateChoice->addButton(fixedDateButton);
    exportDayButton->setToolTip(QStringLiteral("计算书注明导出或打印当天的日期"));
    dateEdit->setCalendarPopup(true);
    dateEdit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    dateEdit->setDateRange(toQDate(io::kEarliestDate), toQDate(io::kLatestDate));
    dateEdit->setDate(details.info.date ? toQDate(*details.info.date) : QDate::currentDate());
    (details.info.date ? fixedDateButton : exportDayButton)->setChecked(true);
    dateEdit->setEnabled(fixedDateButton->isChecked());
    connect(fixedDateButton, &QRadioButton::toggled, dateEdit, &QWidget::setEnabled);
    // The edit's own measure leaves the last digit against the arrow in some fonts.
    dateEdit->setMinimumWidth(dateEdit->sizeHint().width() +
                              2 * dateEdit->fontMetrics().horizontalAdvance(u'0'));
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(exportDayButton);
    dateRow->addSpacing(12);
    dateRow->addWidget(fixedDateButton);
    dateRow->addWidget(dateEdit);
    dateRow->addStretch();

    scaleBox->setRange(core::ProjectInfo::kMinDrawingScale, core::ProjectInfo::kMaxDrawingScale);
    scaleBox->setPrefix(QStringLiteral("1:"));
    scaleBox->setValue(details.info.drawingScale);
    scaleBox->setToolTip(QStringLiteral("平面布置图上灭火器图例和文字的大小按此比例出图"));
    scaleBox->setMinimumWidth(scaleBox->sizeHint().width() +
                              2 * scaleBox->fontMetrics().horizontalAdvance(u'0'));
    auto* scaleRow = new QHBoxLayout;
    scaleRow->addWidget(scaleBox);
    scaleRow->addStretch();

    auto* signatures = new QGroupBox(QStringLiteral("签署"), this);
    auto* signers = new QFormLayout(signatures);
    signers->addRow(QStringLiteral("计算："), calculatedByEdit);
    signers->addRow(QStringLiteral("校对："), checkedByEdit);
    signers->addRow(QStringLiteral("审核："), reviewedByEdit);
    signers->addRow(QStringLiteral("审定："), approvedByEdit);

    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->addRow(QStringLiteral("工程名称："), nameEdit);
    form->addRow(QStringLiteral("工程编号："), numberEdit);
    form->addRow(QStringLiteral("设计阶段："), stageBox);
    form->addRow(QStringLiteral("编制单位："), companyEdit);
    form->addRow(signatures);
    form->addRow(QStringLiteral("计算书日期："), dateRow);
    form->addRow(QStringLiteral("出图比例："), scaleRow);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addWidget(buttons);

    setMinimumWidth(480);
    nameEdit->setFocus();
}

ProjectDetails ProjectInfoDialog::details() const {
    ProjectDetails details;
    details.name = trimmed(nameEdit->text());
    core::ProjectInfo& info = details.info;
    info.number = trimmed(numberEdit->text());
    info.stage = trimmed(stageBox->currentText());
    info.company = trimmed(companyEdit->text());
    info.calculatedBy = trimmed(calculatedByEdit->text());
    info.checkedBy = trimmed(checkedByEdit->text());
    info.reviewedBy = trimmed(reviewedByEdit->text());
    info.approvedBy = trimmed(approvedByEdit->text());
    if (fixedDateButton->isChecked()) {
        info.date = fromQDate(dateEdit->date());
    }
    info.drawingScale = scaleBox->value();
    return details;
}

}  // namespace ui
