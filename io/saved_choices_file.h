#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "choices.h"

class QSettings;

// The calculator window's saved choices: the 23 keys of the section "tool\torva" of the
// application "narwe" (the area, every option "True"/"False", and the check box "1"/"0").
namespace io {

// Where the saved choices live: the registry on Windows, an INI file in the user's
// configuration folder elsewhere. Tests keep them in INI files on every system (on Windows by
// making QSettings::IniFormat the default) and move those with QSettings::setPath. Other settings
// (the last export folder, recent files) share the store in groups of their own.
[[nodiscard]] std::unique_ptr<QSettings> openSettings();

struct SavedChoices {
    core::Choices choices;  // but its area: the area box's text is kept as typed
    QString area = QStringLiteral("1000");
    bool keep = true;  // "保存当前数据退出": the choices are saved when the window closes
    // The kinds of choice that the keys left without one, which keep their first-start choice.
    std::vector<core::ChoiceKind> unchosen;
};

// The saved choices as the window restores them: the keys are read in the window's order, a
// "True" selects its option and a "False" clears it, so that of several options of a group
// stored "True" the one read later wins. Unreadable values are skipped (and so is a stored
// class D, which the window never keeps); a kind left without a choice gets its first-start
// choice.
[[nodiscard]] SavedChoices loadSavedChoices();

// A saved option's text: "True" and "False" in any letter case, or a number (zero is false, any
// other true). Empty: the text cannot be read as a Boolean.
[[nodiscard]] std::optional<bool> booleanFromText(std::string_view text);
// The check box's text, 0 or 1; empty for anything else.
[[nodiscard]] std::optional<int> checkFromText(std::string_view text);

struct SaveFailure {
    QString where;   // the settings file
    QString reason;  // why, as far as the file system tells
};

// Makes `change` to the settings and writes them. QSettings writes the registry itself. An INI
// file is replaced whole, and only by a copy that was written beside it and
// read back key by key, so that a full disk or any other failed write leaves the old file as it
// was (QSettings's own writing of the file would leave it empty and report no error).
[[nodiscard]] std::optional<SaveFailure> changeSettings(
    const std::function<void(QSettings&)>& change);
// Writes the check box state, and the choices when it is ticked. Only a failed write counts:
// a damaged file read on the way is rewritten whole.
[[nodiscard]] std::optional<SaveFailure> saveChoices(const SavedChoices& choices);

}  // namespace io
