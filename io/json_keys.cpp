#include "json_keys.h"

#include <QSet>

namespace io {

namespace {

struct Container {
    bool object = false;
    JsonStep step;       // how the container is reached from its parent
    QSet<QString> keys;  // an object's keys so far
    QString lastKey;     // an object's key whose value comes next
    bool expectingKey = false;
    qsizetype items = 0;  // an array's items so far
};

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads the string that starts at json[at] (its opening quote) and leaves `at` after its closing
// quote. The decoded text goes to `text` when it is given.
void readString(QByteArrayView json, qsizetype& at, QString* text) {
    ++at;
    qsizetype run = at;  // the start of the bytes taken as they are
    const auto takeRun = [&](qsizetype end) {
        if (text != nullptr && end > run) {
            text->append(QString::fromUtf8(json.sliced(run, end - run)));
        }
    };
    while (at < json.size()) {
        const char c = json[at];
        if (c == '"') {
            takeRun(at);
            ++at;
            return;
        }
        if (c != '\\') {
            ++at;
            continue;
        }
        takeRun(at);
        if (at + 1 >= json.size()) {
            at = json.size();
            return;
        }
        const char escaped = json[at + 1];
        at += 2;
        char16_t unit = 0;
        switch (escaped) {
            case 'b':
                unit = u'\b';
                break;
            case 'f':
                unit = u'\f';
                break;
            case 'n':
                unit = u'\n';
                break;
            case 'r':
                unit = u'\r';
                break;
            case 't':
                unit = u'\t';
                break;
            case 'u':
                for (int i = 0; i < 4 && at < json.size(); ++i, ++at) {
                    const int digit = hexValue(json[at]);
                    unit = static_cast<char16_t>(unit * 16 + (digit < 0 ? 0 : digit));
                }
                break;
            default:  // \" \\ \/
                unit = static_cast<char16_t>(static_cast<unsigned char>(escaped));
                break;
        }
        if (text != nullptr) {
            text->append(QChar(unit));
        }
        run = at;
    }
}

}  // namespace

std::optional<DuplicateKey> firstDuplicateKey(QByteArrayView json) {
    std::vector<Container> open;
    // Where a value that starts now is reached from the innermost container.
    const auto stepHere = [&open]() {
        if (open.empty()) {
            return JsonStep{};
        }
        const Container& inner = open.back();
        return inner.object ? JsonStep{inner.lastKey, -1} : JsonStep{{}, inner.items};
    };
    qsizetype at = 0;
    while (at < json.size()) {
        const char c = json[at];
        switch (c) {
            case '{':
            case '[': {
                Container container;
                container.object = c == '{';
                container.step = stepHere();
                container.expectingKey = container.object;
                open.push_back(std::move(container));
                ++at;
                break;
            }
            case '}':
            case ']':
                if (!open.empty()) {
                    open.pop_back();
                }
                ++at;
                break;
            case ',':
                if (!open.empty()) {
                    Container& inner = open.back();
                    inner.expectingKey = inner.object;
                    inner.items += inner.object ? 0 : 1;
                }
                ++at;
                break;
            case ':':
                if (!open.empty()) {
                    open.back().expectingKey = false;
                }
                ++at;
                break;
            case '"':
                if (!open.empty() && open.back().object && open.back().expectingKey) {
                    Container& inner = open.back();
                    QString key;
                    readString(json, at, &key);
                    if (inner.keys.contains(key)) {
                        DuplicateKey duplicate{key, {}};
                        for (std::size_t i = 1; i < open.size(); ++i) {
                            duplicate.where.push_back(open[i].step);
                        }
                        return duplicate;
                    }
                    inner.keys.insert(key);
                    inner.lastKey = std::move(key);
                    inner.expectingKey = false;
                } else {
                    readString(json, at, nullptr);
                }
                break;
            default:  // white space, numbers, true, false, null
                ++at;
                break;
        }
    }
    return std::nullopt;
}

}  // namespace io
