// Feeds arbitrary area texts through the leading-number reader and the whole calculation, for
// class A and class B: the area gives a required rating with a count, in the number texts' form,
// for every rated model, or gives none and says why.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>

#include "calculation.h"
#include "number_text.h"
#include "setting_points.h"

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

// Plain number text: "12", "-.5", "24.267", "1.234568E+08"; counts may carry a leading zero.
void checkNumberText(const std::string& text) {
    static const std::regex number(R"(-?(0|[1-9][0-9]*)?(\.[0-9]+)?(E[+-][0-9]{2,})?)");
    check(!text.empty() && text != "-" && std::regex_match(text, number));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    core::Choices choices;
    // As the window reads its area box: one beyond the double range is infinite.
    choices.area = core::leadingNumber(std::string(reinterpret_cast<const char*>(data), size))
                       .value_or(HUGE_VAL);
    for (const core::FireClass fireClass : {core::FireClass::A, core::FireClass::B}) {
        choices.fireClass = fireClass;
        const core::Result result = core::calculate(choices);
        check(result.required.has_value() == (result.fault == core::AreaFault::None));
        if (result.required) {
            check(result.required->whole >= 0 && result.required->rounded >= 0);
            checkNumberText(core::plainText(static_cast<float>(result.required->whole)));
            checkNumberText(core::plainText(result.required->rounded));
        }
        // The sheet's exact requirement is never below the grid's whole number by more than the
        // grid's single-precision rounding, and never negative.
        if (const auto unit = core::conditionsOf(choices)) {
            check(unit->required.whole >= 0 && unit->required.design() >= unit->required.whole);
        }
        for (const core::ModelResult& row : result.rows) {
            check(row.count.has_value() == (result.required && row.rating != 0));
            check(!row.count || (std::isfinite(*row.count) && *row.count >= 0));
            if (row.count) {
                checkNumberText(core::zf(*row.count));
            }
        }
    }
    return 0;
}
