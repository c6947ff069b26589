#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tests {

// A case of a table test named as GoogleTest takes it: ASCII letters and digits kept, every run
// of other characters between them one '_'.
inline std::string caseName(std::string_view text) {
    std::string name;
    bool gap = false;
    for (const char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            if (gap && !name.empty()) {
                name += '_';
            }
            name += c;
            gap = false;
        } else {
            gap = true;
        }
    }
    return name;
}

// The same led by the case's place in its table, for cases whose texts may read alike or have
// no letter or digit at all.
inline std::string caseName(std::size_t index, std::string_view text) {
    const std::string name = caseName(text);
    return name.empty() ? std::to_string(index) : std::to_string(index) + "_" + name;
}

}  // namespace tests
