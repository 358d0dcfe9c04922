#include "document/BeamSettingText.h"

#include <gtest/gtest.h>

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "store/uSignalsData.h"

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
    std::string Text(std::set<int> selected, TBeamRow column) {
        return BeamSettingText(&View(), selected, column, data).Text;
    }
    TSignals signals;
    TOsc osc;
    TSignalsData data;
};

TEST(BeamSettingText, OneSelectedBeamShowsItsValueAndMaximum) {
    Fixture f;
    TBeamSettingText r = BeamSettingText(&f.View(), {0}, TBeamRow::Gain, f.data);
    EXPECT_EQ(r.Text, "Авто");
    EXPECT_EQ(r.MaxValueLabel, "Макс: 4 ");
    r = BeamSettingText(&f.View(), {1}, TBeamRow::Gain, f.data);
    EXPECT_EQ(r.MaxValueLabel, "Макс: 0.0001235 ");

    f.View().Beam(0).SetGain(2.5);
    EXPECT_EQ(f.Text({0}, TBeamRow::Gain), "2.5");
    f.View().Beam(0).SetGain(1e-11);
    EXPECT_EQ(f.Text({0}, TBeamRow::Gain), "Авто") << "a tiny gain counts as automatic";
    EXPECT_FALSE(
        BeamSettingText(&f.View(), {0}, TBeamRow::Offset, f.data).MaxValueLabel.has_value())
        << "only the gain column sets the readout";
}

TEST(BeamSettingText, SeveralSelectedBeamsShowACommonValueOrNothing) {
    Fixture f;
    TBeamSettingText r = BeamSettingText(&f.View(), {0, 2}, TBeamRow::Gain, f.data);
    EXPECT_EQ(r.Text, "Авто");
    EXPECT_EQ(r.MaxValueLabel, "");
    EXPECT_EQ(f.Text({0, 1}, TBeamRow::Group), "") << "groups 1 and 2 differ";
    f.View().Beam(1).SetGroup(1);
    EXPECT_EQ(f.Text({0, 1}, TBeamRow::Group), "1");
    f.View().Beam(2).SetOffset(0.5);
    EXPECT_EQ(f.Text({0, 1, 2}, TBeamRow::Offset), "");
    EXPECT_EQ(f.Text({2}, TBeamRow::Offset), "0.5");
}

TEST(BeamSettingText, SettingTexts) {
    Fixture f;
    TBeam& beam = f.View().Beam(0);
    beam.SetGroup(0);
    EXPECT_EQ(f.Text({0}, TBeamRow::Group), "Нет");
    beam.SetGroup(-1);
    EXPECT_EQ(f.Text({0}, TBeamRow::Group), "-1");
    EXPECT_EQ(f.Text({0}, TBeamRow::XAxis), "Есть");
    beam.SetXAxis(false);
    EXPECT_EQ(f.Text({0}, TBeamRow::XAxis), "Нет");
    EXPECT_EQ(f.Text({0}, TBeamRow::Interpolation), "Нет");
    beam.SetInterpolation(1);
    EXPECT_EQ(f.Text({0}, TBeamRow::Interpolation), "Линия");
    beam.SetInterpolation(7);
    EXPECT_EQ(f.Text({0}, TBeamRow::Interpolation), "Сплайн");
}

TEST(BeamSettingText, NothingSelectedOrNoScreenGivesNothing) {
    Fixture f;
    TBeamSettingText r = BeamSettingText(&f.View(), {}, TBeamRow::Gain, f.data);
    EXPECT_EQ(r.Text, "");
    EXPECT_FALSE(r.MaxValueLabel.has_value());
    EXPECT_EQ(BeamSettingText(nullptr, {0}, TBeamRow::Gain, f.data).Text, "");
    EXPECT_EQ(f.Text({9}, TBeamRow::Gain), "") << "a selection without a beam";
}

}  // namespace
}  // namespace kvaril
