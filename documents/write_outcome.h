#pragma once

#include <QString>
#include <cstdint>
#include <functional>

namespace documents {

// Told how far a file has been written: `done` of `total` steps. Returning false cancels the
// writing; the file is then left as it was.
using Progress = std::function<bool(int done, int total)>;

enum class WriteStatus : std::uint8_t { Written, Cancelled, Failed };

// How writing a file ended.
struct WriteOutcome {
    WriteStatus status = WriteStatus::Written;
    QString error;  // why it failed, in the user's words, naming the file; only when Failed

    [[nodiscard]] bool written() const { return status == WriteStatus::Written; }
};

}  // namespace documents
