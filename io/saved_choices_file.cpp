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
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "file_commit.h"
#include "file_errors.h"
#include "utf8_text.h"

namespace io {

namespace {

// A setting's text; a hand-edited value with commas comes back from an INI file as a list.
QString settingText(const QSettings& settings, const QString& key, const QString& fallback) {
    const QVariant value = settings.value(key, fallback);
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

// The saved choices' store: the application "narwe", its section "tool\torva" (a group of the
// INI file, a key of the registry), the area, the check box.
constexpr auto kSettingsApplication = "narwe";
constexpr auto kSettingsGroup = "tool/torva";
constexpr auto kAreaKey = "tx";
constexpr auto kCheckKey = "check";

// A saved option: its key, "op" followed by the index for `Op`(i) or by 10 + i for `Op1`(i),
// and the choice it stands for.
struct OptionKey {
    const char* name;
    core::ChoiceKind kind;
    std::uint8_t value;
};

template <typename Enum>
constexpr OptionKey key(const char* name, core::ChoiceKind kind, Enum value) {
    return {name, kind, static_cast<std::uint8_t>(value)};
}

// The option keys in the order the window reads them: Op1(i) and Op(i) for i up to 7, then the
// rest of Op1.
using enum core::ChoiceKind;
const std::array<OptionKey, 21> kOptionKeys = {
    key("op10", FireClass, core::FireClass::A),
    key("op0", Agent, core::Agent::CarbonDioxide),
    key("op11", FireClass, core::FireClass::B),
    key("op1", Agent, core::Agent::Water),
    key("op12", FireClass, core::FireClass::C),
    key("op2", Agent, core::Agent::SodiumBicarbonatePowder),
    key("op13", Hazard, core::Hazard::Light),
    key("op3", Agent, core::Agent::Foam),
    key("op14", Hazard, core::Hazard::Medium),
    key("op4", Agent, core::Agent::AmmoniumPhosphatePowder),
    key("op15", Hazard, core::Hazard::Serious),
    key("op5", Agent, core::Agent::Halon1211),
    key("op16", Factor, core::Factor::K10),
    key("op6", Building, core::Building::EntertainmentOrUnderground),
    key("op17", Factor, core::Factor::K09),
    key("op7", Building, core::Building::AboveGround),
    key("op18", Factor, core::Factor::K07),
    key("op19", Factor, core::Factor::K05),
    key("op20", FireClass, core::FireClass::D),
    key("op21", FireClass, core::FireClass::E),
    key("op22", Factor, core::Factor::K03),
};

QString booleanText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::string_view trimmed(std::string_view text) {
    const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The whole text as a decimal number, or empty.
std::optional<double> wholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
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

std::optional<bool> booleanFromText(std::string_view text) {
    text = trimmed(text);
    if (equalsIgnoringCase(text, "True")) {
        return true;
    }
    if (equalsIgnoringCase(text, "False")) {
        return false;
    }
    if (const auto number = wholeNumber(text)) {
        return *number != 0;
    }
    return std::nullopt;
}

std::optional<int> checkFromText(std::string_view text) {
    const auto number = wholeNumber(trimmed(text));
    if (number && (*number == 0 || *number == 1)) {
        return static_cast<int>(*number);
    }
    return std::nullopt;
}

std::unique_ptr<QSettings> openSettings() {
    return std::make_unique<QSettings>(settingsFormat(), QSettings::UserScope,
                                       QLatin1StringView(kSettingsApplication));
}

SavedChoices loadSavedChoices() {
    auto settings = openSettings();
    settings->beginGroup(QLatin1StringView(kSettingsGroup));
    SavedChoices saved;
    std::array<std::optional<std::uint8_t>, core::kChoiceKinds> chosen;
    for (int kind = 0; kind < core::kChoiceKinds; ++kind) {
        chosen.at(static_cast<std::size_t>(kind)) =
            core::choiceValue(saved.choices, static_cast<core::ChoiceKind>(kind));
    }
    saved.area = settingText(*settings, QLatin1StringView(kAreaKey), saved.area);
    for (const OptionKey& key : kOptionKeys) {
        auto& choice = chosen.at(static_cast<std::size_t>(key.kind));
        const bool isSelected = choice == key.value;
        const auto value = booleanFromText(
            settingText(*settings, QLatin1StringView(key.name), booleanText(isSelected))
                .toStdString());
        // Class D never stays selected, so a stored one was not written by the window.
        if (!value || (*value && key.kind == core::ChoiceKind::FireClass &&
                       key.value == static_cast<std::uint8_t>(core::FireClass::D))) {
            qWarning("Saved choice %s is unreadable and was skipped", key.name);
            continue;
        }
        if (*value) {
            choice = key.value;
        } else if (isSelected) {
            choice.reset();
        }
    }
    for (int kind = 0; kind < core::kChoiceKinds; ++kind) {
        if (const auto& choice = chosen.at(static_cast<std::size_t>(kind))) {
            core::setChoiceValue(saved.choices, static_cast<core::ChoiceKind>(kind), *choice);
        } else {
            saved.unchosen.push_back(static_cast<core::ChoiceKind>(kind));
        }
    }
    // An unreadable value leaves the box ticked, so the next close writes good values back.
    const auto check = checkFromText(
        settingText(*settings, QLatin1StringView(kCheckKey), QStringLiteral("1")).toStdString());
    saved.keep = check.value_or(1) == 1;
    return saved;
}

std::optional<SaveFailure> saveChoices(const SavedChoices& choices) {
    return changeSettings([&choices](QSettings& settings) {
        settings.beginGroup(QLatin1StringView(kSettingsGroup));
        if (choices.keep) {
            settings.setValue(QLatin1StringView(kAreaKey), choices.area);
            for (const OptionKey& key : kOptionKeys) {
                const bool selected = core::choiceValue(choices.choices, key.kind) == key.value;
                settings.setValue(QLatin1StringView(key.name), booleanText(selected));
            }
        }
        settings.setValue(QLatin1StringView(kCheckKey),
                          choices.keep ? QStringLiteral("1") : QStringLiteral("0"));
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
