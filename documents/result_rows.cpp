#include "result_rows.h"

#include <array>
#include <string>

#include "catalogue.h"
#include "number_text.h"

namespace documents {

namespace {

constexpr std::array<std::string_view, kResultCols> kHeadings = {
    "    ", "灭火剂充装量(L)/(kg)", "灭火器类型规格代码", "", "灭火器数量", "场所灭火级别",
};

// The rating column's heading names the fire class; class E has the heading of class C.
std::string ratingHeading(core::FireClass fireClass) {
    const core::FireClass named = fireClass == core::FireClass::E ? core::FireClass::C : fireClass;
    return std::string("灭火级别 (") + core::fireClassLetter(named) + "类 )";
}

// Column 5: N, then Q to three decimals in parentheses, both in the plain form ("1(.13)").
std::string areaRatingText(const core::Result& result) {
    if (result.required) {
        return core::plainText(static_cast<float>(result.required->whole)) + "(" +
               core::plainText(result.required->rounded) + ")";
    }
    return std::string(result.fault == core::AreaFault::Negative ? kAreaNegative : kAreaOutOfRange);
}

std::string countText(const core::Result& result, const core::ModelResult& row) {
    if (!result.required) {
        return {};
    }
    return row.count ? core::zf(*row.count) : "-";
}

}  // namespace

std::vector<std::vector<std::string>> resultRows(const core::Result& result) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> headings(kHeadings.begin(), kHeadings.end());
    headings[kRatingCol] = ratingHeading(result.fireClass);
    rows.push_back(std::move(headings));
    const std::string areaRating = areaRatingText(result);
    for (const core::ModelResult& row : result.rows) {
        rows.push_back({std::string(core::mountLabel(row.model->mount)),
                        std::string(row.model->charge), std::string(row.model->code),
                        std::string(row.ratingText), countText(result, row), areaRating});
    }
    return rows;
}

}  // namespace documents
