#include "saved_choices_file.h"

#include <QSettings>
#include <QtDebug>

#include "file_errors.h"
#include "saved_choices.h"

namespace io {

namespace {

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

struct Key {
    bool fireArray;  // Op1, else Op
    std::int16_t index;
    int group;
};

// The option keys in the order the window reads them: Op1(i) and Op(i) for i up to 7, then the
// rest of Op1.
std::vector<Key> keysInOrder() {
    const auto groupOf = [](const auto& options, std::int16_t index) {
        for (const core::OptionSpec& o : options) {
            if (o.index == index) {
                return o.group;
            }
        }
        return -1;
    };
    std::vector<Key> keys;
    for (std::int16_t i = 0; i <= 7; ++i) {
        keys.push_back({true, i, groupOf(core::kOp1Options, i)});
        keys.push_back({false, i, groupOf(core::kOpOptions, i)});
    }
    for (std::int16_t i = 8; i <= 12; ++i) {
        keys.push_back({true, i, groupOf(core::kOp1Options, i)});
    }
    return keys;
}

std::string keyName(const Key& key) {
    return key.fireArray ? core::op1Key(key.index) : core::opKey(key.index);
}

}  // namespace

std::unique_ptr<QSettings> openSettings() {
#ifdef Q_OS_WIN
    const QSettings::Format format = QSettings::NativeFormat;
#else
    const QSettings::Format format = QSettings::IniFormat;
#endif
    return std::make_unique<QSettings>(format, QSettings::UserScope,
                                       qs(core::kSettingsApplication));
}

SavedChoices loadSavedChoices() {
    auto settings = openSettings();
    settings->beginGroup(settingsGroup());
    SavedChoices saved;
    std::array<std::optional<std::int16_t>, core::kGroups> selected;
    for (int group = 0; group < core::kGroups; ++group) {
        selected.at(static_cast<std::size_t>(group)) = core::firstStartChoice(group);
    }
    saved.area = settingText(*settings, qs(core::kAreaKey), saved.area);
    for (const Key& key : keysInOrder()) {
        auto& choice = selected.at(static_cast<std::size_t>(key.group));
        const std::string name = keyName(key);
        const bool isSelected = choice == key.index;
        const auto value = core::booleanFromText(
            settingText(*settings, qs(name), qs(core::booleanText(isSelected))).toStdString());
        // Class D never stays selected, so a stored one was not written by the window.
        if (!value || (*value && key.fireArray && key.index == core::op1::kClassD)) {
            qWarning("Saved choice %s is unreadable and was skipped", name.c_str());
            continue;
        }
        if (*value) {
            choice = key.index;
        } else if (isSelected) {
            choice.reset();
        }
    }
    for (int group = 0; group < core::kGroups; ++group) {
        const auto& choice = selected.at(static_cast<std::size_t>(group));
        if (choice) {
            saved.selected.at(static_cast<std::size_t>(group)) = *choice;
            continue;
        }
        const std::int16_t fallback = core::firstStartChoice(group);
        qWarning("Saved choices select nothing in %s; option %d is selected",
                 core::kGroupCaptions.at(static_cast<std::size_t>(group)), fallback);
        saved.selected.at(static_cast<std::size_t>(group)) = fallback;
    }
    // An unreadable value leaves the box ticked, so the next close writes good values back.
    const auto check = core::checkFromText(
        settingText(*settings, qs(core::kCheckKey), QStringLiteral("1")).toStdString());
    saved.keep = check.value_or(1) == 1;
    return saved;
}

std::optional<SaveFailure> saveChoices(const SavedChoices& choices) {
    auto settings = openSettings();
    settings->beginGroup(settingsGroup());
    const auto save = [&settings](const std::string& key, const std::string& text) {
        settings->setValue(qs(key), qs(text));
    };
    if (choices.keep) {
        save(std::string(core::kAreaKey), choices.area.toStdString());
        for (const Key& key : keysInOrder()) {
            const bool selected =
                choices.selected.at(static_cast<std::size_t>(key.group)) == key.index;
            save(keyName(key), core::booleanText(selected));
        }
    }
    save(std::string(core::kCheckKey), choices.keep ? "1" : "0");
    settings->sync();
    if (settings->status() == QSettings::AccessError) {
        return SaveFailure{settings->fileName(), io::writeFailureReason(settings->fileName())};
    }
    return std::nullopt;
}

}  // namespace io
