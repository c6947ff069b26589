// The program's identity on the desktop: the reverse-DNS id that also names its desktop entry,
// icon and AppStream data, and its icon, a red extinguisher drawn from the SVG built into the
// program. Drawing the SVG needs Qt's SVG plugins at run time; where they are missing, as on
// Windows, the icon is the PNGs that the build drew from the SVG, if the build put them in.
#pragma once

#include <QIcon>

namespace app {

QIcon applicationIcon();

// Gives the running application its desktop id and icon; every window without an icon of its
// own shows this one. Call once the QGuiApplication exists.
void identifyApplication();

// Qt's own texts (message box buttons, context menus) in Simplified Chinese whatever the
// system's language, and a window font that covers Chinese. Qt's translations are read from Qt's
// own folder, else from the folder "translations" beside the program.
void useChineseTexts();

// Called before the application object exists: the dates in Qt's own dialogs (the file dialog's
// 修改日期) follow the system's time locale, which QLocale::setDefault() leaves alone. Outside
// Windows, it makes the process's time locale (LC_TIME) Simplified Chinese unless it is already,
// keeping every other category as it was (an LC_ALL given is passed on as LANG). Windows shows
// the dates as the user's regional settings have them.
void useChineseDates();

}  // namespace app
