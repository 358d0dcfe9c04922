#pragma once
// The oscilloscope session over a hand-made run, without a window: signals A, B, C with
// Q = 0.001 and T = 1; A = 0, B = 0.5 and C = t everywhere; traces 200 columns wide.

#include <gtest/gtest.h>

#include "HandRun.h"
#include "osc/OscSession.h"
#include "osc/uBeam.h"

namespace kvaril {

struct TSessionFixture : ::testing::Test {
    void SetUp() override {
        MakeHandRun(signals, {"A", "B", "C"}, 0.001, 1, [](int s, int q) {
            return s == 0 ? 0 : s == 1 ? 0.5 : q * 0.001;
        });
        s.PrepareForRun();
        s.TimeView().SetGraphWidth(200);
    }
    TView& View() { return *s.Current(); }
    void Window(double t0, double t1) {
        View().SetT0(t0);
        View().SetT1(t1);
    }
    TSignals signals;
    TOsc osc;
    TOscSession s{osc, signals};
};

}  // namespace kvaril
