#pragma once

#include <QDialog>

#include "project_model.h"

class QComboBox;
class QDateEdit;
class QDialogButtonBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace ui {

// The dialog 工程信息: the name, number, stage and company of the project, the four signatures,
// the book's date (the day of the export, or a date of the user's own) and the layout drawing's
// scale 出图比例 1:n. Each text keeps at most core::kMaxNameLength characters.
class ProjectInfoDialog : public QDialog {
    Q_OBJECT

  public:
    // The stages the stage's box offers; any other may be typed.
    static constexpr const char* kStages[] = {"方案设计", "初步设计", "施工图设计"};

    explicit ProjectInfoDialog(const ProjectDetails& details, QWidget* parent = nullptr);

    // The fields as they are now, texts trimmed.
    [[nodiscard]] ProjectDetails details() const;

    // The widgets, for tests that type into them.
    QLineEdit* nameEdit;
    QLineEdit* numberEdit;
    QComboBox* stageBox;
    QLineEdit* companyEdit;
    QLineEdit* calculatedByEdit;
    QLineEdit* checkedByEdit;
    QLineEdit* reviewedByEdit;
    QLineEdit* approvedByEdit;
    QRadioButton* exportDayButton;
    QRadioButton* fixedDateButton;
    QDateEdit* dateEdit;
    QSpinBox* scaleBox;  // n of 1:n
    QDialogButtonBox* buttons;
};

}  // namespace ui
