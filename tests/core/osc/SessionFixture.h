#pragma once
// The oscilloscope session, or a part of it on its own, over a hand-made run without a window:
// signals A, B, C with Q = 0.001 and T = 1; B = 0.5 and C = t everywhere; traces 200 columns wide.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "HandRun.h"
#include "document/uBeam.h"
#include "model/RunHistory.h"
#include "osc/OscContext.h"
#include "osc/OscSession.h"

// The window of `view` is t0 .. t1, to within rounding.
#define EXPECT_WINDOW(view, t0, t1)                                                             \
    EXPECT_TRUE(std::fabs((view).T0() - (t0)) < 1e-12 && std::fabs((view).T1() - (t1)) < 1e-12) \
        << (view).T0() << " .. " << (view).T1() << " "

namespace kvaril {

// Adds a time label at `t` to `view`.
inline void AddLabel(TOsc& osc, TView& view, double t) {
    auto label = std::make_unique<TTimeLabel>(osc);
    label->SetTime(t);
    view.AddTimeLabel(std::move(label));
}

// A = 0.
struct TSessionFixture : ::testing::Test {
    void SetUp() override {
        MakeHandRun(signals, {"A", "B", "C"}, 0.001, 1, [](int s, int q) {
            return s == 0 ? 0 : s == 1 ? 0.5 : q * 0.001;
        });
        s.PrepareForRun();
        s.SetGraphWidth(200);
    }
    TView& View() { return *s.Current(); }
    void Window(double t0, double t1) {
        View().SetT0(t0);
        View().SetT1(t1);
    }
    void Label(double t) { AddLabel(osc, View(), t); }
    TSignals signals;
    TOsc osc;
    TOscSession s{osc, signals};
};

// A = 2 sin(2πt); the document is opened from a file, so its state counts as saved.
struct TSavedSessionFixture : ::testing::Test {
    void SetUp() override {
        MakeHandRun(signals, {"A", "B", "C"}, 0.001, 1, [](int s, int q) {
            return s == 0 ? 2 * std::sin(2 * M_PI * q * 0.001) : s == 1 ? 0.5 : q * 0.001;
        });
        osc.Modified = false;  // as after opening a saved document
        s.PrepareForRun();
        osc.Modified = false;
        s.PrepareForRun();
        s.SetGraphWidth(200);
    }
    TView& View() { return *s.Current(); }
    TSignals signals;
    TOsc osc;
    TOscSession s{osc, signals};
};

// Two runs in the history: the first with B = 0.5, the current one with B = 0.75.
struct TReferenceFixture : TSavedSessionFixture {
    void SetUp() override {
        TSavedSessionFixture::SetUp();
        s.SetRunHistory(&runs);
        runs.Add(CaptureRun(signals, 0));
        for (int q = 0; q < signals.Data().SampleCount(); ++q) signals.Data().SetData(1, q, 0.75);
        runs.Add(CaptureRun(signals, 0));
        s.PrepareForRun();
    }
    TRunHistory runs;
};

// No session: only the shared context, prepared as a run prepares it, with its one screen shown
// and its state counting as saved. A test builds the parts it needs over `context`.
struct TContextFixture : ::testing::Test {
    void SetUp() override {
        MakeHandRun(signals, {"A", "B", "C"}, 0.001, 1, [](int s, int q) {
            return s == 0 ? 0 : s == 1 ? 0.5 : q * 0.001;
        });
        osc.SyncWithSignals(signals);
        osc.Modified = false;
        context.SetMinInterval(10 * signals.QuantTime());
        context.SetCurrentIndex(0);
        context.SetGraphWidth(200);
        context.Undo().Reset();
    }
    TView& View(int index = 0) { return osc.View(index); }
    TSignals signals;
    TOsc osc;
    TOscContext context{osc, signals};
};

}  // namespace kvaril
