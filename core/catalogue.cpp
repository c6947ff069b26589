#include "catalogue.h"

#include "number_text.h"

namespace core {

namespace {

constexpr Mount P = Mount::Portable;
constexpr Mount W = Mount::Wheeled;

// Carbon dioxide extinguishers carry no class-A rating.
constexpr std::array kCarbonDioxide{
    Model{1, P, "2千克", "MT2", "-", "21B"},     Model{2, P, "3千克", "MT3", "-", "21B"},
    Model{3, P, "5千克", "MT5", "-", "34B"},     Model{4, P, "7千克", "MT7", "-", "55B"},
    Model{5, W, "10千克", "MTT10", "-", "55B"},  Model{6, W, "20千克", "MTT20", "-", "70B"},
    Model{7, W, "30千克", "MTT30", "-", "113B"}, Model{8, W, "50千克", "MTT50", "-", "183B"},
};

constexpr std::array kWater{
    Model{1, P, "3L", "MS/T3", "1A", "55B"},  Model{2, P, "6L", "MS/T6", "1A", "55B"},
    Model{3, P, "9L", "MS/T9", "2A", "89B"},  Model{4, W, "20L", "MST20", "4A", "-"},
    Model{5, W, "45L", "MST40", "4A", "-"},   Model{6, W, "60L", "MST60", "4A", "-"},
    Model{7, W, "125L", "MST125", "6A", "-"},
};

// The two dry powders share charges and ratings; only the model codes differ.
constexpr std::array kSodiumPowder{
    Model{1, P, "1千克", "MF1", "1A", "21B"},
    Model{2, P, "2千克", "MF2", "1A", "21B"},
    Model{3, P, "3千克", "MF3", "2A", "34B"},
    Model{4, P, "4千克", "MF4", "2A", "55B"},
    Model{5, P, "5千克", "MF5", "3A", "89B"},
    Model{6, P, "6千克", "MF6", "3A", "89B"},
    Model{7, P, "8千克", "MF8", "4A", "144B"},
    Model{8, P, "10千克", "MF10", "6A", "144B"},
    Model{9, W, "20千克", "MFT20", "6A", "183B"},
    Model{10, W, "50千克", "MFT50", "8A", "297B"},
    Model{11, W, "100千克", "MFT100", "10A", "297B"},
    Model{12, W, "125千克", "MFT125", "10A", "297B"},
};

constexpr std::array kFoam{
    Model{1, P, "3升", "MP3、MP/AR3", "1A", "55B"},
    Model{2, P, "4升", "MP4、MP/AR4", "1A", "55B"},
    Model{3, P, "6升", "MP6、MP/AR6", "1A", "55B"},
    Model{4, P, "9升", "MP9、MP/AR9", "2A", "89B"},
    Model{5, W, "20升", "MPT20、MPT/AR20", "4A", "113B"},
    Model{6, W, "45升", "MPT40、MPT/AR40", "4A", "144B"},
    Model{7, W, "60升", "MPT60、MPT/AR60", "4A", "233B"},
    Model{8, W, "125升", "MPT125、MPT/AR125", "6A", "297B"},
};

constexpr std::array kPhosphatePowder{
    Model{1, P, "1千克", "MF/ABC1", "1A", "21B"},
    Model{2, P, "2千克", "MF/ABC2", "1A", "21B"},
    Model{3, P, "3千克", "MF/ABC3", "2A", "34B"},
    Model{4, P, "4千克", "MF/ABC4", "2A", "55B"},
    Model{5, P, "5千克", "MF/ABC5", "3A", "89B"},
    Model{6, P, "6千克", "MF/ABC6", "3A", "89B"},
    Model{7, P, "8千克", "MF/ABC8", "4A", "144B"},
    Model{8, P, "10千克", "MF/ABC10", "6A", "144B"},
    Model{9, W, "20千克", "MFT/ABC20", "6A", "183B"},
    Model{10, W, "50千克", "MFT/ABC50", "8A", "297B"},
    Model{11, W, "100千克", "MFT/ABC100", "10A", "297B"},
    Model{12, W, "125千克", "MFT/ABC125", "10A", "297B"},
};

constexpr std::array kHalon{
    Model{1, P, "1千克", "MY1", "-", "21B"},     Model{2, P, "2千克", "MY2", "0.5A", "21B"},
    Model{3, P, "3千克", "MY3", "0.5A", "34B"},  Model{4, P, "4千克", "MY4", "1A", "34B"},
    Model{5, P, "6千克", "MY6", "1A", "55B"},    Model{6, W, "10千克", "MYT10", "-", "70B"},
    Model{7, W, "20千克", "MYT20", "-", "144B"}, Model{8, W, "30千克", "MYT30", "-", "183B"},
    Model{9, W, "50千克", "MYT50", "-", "297B"},
};

}  // namespace

std::string_view mountLabel(Mount mount) {
    return mount == Mount::Portable ? "手提式" : "推车式";
}

std::span<const Model> models(Agent agent) {
    switch (agent) {
        case Agent::CarbonDioxide:
            return kCarbonDioxide;
        case Agent::Water:
            return kWater;
        case Agent::SodiumBicarbonatePowder:
            return kSodiumPowder;
        case Agent::Foam:
            return kFoam;
        case Agent::AmmoniumPhosphatePowder:
            return kPhosphatePowder;
        case Agent::Halon1211:
            break;
    }
    return kHalon;
}

std::string_view rating(const Model& model, RatingClass ratingClass) {
    return ratingClass == RatingClass::A ? model.ratingA : model.ratingB;
}

double ratingValue(const Model& model, RatingClass ratingClass) {
    return leadingNumber(rating(model, ratingClass)).value_or(0.0);
}

double minimumRating(RatingClass ratingClass, Hazard hazard) {
    constexpr std::array<double, 3> kClassA = {1, 2, 3};
    constexpr std::array<double, 3> kOtherClasses = {21, 55, 89};
    const auto level = static_cast<std::size_t>(hazard);
    return ratingClass == RatingClass::A ? kClassA.at(level) : kOtherClasses.at(level);
}

double unitArea(RatingClass ratingClass, Hazard hazard) {
    constexpr std::array<double, 3> kClassA = {100, 75, 50};
    constexpr std::array<double, 3> kOtherClasses = {1.5, 1.0, 0.5};
    const auto level = static_cast<std::size_t>(hazard);
    return ratingClass == RatingClass::A ? kClassA.at(level) : kOtherClasses.at(level);
}

bool meetsMinimum(const Model& model, RatingClass ratingClass, Hazard hazard) {
    return ratingValue(model, ratingClass) >= minimumRating(ratingClass, hazard);
}

}  // namespace core
