// The user's settings: what a new user starts with, and what a hand-edited file reads as.

#include "common/Settings.h"

#include <gtest/gtest.h>

namespace kvaril {
namespace {

struct Settings : ::testing::Test {
    void SetUp() override { store.clear(); }
    void TearDown() override { store.clear(); }
    QSettings store = OpenSettings();
};

TEST_F(Settings, ANewUserHasEveryViewChoiceOff) {
    for (const TSetting<bool>* s :
         {&settings::kOscGrid, &settings::kOscLegend, &settings::kOscSharedScale}) {
        EXPECT_FALSE(s->Default) << s->Key;
        EXPECT_FALSE(ReadSetting(*s)) << s->Key;
    }
    EXPECT_TRUE(ReadSetting(settings::kRecentFiles).isEmpty());
    EXPECT_EQ(ReadSetting(settings::kFontCharset), 204);
}

TEST_F(Settings, WhatIsWrittenReadsBack) {
    WriteSetting(settings::kOscLegend, true);
    WriteSetting(settings::kRecentFiles, QStringList{"/a.sig", "/b.sig"});
    EXPECT_TRUE(ReadSetting(settings::kOscLegend));
    EXPECT_EQ(ReadSetting(settings::kRecentFiles), (QStringList{"/a.sig", "/b.sig"}));
    WriteSetting(settings::kOscLegend, false);
    EXPECT_FALSE(ReadSetting(settings::kOscLegend));
}

TEST_F(Settings, AHandEditedValueOfAnotherKindReadsAsTheDefault) {
    store.setValue(settings::kOscGrid.Key, "perhaps");
    store.setValue(settings::kFontSize.Key, "large");
    EXPECT_FALSE(ReadSetting(store, settings::kOscGrid));
    EXPECT_EQ(ReadSetting(store, settings::kFontSize), settings::kFontSize.Default);
    // As the settings file writes them.
    store.setValue(settings::kOscGrid.Key, "true");
    store.setValue(settings::kFontSize.Key, "14");
    EXPECT_TRUE(ReadSetting(store, settings::kOscGrid));
    EXPECT_EQ(ReadSetting(store, settings::kFontSize), 14);
}

}  // namespace
}  // namespace kvaril
