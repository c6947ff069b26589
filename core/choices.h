#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The choices of one calculation unit as plain values: what the calculator window's option
// buttons and area box hold, and what a unit of a project keeps.
namespace core {

enum class FireClass : std::uint8_t { A, B, C, D, E };
// The class's letter: 'A' to 'E'.
[[nodiscard]] constexpr char fireClassLetter(FireClass fireClass) {
    return static_cast<char>('A' + static_cast<int>(fireClass));
}

enum class Hazard : std::uint8_t { Light, Medium, Serious };

// K, the correction for the other fire systems present.
enum class Factor : std::uint8_t { K10, K09, K07, K05, K03 };
// K x 10: 10, 9, 7, 5, 3.
[[nodiscard]] int factorTimesTen(Factor factor);

enum class Building : std::uint8_t { AboveGround, EntertainmentOrUnderground };
// The building factor x 10: 10, or 13 for entertainment venues and underground spaces.
[[nodiscard]] int buildingTimesTen(Building building);

// The extinguishing agents, in the order of the window's agent options.
enum class Agent : std::uint8_t {
    CarbonDioxide,
    Water,
    SodiumBicarbonatePowder,
    Foam,
    AmmoniumPhosphatePowder,
    Halon1211,
};
inline constexpr std::array kAgents{Agent::CarbonDioxide,           Agent::Water,
                                    Agent::SodiumBicarbonatePowder, Agent::Foam,
                                    Agent::AmmoniumPhosphatePowder, Agent::Halon1211};

// The agent as the window's option names it: "干粉(磷酸铵盐)".
[[nodiscard]] std::string_view agentCaption(Agent agent);

// Whether the fire class allows the agent: class A rules out carbon dioxide and
// sodium-bicarbonate powder, classes C and E foam and water; class B allows all. An agent that the
// class rules out moves to ammonium-phosphate powder.
[[nodiscard]] bool agentAllowed(FireClass fireClass, Agent agent);

// The choices of one calculation unit; the defaults are those of a first start.
struct Choices {
    FireClass fireClass = FireClass::A;
    Hazard hazard = Hazard::Medium;
    Factor factor = Factor::K09;
    Building building = Building::AboveGround;
    Agent agent = Agent::AmmoniumPhosphatePowder;
    double area = 1000;  // S in m²

    friend bool operator==(const Choices&, const Choices&) = default;
};

// The five kinds of choice besides the area, in the order the window groups them.
enum class ChoiceKind : std::uint8_t { FireClass, Hazard, Factor, Agent, Building };
constexpr int kChoiceKinds = 5;
// One kind of choice as the number of its enum value, and the choices with it set to `value`.
[[nodiscard]] std::uint8_t choiceValue(const Choices& choices, ChoiceKind kind);
void setChoiceValue(Choices& choices, ChoiceKind kind, std::uint8_t value);

}  // namespace core
