// The notes a unit's sheet and the book print for what the designer must judge.
#include "unit_texts.h"

#include <gtest/gtest.h>

namespace {

struct NoteCase {
    core::FireClass fireClass;
    core::Agent agent;
    const char* clauses;  // the clauses the note names, in order; "" for no note
};

class UnitNote : public ::testing::TestWithParam<NoteCase> {};

TEST_P(UnitNote, NamesTheClausesToJudge) {
    const NoteCase& c = GetParam();
    core::Choices choices;
    choices.fireClass = c.fireClass;
    choices.agent = c.agent;
    QStringList clauses;
    const QString note = documents::unitNote(choices);
    for (const QString& clause : {QStringLiteral("10.0.1"), QStringLiteral("4.2.5")}) {
        if (note.contains(clause)) {
            clauses << clause;
        }
    }
    EXPECT_EQ(clauses.join(u' '), QString::fromUtf8(c.clauses)) << note.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Notes, UnitNote,
    ::testing::Values(NoteCase{core::FireClass::A, core::Agent::Water, "10.0.1"},
                      NoteCase{core::FireClass::A, core::Agent::AmmoniumPhosphatePowder, ""},
                      NoteCase{core::FireClass::B, core::Agent::CarbonDioxide, ""},
                      NoteCase{core::FireClass::E, core::Agent::AmmoniumPhosphatePowder, "10.0.1"},
                      NoteCase{core::FireClass::E, core::Agent::CarbonDioxide, "10.0.1 4.2.5"}),
    [](const auto& p) { return std::to_string(p.index); });

}  // namespace
