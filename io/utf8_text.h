#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

// Texts between core, which keeps them as UTF-8 in std::string, and Qt's QString.
namespace io {

// A UTF-8 text as a QString.
[[nodiscard]] QString qs(std::string_view text);
// A QString as UTF-8; a lone surrogate becomes a replacement character.
[[nodiscard]] std::string utf8(const QString& text);
// The text as UTF-8 where it comes through unchanged; none where it holds a lone surrogate (as a
// JSON "\ud800" may), which would silently turn into a replacement character.
[[nodiscard]] std::optional<std::string> wholeUtf8(const QString& text);

}  // namespace io
