#pragma once
// A document with samples in its store, as after a run, without building a model: the export
// writers only read names, times and samples.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestFolder.h"
#include "base/Cp1251.h"
#include "document/uSignal.h"
#include "store/uSignalsData.h"

namespace kvaril::testing {

class ExportFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = testing::TestFolder("kvaril-export");
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Signals named `names` (UTF-8) over `quantTime` × `quanta`; sample q of signal s is
    // Sample(s, q), so every value says where it came from.
    void Make(const std::vector<std::string>& names, double quantTime, int quanta) {
        signals_.Clear();
        for (const std::string& name : names) {
            auto signal = std::make_unique<TSignal>(signals_);
            signal->SetName(Utf8ToCp1251(name));
            signals_.Insert(std::move(signal), -1);
        }
        signals_.SetQuantTime(quantTime);
        signals_.SetTotalTime(quantTime * quanta);
        ASSERT_EQ(signals_.QuantCount(), quanta);
        signals_.Data().SetSize(static_cast<int>(names.size()), quanta);
        for (int s = 0; s < static_cast<int>(names.size()); ++s)
            for (int q = 0; q < quanta; ++q) signals_.Data().SetData(s, q, Sample(s, q));
    }

    static double Sample(int s, int q) { return (s + 1) * 1000.25 + q * 0.5 - 3; }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
    TSignals signals_;
};

}  // namespace kvaril::testing
