#pragma once

#include <QString>
#include <optional>

class QFile;

namespace io {

// Opens a file the user names for reading, only when it is a plain file: a named pipe, a device
// or a socket (also behind a link) would keep the reader waiting or reading for ever. The file
// is opened without waiting and checked on the open handle, so that nothing can take its place
// between the check and the reading. A Chinese reason, without the file's name, when it is not
// opened.
[[nodiscard]] std::optional<QString> openRegularFile(QFile& file);

}  // namespace io
