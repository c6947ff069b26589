#include "calculator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "catalogue.h"
#include "number_text.h"

namespace core {

void writeHeadings(grid::GridStore& fa) {
    for (int c = 0; c < kGridCols; ++c) {
        fa.setTextMatrix(0, c, std::string(kHeadings[static_cast<std::size_t>(c)]));
    }
}

void setLoadedGridLayout(grid::GridStore& fa) {
    fa.setRowHeight(-1, 300);
    fa.setRowHeight(0, 500);
    fa.setColWidth(-1, 1025);
    fa.setColWidth(0, 300);
    fa.setColWidth(2, 1100);
    fa.setCellBackColor(kFirstModelRow, 1, kLastModelRow, kCountCol, kGrey);
}

Calculator::Calculator(Selection& selection, grid::GridStore& fa) : sel_(selection), fa_(fa) {
    sel_.Op.setClickHandler([this](std::int16_t index) { Op_Click(index); });
    sel_.Op1.setClickHandler([this](std::int16_t index) { Op1_Click(index); });
}

Calculator::~Calculator() {
    sel_.Op.setClickHandler(nullptr);
    sel_.Op1.setClickHandler(nullptr);
}

void Calculator::Op_Click(std::int16_t Index) {
    fa_.setMergeRow(-1, true);
    fa_.setMergeCol(-1, true);

    // The agent type whose value equals that of the button: for a selected button, the selected
    // agent type.
    const OptionArray& Op = sel_.Op;
    const int value = Op.Value(Index);
    int agentType = 0;
    if (value == Op.Value(op::kCarbonDioxide)) {
        agentType = op::kCarbonDioxide;
    } else if (value == (Op.Value(op::kSodiumPowder) | Op.Value(op::kPhosphatePowder))) {
        agentType = Op.selected(op::kPhosphatePowder) ? op::kPhosphatePowder : op::kSodiumPowder;
    } else if (value == Op.Value(op::kFoam)) {
        agentType = op::kFoam;
    } else if (value == Op.Value(op::kHalon)) {
        agentType = op::kHalon;
    } else if (value == Op.Value(op::kWater)) {
        agentType = op::kWater;
    } else {
        return;
    }
    drawTable(agentType);
    tx_LostFocus();
}

void Calculator::drawTable(int agentType) {
    const auto list = models(agentType);
    const int count = static_cast<int>(list.size());
    const int portable = static_cast<int>(std::count_if(
        list.begin(), list.end(), [](const Model& m) { return m.mount == Mount::Portable; }));

    fa_.setCellText(1, 0, portable, 0, std::string(mountLabel(Mount::Portable)));
    fa_.setCellText(portable + 1, 0, count, 0, std::string(mountLabel(Mount::Wheeled)));

    for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
        fa_.setRowHidden(r, r > count);
    }
    for (const Model& m : list) {
        fa_.setTextMatrix(m.row, 1, std::string(m.charge));
    }
    for (const Model& m : list) {
        fa_.setTextMatrix(m.row, 2, std::string(m.code));
    }
    // Carbon dioxide has no class-A ratings: under class A its rows read "-" and stay grey.
    const RatingClass ratingClass = sel_.classA() ? RatingClass::A : RatingClass::B;
    for (const Model& m : list) {
        fa_.setTextMatrix(m.row, kRatingCol, std::string(rating(m, ratingClass)));
    }

    fa_.setCellBackColor(kFirstModelRow, 1, kLastModelRow, kAreaRatingCol, kGrey);
    const Band band = suitableRows(agentType, ratingClass, sel_.hazard());
    if (!band.empty()) {
        fa_.setCellBackColor(band.first, 1, band.last, kAreaRatingCol, kLightRed);
    }
    fa_.setCellAlignment(0, 0, kLastModelRow, kGridCols - 1, grid::Alignment::CenterCenter);
}

void Calculator::Op_LostFocus(std::int16_t Index) {
    // Redrawing for a button that is not selected would match the first agent type that is not
    // selected either and put another type's table on screen.
    if (sel_.Op.selected(Index)) {
        Op_Click(Index);
    }
}

void Calculator::redrawSelectedAgent() {
    for (std::int16_t i = op::kCarbonDioxide; i <= op::kHalon; ++i) {
        if (sel_.Op.selected(i)) {
            Op_Click(i);
            return;
        }
    }
}

void Calculator::moveAgentTo(std::int16_t from, std::int16_t to) {
    if (sel_.Op.selected(from)) {
        sel_.Op.select(to);
    }
}

