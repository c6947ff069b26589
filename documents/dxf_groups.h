#pragma once

#include <QByteArray>
#include <QStringView>
#include <cstdint>
#include <string_view>

// The groups of an ASCII DXF file, each a code and a value on lines of their own, written the same
// on every system: numbers without the locale, each real as its decimal digits to 1e-9, texts in
// a code page.
namespace documents {

// The longest text value written, in bytes: older CAD programs cut longer ones.
constexpr qsizetype kMaxDxfTextBytes = 250;

class DxfGroups {
  public:
    explicit DxfGroups(int codePage) : codePage_(codePage) {}

    // A value of ASCII characters as it is.
    void add(int code, std::string_view ascii);
    // A text in the code page: a character that it cannot hold as '?', a line break or other
    // control character as a space, and cut at the last whole character within kMaxDxfTextBytes.
    void text(int code, QStringView text);
    void integer(int code, std::int64_t value);
    void real(int code, double value);
    // x and y under `code` and code + 10; with `z`, also 0 under code + 20.
    void point(double x, double y, int code = 10, bool z = true);
    void handle(int code, std::uint32_t handle);

    [[nodiscard]] const QByteArray& bytes() const { return bytes_; }

  private:
    void value(int code, QByteArrayView value);

    int codePage_;
    QByteArray bytes_;
};

// A real as DXF files write it: its digits rounded to 1e-9, without trailing zeros but with one
// after the point ("12.5", "0.0", "-3.0"); no "-0.0".
[[nodiscard]] QByteArray dxfReal(double value);
// A handle as DXF files write it: hexadecimal, upper case.
[[nodiscard]] QByteArray dxfHandle(std::uint32_t handle);

}  // namespace documents
