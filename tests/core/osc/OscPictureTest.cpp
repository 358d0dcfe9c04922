// The picture of the current screen: the colour scheme, the view choices and the layout.

#include "osc/OscPicture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SessionFixture.h"
#include "document/uBeam.h"
#include "model/RunHistory.h"
#include "osc/BeamPalette.h"
#include "osc/OscContext.h"
#include "osc/OscReferences.h"
#include "osc/ScreenLayout.h"

namespace kvaril {
namespace {

using Picture = TSessionFixture;
using PictureWithReference = TReferenceFixture;

TEST_F(Picture, TheColourSchemeIsTheOscilloscopes) {
    osc.Modified = false;
    s.SetScheme(TColorScheme::Black);
    EXPECT_EQ(s.Picture().Scheme(), TColorScheme::Black);
    EXPECT_TRUE(osc.Modified);
    TGraphPicture p;
    s.Picture().LayoutGraph(100, 100, p);
    EXPECT_EQ(p.Background, (TRgb{0, 0, 0}));
}

// ---- with a reference run

TEST_F(PictureWithReference, ThePictureDrawsTheReferenceBehindEachBeam) {
    TGraphPicture plain, compared;
    s.Picture().LayoutGraph(200, 300, plain);
    s.SetReference(1);
    s.Picture().LayoutGraph(200, 300, compared);
    int beams = 0, references = 0;
    for (const TDrawItem& item : compared.Items)
        if (item.What == TDrawItem::Beam)
            ++(item.Color == ReferenceColor(TColorScheme::Gray, 0) ? references : beams);
    EXPECT_EQ(beams, 3);
    EXPECT_EQ(references, 3);
    EXPECT_EQ(compared.Items.size(), plain.Items.size() + 3);
    // Each group's reference comes before its beam.
    for (size_t i = 0; i + 1 < compared.Items.size(); ++i) {
        if (compared.Items[i].What == TDrawItem::Beam &&
            compared.Items[i].Color == ReferenceColor(TColorScheme::Gray, 0)) {
            EXPECT_EQ(compared.Items[i + 1].Color, BeamColor(TColorScheme::Gray, 0));
        }
    }
}

// ---- "Вид → Цвета по лучам" through the session

TEST_F(PictureWithReference, BeamColoursReachTheLegendTheTablesAndTheReferenceEntry) {
    s.SetReference(1);
    s.SetLegend(true);
    EXPECT_TRUE(s.Picture().LayoutOptions().ReferenceLabel.empty()) << "off: no entry";
    EXPECT_EQ(s.Picture().BeamColorTable().size(), 6u) << "the classic six while off";
    s.SetBeamColors(true);
    const TLayoutOptions options = s.Picture().LayoutOptions();
    EXPECT_TRUE(options.BeamColors);
    EXPECT_EQ(options.ReferenceLabel, ReferenceLegendText(runs.Find(1)->Label));
    EXPECT_EQ(s.Picture().BeamColorTable().size(), static_cast<size_t>(BeamPaletteSize()));
    TGraphPicture p;
    s.Picture().LayoutGraph(200, 300, p);
    int entries = 0;
    for (const TDrawItem& item : p.Items)
        if (item.What == TDrawItem::Legend && item.Dashed) {
            ++entries;
            EXPECT_EQ(item.Text.rfind("опорный: ", 0), 0u) << item.Text;
        }
    EXPECT_GE(entries, 1);
    // The readings colour their rows as the picture draws the beams: by place on the screen.
    const std::vector<TValueRow> rows = s.Readings().ValueRows();
    for (size_t r = 0; r < rows.size(); ++r)
        EXPECT_EQ(rows[r].Cells[1].ColorIndex, static_cast<int>(r));
    const std::vector<TStatsRow> stats = s.Readings().StatsRows();
    for (size_t r = 0; r < stats.size(); ++r) EXPECT_EQ(stats[r].ColorIndex, static_cast<int>(r));
    s.SetLegend(false);
    EXPECT_TRUE(s.Picture().LayoutOptions().ReferenceLabel.empty()) << "no legend, no entry";
}

// ---- the picture alone, under a context without a session

struct PicturePart : TContextFixture {
    TOscReferences references{context};
    TOscPicture picture{context, references};
};

// The view choices are the user's settings: choosing them neither changes the document nor
// makes an undoable step, while the colour scheme does both.
TEST_F(PicturePart, ViewChoicesStayOutOfTheDocument) {
    context.Change(TStepKind::Discrete, [&] {
        picture.SetLegend(true);
        picture.SetShowGrid(true);
        picture.SetSharedGroupScale(true);
    });
    EXPECT_FALSE(context.Undo().CanUndo());
    EXPECT_FALSE(osc.Modified);
    const TLayoutOptions options = picture.LayoutOptions();
    EXPECT_TRUE(options.Legend);
    EXPECT_TRUE(options.SharedGroupScale);
    EXPECT_EQ(options.Names, (std::vector<std::string>{"A", "B", "C"}));
    picture.SetScheme(TColorScheme::White);
    EXPECT_TRUE(context.Undo().CanUndo());
    EXPECT_TRUE(osc.Modified);
}

}  // namespace
}  // namespace kvaril