void Calculator::Op1_Click(std::int16_t Index) {
    OptionArray& Op = sel_.Op;
    const OptionArray& Op1 = sel_.Op1;
    const OptionValue value = Op1.Value(Index);

    if (value == Op1.Value(op1::kClassA)) {
        Op.setEnabled(op::kSodiumPowder, false);
        Op.setEnabled(op::kCarbonDioxide, false);
        Op.setEnabled(op::kFoam, true);
        Op.setEnabled(op::kWater, true);
        moveAgentTo(op::kSodiumPowder, op::kPhosphatePowder);
        moveAgentTo(op::kCarbonDioxide, op::kPhosphatePowder);
        fa_.setTextMatrix(0, kRatingCol, "灭火级别 (A类 )");
    } else if (value == Op1.Value(op1::kClassB)) {
        Op.setEnabled(op::kSodiumPowder, true);
        Op.setEnabled(op::kCarbonDioxide, true);
        Op.setEnabled(op::kFoam, true);
        Op.setEnabled(op::kWater, true);
        fa_.setTextMatrix(0, kRatingCol, "灭火级别 (B类 )");
    } else if (value == Op1.Value(op1::kClassC) || value == Op1.Value(op1::kClassE)) {
        // The code lists neither foam nor water extinguishers for gas and electrical fires.
        Op.setEnabled(op::kSodiumPowder, true);
        Op.setEnabled(op::kCarbonDioxide, true);
        Op.setEnabled(op::kFoam, false);
        Op.setEnabled(op::kWater, false);
        moveAgentTo(op::kFoam, op::kPhosphatePowder);
        moveAgentTo(op::kWater, op::kPhosphatePowder);
        fa_.setTextMatrix(0, kRatingCol, "灭火级别 (C类 )");
    } else if (value == Op1.Value(op1::kClassD)) {
        if (classDNotice_) {
            classDNotice_();
        }
        sel_.Op1.select(op1::kClassA);
        return;
    } else {
        return;
    }
    redrawSelectedAgent();
    tx_LostFocus();
}

namespace {

// The area's required rating: Qr, Q rounded to three decimals, and N, Qr rounded up.
struct Required {
    double rounded = 0;
    std::int32_t whole = 0;
};

}  // namespace

void Calculator::tx_LostFocus() {
    // Working values in single precision; the first three hold ten times their value.
    float unitArea = 0;  // 10 x U, U in m2 per unit of rating
    const Hazard hazard = sel_.hazard();
    if (sel_.classA()) {
        unitArea = hazard == Hazard::Serious ? 500.0F : hazard == Hazard::Medium ? 750.0F : 1000.0F;
    } else {
        unitArea = hazard == Hazard::Serious ? 5.0F : hazard == Hazard::Medium ? 10.0F : 15.0F;
    }
    const auto factor = static_cast<float>(sel_.factorTimesTen());
    const auto building = static_cast<float>(sel_.buildingTimesTen());

    std::optional<std::string_view> failure;
    Required required;
    const std::optional<double> area = leadingNumber(sel_.tx);
    if (!area || std::fabs(*area) > std::numeric_limits<float>::max()) {
        failure = kAreaOutOfRange;
    } else if (*area < 0) {
        failure = kAreaNegative;
    } else {
        const auto s = static_cast<float>(*area);
        const double q = ((factor * 0.01) * building * s) / (unitArea * 0.1);
        required.rounded = round3(q);
        const double whole = std::ceil(required.rounded);
        if (whole > std::numeric_limits<std::int32_t>::max()) {
            failure = kAreaOutOfRange;
        } else {
            required.whole = static_cast<std::int32_t>(whole);
        }
    }

    const std::string areaRating = failure ? std::string(*failure)
                                           : plainText(static_cast<float>(required.whole)) + "(" +
                                                 plainText(required.rounded) + ")";
    for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
        fa_.setTextMatrix(r, kCountCol, "");
        fa_.setTextMatrix(r, kAreaRatingCol, areaRating);
        if (failure) {
            continue;
        }
        const double ratingValue = leadingNumber(fa_.TextMatrix(r, kRatingCol)).value_or(0.0);
        if (ratingValue == 0) {
            fa_.setTextMatrix(r, kCountCol, "-");
            continue;
        }
        // The count divides the whole rating as written in column 5, read back from its text.
        const double written = leadingNumber(fa_.TextMatrix(r, kAreaRatingCol)).value_or(0.0);
        fa_.setTextMatrix(r, kCountCol, zf(round3(written / ratingValue)));
    }
}

}  // namespace core
