// The signal list and the beam table: the selection, its edits and groups, fitting the gain.

#include "osc/OscBeams.h"

#include <gtest/gtest.h>

#include <cmath>

#include "SessionFixture.h"
#include "document/uBeam.h"

namespace kvaril {
namespace {

using Beams = TSessionFixture;
using BeamFitting = TSavedSessionFixture;

TEST_F(Beams, TheBeamTableShowsAndEditsTheSelection) {
    EXPECT_EQ(s.Beams().BeamText(TBeamRow::Gain), "") << "nothing selected";
    s.SelectBeams({1});
    EXPECT_EQ(s.Beams().BeamText(TBeamRow::Gain), "Авто");
    EXPECT_EQ(s.Beams().MaxValueText(), "Макс: 0.5 ");
    s.StartBeamEdit(TBeamRow::Interpolation);
    EXPECT_EQ(s.Status(), "Вид интерполяции: нет, линия, сплайн");
    s.EditBeam(TBeamRow::Interpolation, "Ли");
    EXPECT_EQ(View().Beam(1).InterpolationKind(), TInterpolation::Spline);
    s.EndBeamEdit(TBeamRow::Interpolation, "Линия");
    EXPECT_EQ(View().Beam(1).InterpolationKind(), TInterpolation::Line);
    EXPECT_EQ(s.Beams().BeamText(TBeamRow::Interpolation), "Линия");
    EXPECT_EQ(s.Status(), "");
    s.SelectBeams({1, 2});
    EXPECT_EQ(s.Beams().BeamText(TBeamRow::Interpolation), "") << "the settings differ";
    EXPECT_EQ(s.Beams().MaxValueText(), "");
    s.SelectBeams({});
    EXPECT_EQ(s.Beams().MaxValueText(), "") << "kept while nothing is selected";
    s.AddScreen("2");
    s.SelectBeams({1});
    EXPECT_EQ(s.Beams().BeamText(TBeamRow::Interpolation), "Нет") << "each screen has its beams";
}

// ---- fitting the gain to the window

TEST_F(BeamFitting, FittingSetsTheGainFromTheLargestValueInTheWindow) {
    View().SetT0(0);
    View().SetT1(0.1);  // A rises to 2 sin(0.2π) at most
    s.SelectBeams({0, 2});
    View().Beam(2).SetOffset(0.5);
    s.FitToWindow();
    EXPECT_NEAR(View().Beam(0).Gain(), 1 / (2 * std::sin(2 * M_PI * 0.099)), 1e-12);
    EXPECT_NEAR(View().Beam(2).Gain(), 0.5 / 0.099, 1e-12) << "the offset leaves half the band";
    EXPECT_EQ(View().Beam(2).Offset(), 0.5);
    EXPECT_EQ(View().Beam(1).Gain(), 0) << "not selected";
    s.Undo();
    EXPECT_EQ(View().Beam(0).Gain(), 0);
}

TEST_F(BeamFitting, FittingLeavesABeamThatIsZeroInTheWindow) {
    View().SetT0(0);
    View().SetT1(0.0005);  // only C = 0 there
    s.SelectBeams({2});
    s.FitToWindow();
    EXPECT_EQ(View().Beam(2).Gain(), 0);
    EXPECT_FALSE(s.CanUndo());
}

}  // namespace
}  // namespace kvaril
