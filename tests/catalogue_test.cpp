#include "catalogue.h"

#include <gtest/gtest.h>

#include "number_text.h"

namespace core {
namespace {

// The minimum rating of one extinguisher: 1A, 2A, 3A or 21B, 55B, 89B by hazard level.
double minimumRating(RatingClass ratingClass, Hazard hazard) {
    constexpr double a[] = {1, 2, 3};
    constexpr double b[] = {21, 55, 89};
    const auto h = static_cast<std::size_t>(hazard);
    return ratingClass == RatingClass::A ? a[h] : b[h];
}

TEST(Catalogue, BandsAreTheRowsThatReachTheMinimumRating) {
    for (int type = 0; type < kAgentTypes; ++type) {
        for (RatingClass rc : {RatingClass::A, RatingClass::B}) {
            for (Hazard h : {Hazard::Light, Hazard::Medium, Hazard::Serious}) {
                const Band band = suitableRows(type, rc, h);
                for (const Model& m : models(type)) {
                    const double value = leadingNumber(rating(m, rc)).value_or(0);
                    const bool inBand = !band.empty() && m.row >= band.first && m.row <= band.last;
                    EXPECT_EQ(inBand, value > 0 && value >= minimumRating(rc, h))
                        << "type " << type << " row " << m.row << " class "
                        << (rc == RatingClass::A ? 'A' : 'B') << " hazard " << static_cast<int>(h);
                }
            }
        }
    }
}

TEST(Catalogue, DryPowdersDifferOnlyInTheirCodes) {
    const auto sodium = models(2);
    const auto phosphate = models(4);
    for (std::size_t i = 0; i < sodium.size(); ++i) {
        EXPECT_EQ(sodium[i].charge, phosphate[i].charge);
        EXPECT_EQ(sodium[i].ratingA, phosphate[i].ratingA);
        EXPECT_EQ(sodium[i].ratingB, phosphate[i].ratingB);
        EXPECT_NE(sodium[i].code, phosphate[i].code);
    }
    EXPECT_EQ(sodium[3].code, "MF4");
    EXPECT_EQ(phosphate[3].code, "MF/ABC4");
}

TEST(Catalogue, KeepsTheUnusualTextsExactly) {
    EXPECT_EQ(models(1)[4].charge, "45L");
    EXPECT_EQ(models(1)[4].code, "MST40");
    EXPECT_EQ(models(3)[5].charge, "45升");
    EXPECT_EQ(models(3)[5].code, "MPT40、MPT/AR40");
    EXPECT_EQ(models(3)[7].code, "MPT125、MPT/AR125");
    EXPECT_EQ(models(5)[1].ratingA, "0.5A");
    for (const Model& m : models(0)) {
        EXPECT_EQ(m.ratingA, "-") << "carbon dioxide has no class-A rating";
    }
    for (int row = 4; row <= 7; ++row) {
        EXPECT_EQ(models(1)[static_cast<std::size_t>(row - 1)].ratingB, "-");
    }
    EXPECT_EQ(mountLabel(Mount::Portable), "手提式");
    EXPECT_EQ(mountLabel(Mount::Wheeled), "推车式");
}

}  // namespace
}  // namespace core
