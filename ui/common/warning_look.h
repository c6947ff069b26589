#pragma once

#include <QColor>

class QWidget;

// How an input box shows that it did not take what was typed as it was typed: the area box
// while only the start of its text is read, the number of setting points for a moment after a
// refused keystroke.
namespace ui {

// The warning colour: light amber.
inline const QColor kWarningColor{255, 236, 179};

// Gives the box a light amber base (255, 236, 179), or its parent's look again.
void setWarningLook(QWidget* box, bool warning);

// The warning look for a moment; another flash while one shows makes it last from then.
void flashWarningLook(QWidget* box);

}  // namespace ui
