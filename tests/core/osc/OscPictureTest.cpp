// The picture of the current screen: the colour scheme, the view choices and the layout.

#include "osc/OscPicture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SessionFixture.h"
#include "osc/OscContext.h"
#include "osc/OscReferences.h"
#include "osc/ScreenLayout.h"
#include "osc/uBeam.h"

namespace kvaril {
namespace {

using Picture = TSessionFixture;
using PictureWithReference = TReferenceFixture;

TEST_F(Picture, TheColourSchemeIsTheOscilloscopes) {
    osc.Modified = false;
    s.Picture().SetScheme(TColorScheme::Black);
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
    s.References().SetReference(1);
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
