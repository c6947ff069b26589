#include "saved_choices_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QRandomGenerator>
#include <QSettings>
#include <QtDebug>
#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "file_commit.h"
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

constexpr int kLockWaitMs = 10000;

// A name beside the settings file that no other file has, ending in `.suffix`.
QString stagingName(const QString& fileName, const QString& suffix) {
    QString name;
    do {
        name = QStringLiteral("%1.%2.%3")
                   .arg(fileName)
                   .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
                   .arg(suffix);
    } while (QFileInfo::exists(name));
    return name;
}

// Whether a value read back from the INI file is the one written: the file keeps texts, so a
// number comes back as its text, a list of one text as the text and an empty list as nothing.
bool sameSetting(const QVariant& read, const QVariant& written) {
    if (read == written) {
        return true;
    }
    const auto text = [](const QVariant& value) {
        return value.typeId() == QMetaType::QStringList
                   ? value.toStringList().join(QLatin1Char(','))
                   : value.toString();
    };
    return text(read) == text(written);
}

// The store the settings are kept in: the registry on Windows, unless the INI format was made
// the default (as the tests do, to keep the settings in a folder of their own); an INI file
// elsewhere.
QSettings::Format settingsFormat() {
#ifdef Q_OS_WIN
    return QSettings::defaultFormat() == QSettings::IniFormat ? QSettings::IniFormat
                                                              : QSettings::NativeFormat;
#else
    return QSettings::IniFormat;
#endif
}

// QSettings writes the registry itself, value by value.
std::optional<SaveFailure> changeRegistry(const std::function<void(QSettings&)>& change) {
    auto settings = openSettings();
    change(*settings);
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        return SaveFailure{settings->fileName(), writeFailureReason(settings->fileName())};
    }
    return std::nullopt;
}

std::optional<SaveFailure> changeIniFile(const std::function<void(QSettings&)>& change);

}  // namespace

std::unique_ptr<QSettings> openSettings() {
    return std::make_unique<QSettings>(settingsFormat(), QSettings::UserScope,
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
    return changeSettings([&choices](QSettings& settings) {
        settings.beginGroup(settingsGroup());
        const auto save = [&settings](const std::string& key, const std::string& text) {
            settings.setValue(qs(key), qs(text));
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
        settings.endGroup();
    });
}

std::optional<SaveFailure> changeSettings(const std::function<void(QSettings&)>& change) {
    return settingsFormat() == QSettings::NativeFormat ? changeRegistry(change)
                                                       : changeIniFile(change);
}

namespace {

std::optional<SaveFailure> changeIniFile(const std::function<void(QSettings&)>& change) {
    QString fileName = withoutLongPathPrefix(openSettings()->fileName());
    // A settings file reached through a link is replaced where it lies, as QSettings writes it.
    if (const QFileInfo link(fileName); link.isSymLink() && link.exists()) {
        fileName = link.canonicalFilePath();
    }
    const QString folder = QFileInfo(fileName).absolutePath();
    qint64 expectedSize = 0;
    const auto failed = [&](int systemError) {
        return SaveFailure{fileName,
                           writeFailureReason(fileName, QFileDevice::WriteError, systemError)};
    };
    // A copy that came out short says only that the write failed; a scratch write of its size
    // tells why.
    const auto failedSilently = [&] {
        return failed(writeErrorIn(folder, std::max<qint64>(expectedSize, 4096)));
    };
    errno = 0;
    if (!QDir().mkpath(folder)) {
        return failed(errno);
    }
    // The lock QSettings takes while it writes the file: no other instance writes it between
    // the reading here and the renaming.
    QLockFile lock(fileName + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs)) {
        return failedSilently();
    }
    const QString staging = stagingName(fileName, QStringLiteral("new"));
    QMap<QString, QVariant> expected;
    bool written = false;
    {
        const QSettings current(fileName, QSettings::IniFormat);
        QSettings copy(staging, QSettings::IniFormat);
        for (const QString& key : current.allKeys()) {
            copy.setValue(key, current.value(key));
        }
        change(copy);
        while (!copy.group().isEmpty()) {
            copy.endGroup();
        }
        for (const QString& key : copy.allKeys()) {
            const QVariant value = copy.value(key);
            expectedSize += key.size() + settingText(copy, key, {}).toUtf8().size() + 4;
            expected.insert(key, value);
        }
        copy.sync();
        written = copy.status() == QSettings::NoError;
    }
    // Read back from the disk under another name: QSettings keeps what it wrote to a file and
    // would answer from there, however short the file came out.
    const QString checked = stagingName(fileName, QStringLiteral("checked"));
    if (written && !replaceFile(staging, checked)) {
        QFile::remove(staging);
        return failed(errno);
    }
    if (written) {
        const QSettings check(checked, QSettings::IniFormat);
        written = check.status() == QSettings::NoError && check.allKeys().size() == expected.size();
        for (auto i = expected.cbegin(); written && i != expected.cend(); ++i) {
            written = sameSetting(check.value(i.key()), i.value());
        }
    }
    if (!written) {
        QFile::remove(staging);
        QFile::remove(checked);
        return failedSilently();
    }
    if (QFileInfo::exists(fileName)) {
        QFile::setPermissions(checked, QFile::permissions(fileName));
    }
    errno = 0;
    if (!syncToDisk(checked) || !replaceFile(checked, fileName)) {
        const int systemError = errno;
        QFile::remove(checked);
        return failed(systemError);
    }
    return std::nullopt;
}

}  // namespace

}  // namespace io
