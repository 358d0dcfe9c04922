#include "osc/BeamSettingText.h"

#include <gtest/gtest.h>

#include "document/uSignal.h"
#include "model/uSignalsData.h"
#include "osc/uBeam.h"

namespace kvaril {
namespace {

struct Fixture {
    Fixture() {
        for (int i = 0; i < 3; ++i) {
            auto signal = std::make_unique<TSignal>(signals);
            signal->SetName("S" + std::to_string(i));
            signals.Insert(std::move(signal), -1);
        }
        osc.SyncWithSignals(signals);
        data.SetSize(3, 4);
        data.SetData(0, 2, -4);
        data.SetData(1, 1, 0.000123456);
        data.CalcMaxima();
    }
    TView& View() { return osc.View(0); }
    std::string Text(std::set<int> selected, TBeamColumn column) {
        return BeamSettingText(&View(), selected, static_cast<int>(column), data).Text;
    }
    TSignals signals;
    TOsc osc;
    TSignalsData data;
};

TEST(BeamSettingText, OneSelectedBeamShowsItsValueAndMaximum) {
    Fixture f;
    TBeamSettingText r = BeamSettingText(&f.View(), {0}, 0, f.data);
    EXPECT_EQ(r.Text, "Авто");
    EXPECT_EQ(r.MaxValueLabel, "Макс: 4 ");
    r = BeamSettingText(&f.View(), {1}, 0, f.data);
    EXPECT_EQ(r.MaxValueLabel, "Макс: 0.0001235 ");

    f.View().Beam(0).SetGain(2.5);
    EXPECT_EQ(f.Text({0}, TBeamColumn::Gain), "2.5");
    f.View().Beam(0).SetGain(1e-11);
    EXPECT_EQ(f.Text({0}, TBeamColumn::Gain), "Авто") << "a tiny gain counts as automatic";
    EXPECT_FALSE(BeamSettingText(&f.View(), {0}, 1, f.data).MaxValueLabel.has_value())
        << "only the gain column sets the readout";
}

TEST(BeamSettingText, SeveralSelectedBeamsShowACommonValueOrNothing) {
    Fixture f;
    TBeamSettingText r = BeamSettingText(&f.View(), {0, 2}, 0, f.data);
    EXPECT_EQ(r.Text, "Авто");
    EXPECT_EQ(r.MaxValueLabel, "");
    EXPECT_EQ(f.Text({0, 1}, TBeamColumn::Group), "") << "groups 1 and 2 differ";
    f.View().Beam(1).SetGroup(1);
    EXPECT_EQ(f.Text({0, 1}, TBeamColumn::Group), "1");
    f.View().Beam(2).SetOffset(0.5);
    EXPECT_EQ(f.Text({0, 1, 2}, TBeamColumn::Offset), "");
    EXPECT_EQ(f.Text({2}, TBeamColumn::Offset), "0.5");
}

TEST(BeamSettingText, SettingTexts) {
    Fixture f;
    TBeam& beam = f.View().Beam(0);
    beam.SetGroup(0);
    EXPECT_EQ(f.Text({0}, TBeamColumn::Group), "Нет");
    beam.SetGroup(-1);
    EXPECT_EQ(f.Text({0}, TBeamColumn::Group), "-1");
    EXPECT_EQ(f.Text({0}, TBeamColumn::XAxis), "Есть");
    beam.SetXAxis(false);
    EXPECT_EQ(f.Text({0}, TBeamColumn::XAxis), "Нет");
    EXPECT_EQ(f.Text({0}, TBeamColumn::Interpolation), "Нет");
    beam.SetInterpolation(1);
    EXPECT_EQ(f.Text({0}, TBeamColumn::Interpolation), "Линия");
    beam.SetInterpolation(7);
    EXPECT_EQ(f.Text({0}, TBeamColumn::Interpolation), "Сплайн");
}

TEST(BeamSettingText, NothingSelectedOrNoScreenGivesNothing) {
    Fixture f;
    TBeamSettingText r = BeamSettingText(&f.View(), {}, 0, f.data);
    EXPECT_EQ(r.Text, "");
    EXPECT_FALSE(r.MaxValueLabel.has_value());
    EXPECT_EQ(BeamSettingText(nullptr, {0}, 0, f.data).Text, "");
    EXPECT_EQ(f.Text({9}, TBeamColumn::Gain), "") << "a selection without a beam";
}

}  // namespace
}  // namespace kvaril
