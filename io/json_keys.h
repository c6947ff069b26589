#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

// QJsonDocument keeps the last of two members with one key and says nothing, so that a file with
// "area": 1500 and "area": 99999 in one unit would load the second. The project file's reader
// looks for such keys in the JSON text itself.
namespace io {

// A step from the outermost value to an object: a member's key, or an array's item.
struct JsonStep {
    QString key;           // when index is -1
    qsizetype index = -1;  // the item's place in its array, from 0
};

struct DuplicateKey {
    QString key;                  // as decoded, escapes resolved
    std::vector<JsonStep> where;  // the object that holds it; empty: the outermost object
};

// The first key that stands twice in one object of `json`, comparing keys as decoded ("are\u0061"
// is "area"). Meant for text that is valid JSON; anything else gives no wrong answer it could be
// trusted with, but it is read to its end without harm.
[[nodiscard]] std::optional<DuplicateKey> firstDuplicateKey(QByteArrayView json);

}  // namespace io
