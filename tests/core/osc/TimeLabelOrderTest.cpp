// Reading a screen's time labels: each label goes before the first one with a later time, as
// when the user adds them one by one, whatever the file holds (unsorted times, equal times, NaN
// from a damaged file), and a saved list reads back unchanged.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "base/ValueStream.h"
#include "document/uBeam.h"

namespace kvaril {
namespace {

// What adding the labels one by one gives.
std::vector<double> InsertOneByOne(const std::vector<double>& times) {
    std::vector<double> list;
    for (double t : times)
        list.insert(std::find_if(list.begin(), list.end(), [t](double l) { return l > t; }), t);
    return list;
}

std::vector<double> ReadLabels(const std::vector<double>& times) {
    MemorySink sink;
    {
        TValueWriter w(sink);
        w.WriteString("V");
        w.WriteFloat(0);
        w.WriteFloat(1);
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteListBegin();
        for (double t : times) w.WriteFloat(t);
        w.WriteListEnd();
        w.FlushBuffer();
    }
    MemorySource source(sink.bytes);
    TValueReader reader(source);
    TOsc osc;
    TView view(osc);
    view.ReadFrom(reader, 4);
    std::vector<double> read;
    for (int i = 0; i < view.TimeLabelCount(); ++i) read.push_back(view.TimeLabel(i).Time());
    return read;
}

// NaN never equals itself: compare bit for bit.
void ExpectSameTimes(const std::vector<double>& a, const std::vector<double>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_TRUE(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))
            << "at " << i << ": " << a[i] << " vs " << b[i];
}

TEST(TimeLabelOrder, AnyListReadsAsIfAddedOneByOne) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::mt19937 random(7);
    for (int trial = 0; trial < 200; ++trial) {
        SCOPED_TRACE(trial);
        std::vector<double> times(random() % 40);
        for (double& t : times) {
            const unsigned kind = random() % 10;
            t = kind == 0 ? nan : static_cast<double>(random() % 8) / 4;  // many equal times
        }
        ExpectSameTimes(ReadLabels(times), InsertOneByOne(times));
    }
}

TEST(TimeLabelOrder, AddingAfterANaNStillFollowsTheRule) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    TOsc osc;
    TView view(osc);
    std::vector<double> added;
    for (double t : {0.5, nan, 0.25, 0.75, 0.5, nan, 0.0}) {
        auto label = std::make_unique<TTimeLabel>(osc);
        label->SetTime(t);
        view.AddTimeLabel(std::move(label));
        added.push_back(t);
    }
    std::vector<double> shown;
    for (int i = 0; i < view.TimeLabelCount(); ++i) shown.push_back(view.TimeLabel(i).Time());
    ExpectSameTimes(shown, InsertOneByOne(added));
}

}  // namespace
}  // namespace kvaril
