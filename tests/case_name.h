#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tests {

// A case of a table test named as GoogleTest takes it: ASCII letters and digits kept, every run
// of other characters between them one '_'; led by the case's place in its table when given, for
// cases whose texts may read alike or have no letter or digit at all.
inline std::string caseName(std::string_view text, std::size_t index = std::string::npos) {
    std::string name = index == std::string::npos ? "" : std::to_string(index);
    bool gap = !name.empty();
    for (const char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            name += gap && !name.empty() ? std::string{'_', c} : std::string{c};
            gap = false;
        } else {
            gap = true;
        }
    }
    return name;
}

}  // namespace tests
