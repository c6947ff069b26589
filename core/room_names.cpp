#include "room_names.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "project.h"

namespace core {

namespace {

// The characters of UTF-8 text; a byte that starts no character is U+FFFD.
std::u32string decoded(std::string_view text) {
    std::u32string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        bool sound = (lead < 0x80 || lead >= 0xC2) && lead < 0xF5 && i + length <= text.size();
        for (std::size_t k = 1; sound && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            sound = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        result.push_back(sound ? c : U'\uFFFD');
        i += sound ? length : 1;
    }
    return result;
}

std::string encoded(std::u32string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char32_t c : text) {
        if (c < 0x80) {
            result.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            result.push_back(static_cast<char>(0xC0 | (c >> 6)));
            result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            result.push_back(static_cast<char>(0xE0 | (c >> 12)));
            result.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            result.push_back(static_cast<char>(0xF0 | (c >> 18)));
            result.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return result;
}

// White space as Unicode has it: the controls \t to \r, U+0085 and the separators (Zs, Zl, Zp).
bool isSpace(char32_t c) {
    return c == U' ' || (c >= U'\t' && c <= U'\r') || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// The character as case folding leaves it, for the characters that fold to a Latin letter.
char32_t folded(char32_t c) {
    if (c >= U'A' && c <= U'Z') {
        return c - U'A' + U'a';
    }
    if (c == 0x017F) {  // ſ
        return U's';
    }
    return c == 0x212A ? U'k' : c;  // the Kelvin sign
}

std::u32string foldedText(std::string_view text) {
    std::u32string result = decoded(text);
    std::ranges::transform(result, result.begin(), folded);
    return result;
}

// The text without white space at its ends.
std::u32string_view trimmed(std::u32string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Reads an area label from the front of a line, one part after the other.
class LabelReader {
  public:
    explicit LabelReader(std::u32string_view line) : rest_(line) {}

    [[nodiscard]] bool atEnd() const { return rest_.empty(); }
    // Takes one of the characters (compared as case folding leaves them).
    bool takeOneOf(std::u32string_view characters) {
        if (!rest_.empty() && characters.find(folded(rest_.front())) != std::u32string_view::npos) {
            rest_.remove_prefix(1);
            return true;
        }
        return false;
    }
    // Takes the word (compared as case folding leaves it).
    bool take(std::u32string_view word) {
        if (rest_.size() < word.size() ||
            !std::ranges::equal(rest_.substr(0, word.size()), word, {}, folded)) {
            return false;
        }
        rest_.remove_prefix(word.size());
        return true;
    }
    // Takes ASCII white space and digits; how many.
    std::size_t takeSpaces() {
        return takeWhile([](char32_t c) { return c == U' ' || (c >= U'\t' && c <= U'\r'); });
    }
    std::size_t takeDigits() {
        return takeWhile([](char32_t c) { return c >= U'0' && c <= U'9'; });
    }

    // The part that follows, or nothing where it does not.
    template <typename Part>
    bool attempt(Part part) {
        const std::u32string_view before = rest_;
        if (part()) {
            return true;
        }
        rest_ = before;
        return false;
    }

  private:
    template <typename Test>
    std::size_t takeWhile(Test test) {
        const auto end = std::ranges::find_if_not(rest_, test);
        const auto count = static_cast<std::size_t>(end - rest_.begin());
        rest_.remove_prefix(count);
        return count;
    }

    std::u32string_view rest_;
};

bool contains(std::u32string_view text, std::u32string_view word) {
    return text.find(word) != std::u32string_view::npos;
}

}  // namespace

bool isRoomLayerName(std::string_view name) {
    static constexpr std::u32string_view kRoomWords[] = {U"房间", U"面积", U"room", U"area"};
    static constexpr std::u32string_view kOtherWords[] = {
        U"column", U"柱",   U"wall", U"墙",   U"axis", U"轴",    U"dim",
        U"标注",   U"text", U"文字", U"furn", U"家具", U"hatch", U"填充"};
    const std::u32string folded = foldedText(name);
    const auto holds = [&folded](std::u32string_view word) { return contains(folded, word); };
    return std::ranges::any_of(kRoomWords, holds) && std::ranges::none_of(kOtherWords, holds);
}

bool isWallLayerName(std::string_view name) {
    static constexpr std::u32string_view kWords[] = {U"wall", U"墙", U"column", U"柱"};
    const std::u32string folded = foldedText(name);
    return std::ranges::any_of(
        kWords, [&folded](std::u32string_view word) { return contains(folded, word); });
}

bool isDoorName(std::string_view name) {
    const std::u32string folded = foldedText(name);
    if (contains(folded, U"门") || contains(folded, U"door")) {
        return true;
    }
    for (std::size_t at = folded.find(U"dor"); at != std::u32string::npos;
         at = folded.find(U"dor", at + 1)) {
        if (at == 0 || folded[at - 1] < U'a' || folded[at - 1] > U'z') {
            return true;
        }
    }
    return false;
}

bool isAreaLabel(std::string_view line) {
    const std::u32string text = decoded(line);
    LabelReader reader(trimmed(text));
    reader.takeOneOf(U"(（[");
    reader.takeSpaces();
    const bool prefix = reader.attempt([&reader] {
        if (reader.takeOneOf(U"sa")) {
            reader.takeSpaces();
            return reader.takeOneOf(U":：=");
        }
        for (const std::u32string_view kind : {U"建筑", U"使用", U"套内", U"房间"}) {
            if (reader.take(kind)) {
                break;
            }
        }
        if (!reader.take(U"面积")) {
            return false;
        }
        reader.takeSpaces();
        reader.takeOneOf(U":：=");
        return true;
    });
    reader.takeSpaces();
    if (reader.takeDigits() == 0) {
        return false;
    }
    const bool decimals = reader.takeOneOf(U".,");
    reader.takeDigits();
    const bool unit = reader.attempt([&reader] {
        reader.takeSpaces();
        if (reader.take(U"sq")) {
            reader.takeOneOf(U".");
            reader.takeSpaces();
            return reader.take(U"m");
        }
        return reader.take(U"m2") || reader.take(U"m²") || reader.take(U"㎡") ||
               reader.take(U"平方米") || reader.take(U"平米");
    });
    reader.takeSpaces();
    reader.takeOneOf(U")）]");
    return reader.atEnd() && (prefix || decimals || unit);
}

std::string roomNameOf(std::string_view text) {
    std::u32string name;
    bool space = false;  // white space waits for the next character
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (isAreaLabel(line)) {
            continue;
        }
        space = !name.empty();  // lines apart by a space
        for (const char32_t c : decoded(line)) {
            if (isSpace(c)) {
                space = !name.empty();
                continue;
            }
            if (space) {
                name.push_back(U' ');
                space = false;
            }
            name.push_back(c);
        }
    }
    // Cut in UTF-16 code units, a character beyond U+FFFF two of them.
    std::size_t units = 0;
    const auto cut = std::ranges::find_if(name, [&units](char32_t c) {
        units += c > 0xFFFF ? 2 : 1;
        return units > static_cast<std::size_t>(kMaxNameLength);
    });
    name.erase(cut, name.end());
    return encoded(name);
}

bool isVoidName(std::string_view name) {
    return name.find("上空") != std::string_view::npos ||
           name.find("中庭") != std::string_view::npos ||
           name.find("管井") != std::string_view::npos ||
           name.find("电梯井") != std::string_view::npos || name.ends_with("柱") ||
           name.ends_with("井");
}

bool isCirculationName(std::string_view name) {
    constexpr std::array<std::string_view, 10> kWords{"走廊", "走道",   "过道",   "门厅", "大厅",
                                                      "前室", "楼梯间", "电梯厅", "通道", "廊"};
    return std::ranges::any_of(kWords, [name](std::string_view word) {
        return name.find(word) != std::string_view::npos;
    });
}

}  // namespace core
