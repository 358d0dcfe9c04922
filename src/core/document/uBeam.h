#pragma once
// The oscilloscope model: screens, one beam per signal on each screen, time labels and the
// colour scheme. It is part of the document and persists after the signal section.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/OscEnums.h"

namespace kvaril {

class TOsc;
class TSignals;
class TValueReader;
class TValueWriter;

class TBeam {
  public:
    TBeam(TOsc& osc, int signalIndex);
    TBeam(const TBeam&) = delete;
    TBeam& operator=(const TBeam&) = delete;
    TBeam(TBeam&&) = default;  // a screen keeps its beams by value, built once

    double Gain() const { return Gain_; }  // exactly 0: automatic
    double Offset() const { return Offset_; }
    int Group() const { return Group_; }  // 0 hidden, > 0 group number, < 0 value table only
    bool XAxis() const { return XAxis_; }
    uint8_t Interpolation() const { return Interpolation_; }  // as stored, see TInterpolation
    TInterpolation InterpolationKind() const;
    int SignalIndex() const { return SignalIndex_; }

    void SetGain(double value);
    void SetOffset(double value);
    void SetGroup(int value);
    void SetXAxis(bool value);
    void SetInterpolation(uint8_t value);
    void SetInterpolation(TInterpolation value) { SetInterpolation(static_cast<uint8_t>(value)); }

    void WriteTo(TValueWriter& writer);
    void ReadFrom(TValueReader& reader, int version);

  private:
    TOsc& osc_;
    double Gain_ = 0;
    double Offset_ = 0;
    int Group_;
    bool XAxis_ = true;
    uint8_t Interpolation_ = 0;
    int SignalIndex_;
};

class TTimeLabel {
  public:
    explicit TTimeLabel(TOsc& osc);
    ~TTimeLabel();
    TTimeLabel(const TTimeLabel&) = delete;
    TTimeLabel& operator=(const TTimeLabel&) = delete;

    double Time() const { return Time_; }
    void SetTime(double value);

  private:
    TOsc& osc_;
    double Time_ = 0;
};

class TView {
  public:
    explicit TView(TOsc& osc);
    TView(const TView&) = delete;
    TView& operator=(const TView&) = delete;

    const std::string& Name() const { return Name_; }
    double T0() const { return T0_; }
    double T1() const { return T1_; }
    void SetName(const std::string& name);
    void SetT0(double t);  // clamped to 0..TotalTime; does not keep T0 < T1
    void SetT1(double t);

    int BeamCount() const { return static_cast<int>(beams_.size()); }
    TBeam& Beam(int index) const;
    int TimeLabelCount() const { return static_cast<int>(labels_.size()); }
    TTimeLabel& TimeLabel(int index) const;
    // Keeps the labels sorted; a label goes behind those with the same time.
    void AddTimeLabel(std::unique_ptr<TTimeLabel> label);
    void DeleteTimeLabel(int index);
    // The first label with lo <= Time <= hi, or -1.
    int FindTimeLabel(double lo, double hi) const;

    void WriteTo(TValueWriter& writer);
    void ReadFrom(TValueReader& reader, int version);

  private:
    double Clamp(double t) const;

    TOsc& osc_;
    std::string Name_;
    // By value: a document may hold millions of beams, and each costs only its fields.
    // Built once in the constructor and never resized, so references to beams stay valid.
    std::vector<TBeam> beams_;
    std::vector<std::unique_ptr<TTimeLabel>> labels_;
    bool labelsOrdered_ = true;  // no NaN among the labels, so they are sorted by time
    double T0_ = 0;
    double T1_ = 0;
};

struct TRgb {
    uint8_t R, G, B;
    bool operator==(const TRgb&) const = default;
};

class TOsc {
  public:
    TOsc() = default;
    TOsc(const TOsc&) = delete;
    TOsc& operator=(const TOsc&) = delete;

    void Clear();
    // Resets to one default screen when the document's signals or times changed since the last
    // synchronisation; otherwise keeps every setting. A model without screens (a file can hold
    // one) gets the default screen too, so there is always one to show.
    void SyncWithSignals(const TSignals& signals);
    // Whether the settings were made for these signals and times (SyncWithSignals keeps them).
    bool FitsSignals(const TSignals& signals) const;
    // How many screens the oscilloscope will show after a run of `signals`: the stored ones when
    // they fit, otherwise the one default screen SyncWithSignals makes.
    int ViewCountAfterSync(const TSignals& signals) const;

    int ViewCount() const { return static_cast<int>(views_.size()); }
    TView& View(int index) const;
    TView& AddView(const std::string& name);
    void DeleteView(int index);

    int ColorScheme() const { return ColorScheme_; }  // as stored; may lie outside 0..2
    TColorScheme Scheme() const;                      // outside 0..2: Gray
    void SetColorScheme(TColorScheme scheme);
    TRgb BackgroundColor() const;

    void WriteTo(TValueWriter& writer);
    void ReadFrom(TValueReader& reader, int version);

    double QuantTime = 0;
    double TotalTime = 0;
    std::vector<std::string> SignalNames;  // Windows-1251
    bool Modified = false;

  private:
    std::vector<std::unique_ptr<TView>> views_;
    int ColorScheme_ = 0;
};

TRgb SchemeBackground(TColorScheme scheme);

}  // namespace kvaril
