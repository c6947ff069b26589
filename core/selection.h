#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "choices.h"

namespace core {

// Option values are 16-bit Booleans: true is -1, false is 0.
using OptionValue = std::int16_t;
constexpr OptionValue kTrue = -1;
constexpr OptionValue kFalse = 0;

// One option button of an array: its group (the frame that holds it), caption, tooltip, value
// and enabled state.
struct Option {
    std::int16_t index = 0;
    int group = 0;
    std::string caption;
    std::string toolTip;
    bool selected = false;
    bool enabled = true;

    friend bool operator==(const Option&, const Option&) = default;
};

// A control array of option buttons that spans several groups. Selecting an option clears the
// rest of its group.
class OptionArray {
  public:
    explicit OptionArray(std::vector<Option> options);

    [[nodiscard]] const Option& option(std::int16_t index) const;
    [[nodiscard]] const std::vector<Option>& options() const { return options_; }

    [[nodiscard]] bool selected(std::int16_t index) const { return option(index).selected; }
    [[nodiscard]] OptionValue Value(std::int16_t index) const {
        return selected(index) ? kTrue : kFalse;
    }
    [[nodiscard]] bool enabled(std::int16_t index) const { return option(index).enabled; }

    // Selects the option and clears the rest of its group.
    void select(std::int16_t index);
    // True selects as above, false clears the option alone.
    void setValue(std::int16_t index, bool value);
    void setEnabled(std::int16_t index, bool enabled);

    friend bool operator==(const OptionArray&, const OptionArray&) = default;

  private:
    Option& at(std::int16_t index);

    std::vector<Option> options_;
};

// Groups of the two arrays, one per frame.
enum Group : int {
    kFireClassGroup = 0,  // Op1 0, 1, 2, 10, 11
    kHazardGroup = 1,     // Op1 3, 4, 5
    kFactorGroup = 2,     // Op1 6, 7, 8, 9, 12
    kAgentGroup = 3,      // Op 0 to 5
    kBuildingGroup = 4,   // Op 6, 7
};

// Indices of the options that the handlers name.
namespace op1 {
constexpr std::int16_t kClassA = 0;
constexpr std::int16_t kClassB = 1;
constexpr std::int16_t kClassC = 2;
constexpr std::int16_t kClassD = 10;
constexpr std::int16_t kClassE = 11;
constexpr std::int16_t kLight = 3;
constexpr std::int16_t kMedium = 4;
constexpr std::int16_t kSerious = 5;
constexpr std::int16_t kFactor10 = 6;
constexpr std::int16_t kFactor09 = 7;
constexpr std::int16_t kFactor07 = 8;
constexpr std::int16_t kFactor05 = 9;
constexpr std::int16_t kFactor03 = 12;
}  // namespace op1

namespace op {
constexpr std::int16_t kCarbonDioxide = 0;
constexpr std::int16_t kWater = 1;
constexpr std::int16_t kSodiumPowder = 2;
constexpr std::int16_t kFoam = 3;
constexpr std::int16_t kPhosphatePowder = 4;
constexpr std::int16_t kHalon = 5;
constexpr std::int16_t kEntertainment = 6;
constexpr std::int16_t kAboveGround = 7;
}  // namespace op

// The choices as the handlers see them: the two option arrays and the floor-area text of `tx`.
// A new Selection is in the first-start state.
struct Selection {
    Selection();

    OptionArray Op1;
    OptionArray Op;
    std::string tx = "1000";

    // Readers: the first selected option in the fixed test order decides, the fallback applies
    // when none of the tested options is selected.
    [[nodiscard]] bool classA() const { return Op1.selected(op1::kClassA); }
    [[nodiscard]] std::optional<FireClass> fireClass() const;  // A, B, C, E, D, else none
    [[nodiscard]] Hazard hazard() const;                       // serious, medium, else light
    [[nodiscard]] int factorTimesTen() const;                  // K x 10: 10, 9, 7, 5, else 3
    [[nodiscard]] int buildingTimesTen() const;  // 13 for entertainment/underground, else 10
    // The agent type (the index of its `Op` option): carbon dioxide, the dry powders (ammonium
    // phosphate before sodium bicarbonate), foam, halon, water; none when no agent is selected.
    [[nodiscard]] std::optional<int> agentType() const;

    friend bool operator==(const Selection&, const Selection&) = default;
};

// The option of a group that is selected at first start; a group falls back to it when restored
// choices leave it empty.
[[nodiscard]] std::int16_t firstStartChoice(int group);

}  // namespace core
