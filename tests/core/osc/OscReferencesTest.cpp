// Reference runs: the runs offered, pinning one, and a run whose times differ.

#include "osc/OscReferences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SessionFixture.h"
#include "model/RunHistory.h"

namespace kvaril {
namespace {

using References = TReferenceFixture;

TEST_F(References, ASecondRunOffersTheFirst) {
    const std::vector<TRunChoice> choices = s.References().Choices();
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].Text, "нет");
    EXPECT_EQ(choices[1].Id, 1);
    EXPECT_NE(choices[1].Text.find("сигналов: 3"), std::string::npos);
    EXPECT_EQ(s.References().Reference(), nullptr);
}

TEST_F(References, PinningKeepsTheRunAndItBecomesTheDefault) {
    s.PinReference();  // nothing chosen: the current run, id 2
    EXPECT_EQ(runs.PinnedId(), 2);
    for (int i = 0; i < 6; ++i) runs.Add(CaptureRun(signals, 0));
    s.PrepareForRun();
    ASSERT_NE(s.References().Reference(), nullptr);
    EXPECT_EQ(s.References().Reference()->Id, 2);
    s.SetReference(0);  // "нет" chosen on purpose
    EXPECT_EQ(s.References().Reference(), nullptr);
}

TEST_F(References, ARunOfOtherTimesIsNotDrawn) {
    TStoredRun other = CaptureRun(signals, 0);
    other.QuantTime = 0.002;
    const int id = runs.Add(std::move(other)).Id;
    runs.Add(CaptureRun(signals, 0));
    s.SetReference(id);
    ASSERT_NE(s.References().Reference(), nullptr);
    EXPECT_EQ(s.Readings().ValueRows()[0].Cells[3].Text, "");
}

}  // namespace
}  // namespace kvaril
