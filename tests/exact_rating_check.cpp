// Reads lines "CLASS HAZARD K×10 BUILDING×10 AREA" (class A or B, hazard 0 to 2) and writes, for
// each, Q and S/U rounded up twice: from the area as typed, and from the area as a project
// stores it (the double read back as its shortest decimal). check_exact_rating.py compares them
// with Python's fractions.
#include <cstdlib>
#include <iostream>
#include <string>

#include "setting_points.h"

namespace {

core::Factor factorOf(int timesTen) {
    switch (timesTen) {
        case 10:
            return core::Factor::K10;
        case 9:
            return core::Factor::K09;
        case 7:
            return core::Factor::K07;
        case 5:
            return core::Factor::K05;
        default:
            return core::Factor::K03;
    }
}

}  // namespace

int main() {
    std::string fireClass;
    int hazard = 0;
    int factor = 0;
    int building = 0;
    std::string area;
    while (std::cin >> fireClass >> hazard >> factor >> building >> area) {
        core::Choices choices;
        choices.fireClass = fireClass == "A" ? core::FireClass::A : core::FireClass::B;
        choices.hazard = static_cast<core::Hazard>(hazard);
        choices.factor = factorOf(factor);
        choices.building = building == 13 ? core::Building::EntertainmentOrUnderground
                                          : core::Building::AboveGround;
        choices.area = std::strtod(area.c_str(), nullptr);
        const auto typed = core::decimalFromText(area);
        if (!typed) {
            return 2;
        }
        const core::Requirement asTyped = core::requirement(choices, *typed);
        const core::Requirement asStored = core::requirement(choices);
        std::cout << asTyped.whole << ' ' << asTyped.perUnitAreaWhole << ' ' << asStored.whole
                  << ' ' << asStored.perUnitAreaWhole << '\n';
    }
    return 0;
}
