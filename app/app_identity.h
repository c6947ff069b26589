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
// system's language, and a window font that covers Chinese.
void useChineseTexts();

}  // namespace app
