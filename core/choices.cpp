#include "choices.h"

namespace core {

int factorTimesTen(Factor factor) {
    switch (factor) {
        case Factor::K10:
            return 10;
        case Factor::K09:
            return 9;
        case Factor::K07:
            return 7;
        case Factor::K05:
            return 5;
        case Factor::K03:
            break;
    }
    return 3;
}

int buildingTimesTen(Building building) {
    return building == Building::EntertainmentOrUnderground ? 13 : 10;
}

std::string_view agentCaption(Agent agent) {
    switch (agent) {
        case Agent::CarbonDioxide:
            return "二氧化碳(CO2)";
        case Agent::Water:
            return "水型";
        case Agent::SodiumBicarbonatePowder:
            return "干粉(碳酸氢钠)";
        case Agent::Foam:
            return "泡沫(化学泡沫)";
        case Agent::AmmoniumPhosphatePowder:
            return "干粉(磷酸铵盐)";
        case Agent::Halon1211:
            break;
    }
    return "卤代烷(1211)";
}

bool agentAllowed(FireClass fireClass, Agent agent) {
    switch (fireClass) {
        case FireClass::A:
            return agent != Agent::CarbonDioxide && agent != Agent::SodiumBicarbonatePowder;
        case FireClass::C:
        case FireClass::E:
            // The code lists neither foam nor water extinguishers for gas and electrical fires.
            return agent != Agent::Foam && agent != Agent::Water;
        case FireClass::B:
        case FireClass::D:
            break;
    }
    return true;
}

std::uint8_t choiceValue(const Choices& choices, ChoiceKind kind) {
    switch (kind) {
        case ChoiceKind::FireClass:
            return static_cast<std::uint8_t>(choices.fireClass);
        case ChoiceKind::Hazard:
            return static_cast<std::uint8_t>(choices.hazard);
        case ChoiceKind::Factor:
            return static_cast<std::uint8_t>(choices.factor);
        case ChoiceKind::Agent:
            return static_cast<std::uint8_t>(choices.agent);
        case ChoiceKind::Building:
            break;
    }
    return static_cast<std::uint8_t>(choices.building);
}

void setChoiceValue(Choices& choices, ChoiceKind kind, std::uint8_t value) {
    switch (kind) {
        case ChoiceKind::FireClass:
            choices.fireClass = static_cast<FireClass>(value);
            return;
        case ChoiceKind::Hazard:
            choices.hazard = static_cast<Hazard>(value);
            return;
        case ChoiceKind::Factor:
            choices.factor = static_cast<Factor>(value);
            return;
        case ChoiceKind::Agent:
            choices.agent = static_cast<Agent>(value);
            return;
        case ChoiceKind::Building:
            break;
    }
    choices.building = static_cast<Building>(value);
}

}  // namespace core
