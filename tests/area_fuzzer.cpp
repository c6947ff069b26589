// Feeds arbitrary area texts through the leading-number reader and the whole calculation, for
// every fire class, and checks that columns 4 and 5 only ever hold a message, "-", or number
// texts of the grid's form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

#include "calculator.h"
#include "number_text.h"

namespace {

// Plain number text: "12", "-.5", "24.267", "1.234568E+08"; counts may carry a leading zero.
const std::regex kNumber(R"(-?(0|[1-9][0-9]*)?(\.[0-9]+)?(E[+-][0-9]{2,})?)");

bool isNumberText(const std::string& text) {
    return !text.empty() && text != "-" && std::regex_match(text, kNumber);
}

bool isAreaRating(const std::string& text) {
    const auto open = text.find('(');
    return open != std::string::npos && text.back() == ')' && isNumberText(text.substr(0, open)) &&
           isNumberText(text.substr(open + 1, text.size() - open - 2));
}

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string area(reinterpret_cast<const char*>(data), size);
    (void)core::leadingNumber(area);

    core::Selection sel;
    grid::GridStore fa(core::kGridRows, core::kGridCols);
    core::Calculator calc(sel, fa);
    sel.tx = area;
    for (std::int16_t fireClass : {core::op1::kClassA, core::op1::kClassB}) {
        sel.Op1.select(fireClass);
        for (int r = core::kFirstModelRow; r <= core::kLastModelRow; ++r) {
            const std::string& count = fa.TextMatrix(r, core::kCountCol);
            const std::string& areaRating = fa.TextMatrix(r, core::kAreaRatingCol);
            if (areaRating == core::kAreaOutOfRange || areaRating == core::kAreaNegative) {
                check(count.empty());
                continue;
            }
            check(isAreaRating(areaRating));
            check(count == "-" || isNumberText(count));
        }
    }
    return 0;
}
