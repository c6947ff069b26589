#pragma once

#include <QString>
#include <QStyledItemDelegate>
#include <functional>
#include <optional>

namespace ui {

// The area as the project's table takes it: a finite number from 0 to core::kMaxUnitArea, in
// full-width or ASCII digits, with an optional trailing "m2", "m²", "㎡" or "平方米". Empty when
// the text is refused; `problem` then says why.
[[nodiscard]] std::optional<double> unitArea(const QString& text, QString* problem = nullptr);

// The editors of the project's table: combo boxes offering only what the unit can take (the
// agents its fire class allows, the models adequate for it, "自动" for the default model), a line
// edit for the area that refuses, visibly, a text that is not wholly a number, a line edit for N
// where an empty box puts back the estimate, and line edits for the name and the location that
// take at most core::kMaxNameLength characters. A line edit whose text is the one it was given
// changes nothing: the area keeps every digit it had.
class UnitDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    // Why the editor's text cannot be taken (an area that is not wholly a number), shown on the
    // editor as Enter shows it; empty when it can be taken.
    static QString showRefusal(QWidget* editor);

    // When set, takes the choice made in a combo box (the item's data) in place of the model's
    // setData(): the window gives it to every selected row.
    std::function<void(const QModelIndex& index, const QVariant& value, const QString& text)>
        takeChoice;

  protected:
    // Keeps the area's editor open on Enter or Tab while its text is refused.
    bool eventFilter(QObject* object, QEvent* event) override;
};

}  // namespace ui
