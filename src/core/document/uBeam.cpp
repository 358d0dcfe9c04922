#include "document/uBeam.h"

#include <algorithm>
#include <cmath>
#include <list>
#include <map>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/ValueStream.h"
#include "document/uSignal.h"

namespace kvaril {

namespace {

// A corrupt file could name thousands of signals and thousands of screens, each screen
// getting a beam per signal; refuse before that becomes gigabytes.
constexpr size_t kMaxBeamsInFile = size_t{1} << 22;
// With the cap, a document's beams stay within 256 MB.
static_assert(sizeof(TBeam) <= 64, "a beam is kept by value and must stay small");

constexpr const char* kTooManyBeams = "Слишком много экранов и лучей: нарушена структура файла";

template <typename T>
void SetField(TOsc& osc, T& field, T value) {
    if (field != value) {
        field = value;
        osc.Modified = true;
    }
}

}  // namespace

// ---- TBeam ----

TBeam::TBeam(TOsc& osc, int signalIndex)
    : osc_(osc), Group_(signalIndex + 1), SignalIndex_(signalIndex) {
    osc_.Modified = true;
}

void TBeam::SetGain(double value) { SetField(osc_, Gain_, value); }
void TBeam::SetOffset(double value) { SetField(osc_, Offset_, value); }
void TBeam::SetGroup(int value) { SetField(osc_, Group_, value); }
void TBeam::SetXAxis(bool value) { SetField(osc_, XAxis_, value); }
void TBeam::SetInterpolation(uint8_t value) { SetField(osc_, Interpolation_, value); }

TInterpolation TBeam::InterpolationKind() const {
    return Interpolation_ == 0   ? TInterpolation::Steps
           : Interpolation_ == 1 ? TInterpolation::Line
                                 : TInterpolation::Spline;
}

void TBeam::WriteTo(TValueWriter& writer) {
    writer.WriteFloat(Gain_);
    writer.WriteFloat(Offset_);
    writer.WriteInteger(Group_);
    writer.WriteBoolean(XAxis_);
    writer.WriteInteger(Interpolation_);
    osc_.Modified = false;
}

void TBeam::ReadFrom(TValueReader& reader, int version) {
    Gain_ = static_cast<double>(reader.ReadFloat());
    Offset_ = static_cast<double>(reader.ReadFloat());
    Group_ = reader.ReadInteger();
    XAxis_ = version >= 3 ? reader.ReadBoolean() : true;
    Interpolation_ = version >= 4 ? static_cast<uint8_t>(reader.ReadInteger()) : 0;
}

// ---- TTimeLabel ----

TTimeLabel::TTimeLabel(TOsc& osc) : osc_(osc) { osc_.Modified = true; }
TTimeLabel::~TTimeLabel() { osc_.Modified = true; }

void TTimeLabel::SetTime(double value) { SetField(osc_, Time_, value); }

// ---- TView ----

TView::TView(TOsc& osc) : osc_(osc), T1_(osc.TotalTime) {
    beams_.reserve(osc.SignalNames.size());
    for (size_t i = 0; i < osc.SignalNames.size(); ++i)
        beams_.emplace_back(osc, static_cast<int>(i));
    osc_.Modified = true;
}

void TView::SetName(const std::string& name) { SetField(osc_, Name_, name); }

double TView::Clamp(double t) const {
    if (!(t >= 0)) return 0;  // also NaN
    return t > osc_.TotalTime ? osc_.TotalTime : t;
}

void TView::SetT0(double t) { SetField(osc_, T0_, Clamp(t)); }
void TView::SetT1(double t) { SetField(osc_, T1_, Clamp(t)); }

TBeam& TView::Beam(int index) const {
    KV_ASSERT(index >= 0 && index < BeamCount(), "uBeam");
    return const_cast<TBeam&>(beams_[static_cast<size_t>(index)]);
}

TTimeLabel& TView::TimeLabel(int index) const {
    KV_ASSERT(index >= 0 && index < TimeLabelCount(), "uBeam");
    return *labels_[static_cast<size_t>(index)];
}

void TView::AddTimeLabel(std::unique_ptr<TTimeLabel> label) {
    // A label goes before the first one with a later time. Without NaN the list is sorted and a
    // binary search finds that place; a NaN (from a damaged file) is later than nothing, so once
    // one is in the list only a scan keeps the rule.
    const double t = label->Time();
    if (std::isnan(t)) labelsOrdered_ = false;
    const auto later = [t](const auto& l) { return l->Time() > t; };
    if (labelsOrdered_ && (labels_.empty() || !later(labels_.back()))) {
        labels_.push_back(std::move(label));
    } else if (labelsOrdered_) {
        auto at = std::upper_bound(labels_.begin(), labels_.end(), t,
                                   [](double time, const auto& l) { return time < l->Time(); });
        labels_.insert(at, std::move(label));
    } else {
        labels_.insert(std::find_if(labels_.begin(), labels_.end(), later), std::move(label));
    }
}

void TView::DeleteTimeLabel(int index) {
    KV_ASSERT(index >= 0 && index < TimeLabelCount(), "uBeam");
    labels_.erase(labels_.begin() + index);
}

int TView::FindTimeLabel(double lo, double hi) const {
    for (int i = 0; i < TimeLabelCount(); ++i) {
        const double t = labels_[static_cast<size_t>(i)]->Time();
        if (lo <= t && t <= hi) return i;
    }
    return -1;
}

void TView::WriteTo(TValueWriter& writer) {
    writer.WriteString(Name_);
    writer.WriteFloat(T0_);
    writer.WriteFloat(T1_);
    writer.WriteListBegin();
    for (auto& beam : beams_) beam.WriteTo(writer);
    writer.WriteListEnd();
    writer.WriteListBegin();
    for (auto& label : labels_) writer.WriteFloat(label->Time());
    writer.WriteListEnd();
    osc_.Modified = false;
}

void TView::ReadFrom(TValueReader& reader, int version) {
    Name_ = reader.ReadString();
    T0_ = static_cast<double>(reader.ReadFloat());
    T1_ = static_cast<double>(reader.ReadFloat());
    reader.ReadListBegin();
    for (size_t i = 0; !reader.EndOfList(); ++i) {
        if (i >= beams_.size())
            throw EReadError("List index out of bounds (" + std::to_string(i) + ")");
        beams_[i].ReadFrom(reader, version);
    }
    reader.ReadListEnd();
    if (version >= 2) {
        // Each label read goes where AddTimeLabel would put it (before the first label with a
        // later time), in n log n even for a damaged file full of NaN: NaN is later than nothing,
        // so only the other labels, kept in a sorted index, decide the place.
        reader.ReadListBegin();
        std::vector<double> times;
        while (!reader.EndOfList()) times.push_back(static_cast<double>(reader.ReadFloat()));
        reader.ReadListEnd();
        // A saved list is sorted: its labels simply follow each other.
        if (labels_.empty() && std::is_sorted(times.begin(), times.end()) &&
            std::none_of(times.begin(), times.end(), [](double t) { return std::isnan(t); })) {
            labels_.reserve(times.size());
            for (double t : times) {
                labels_.push_back(std::make_unique<TTimeLabel>(osc_));
                labels_.back()->SetTime(t);
            }
            labelsOrdered_ = true;
            return;
        }
        std::list<std::unique_ptr<TTimeLabel>> order;
        std::multimap<double, std::list<std::unique_ptr<TTimeLabel>>::iterator> byTime;
        for (auto& label : labels_) order.push_back(std::move(label));
        for (auto i = order.begin(); i != order.end(); ++i)
            if (!std::isnan((*i)->Time())) byTime.emplace((*i)->Time(), i);
        for (double t : times) {
            auto label = std::make_unique<TTimeLabel>(osc_);
            label->SetTime(t);
            if (std::isnan(t)) {
                order.push_back(std::move(label));
                continue;
            }
            const auto later = byTime.upper_bound(t);
            const auto at =
                order.insert(later == byTime.end() ? order.end() : later->second, std::move(label));
            byTime.emplace(t, at);
        }
        labels_.clear();
        labels_.reserve(order.size());
        labelsOrdered_ = true;
        for (auto& label : order) {
            if (std::isnan(label->Time())) labelsOrdered_ = false;
            labels_.push_back(std::move(label));
        }
    }
}

// ---- TOsc ----

void TOsc::Clear() {
    SignalNames.clear();
    views_.clear();
    QuantTime = 0;
    TotalTime = 0;
    Modified = false;
}

bool TOsc::FitsSignals(const TSignals& signals) const {
    if (signals.QuantTime() != QuantTime || signals.TotalTime() != TotalTime ||
        static_cast<size_t>(signals.Count()) != SignalNames.size())
        return false;
    for (int i = 0; i < signals.Count(); ++i)
        if (signals.Items(i).Name() != SignalNames[static_cast<size_t>(i)]) return false;
    return true;
}

int TOsc::ViewCountAfterSync(const TSignals& signals) const {
    return FitsSignals(signals) && !views_.empty() ? ViewCount() : 1;
}

void TOsc::SyncWithSignals(const TSignals& signals) {
    if (FitsSignals(signals)) {
        if (views_.empty()) AddView(Utf8ToCp1251("Экран 1"));
        return;
    }

    Clear();
    QuantTime = signals.QuantTime();
    TotalTime = signals.TotalTime();
    for (int i = 0; i < signals.Count(); ++i) SignalNames.push_back(signals.Items(i).Name());
    AddView(Utf8ToCp1251("Экран 1"));
    Modified = true;
}

TView& TOsc::View(int index) const {
    KV_ASSERT(index >= 0 && index < ViewCount(), "uBeam");
    return *views_[static_cast<size_t>(index)];
}

TView& TOsc::AddView(const std::string& name) {
    auto view = std::make_unique<TView>(*this);
    view->SetName(name);
    view->SetT1(TotalTime);
    views_.push_back(std::move(view));
    Modified = true;
    return *views_.back();
}

void TOsc::DeleteView(int index) {
    KV_ASSERT(index >= 0 && index < ViewCount(), "uBeam");
    views_.erase(views_.begin() + index);
    Modified = true;
}

TColorScheme TOsc::Scheme() const {
    return ColorScheme_ >= 0 && ColorScheme_ <= 2 ? static_cast<TColorScheme>(ColorScheme_)
                                                  : TColorScheme::Gray;
}

void TOsc::SetColorScheme(TColorScheme scheme) {
    SetField(*this, ColorScheme_, static_cast<int>(scheme));
}

TRgb SchemeBackground(TColorScheme scheme) {
    switch (scheme) {
        case TColorScheme::White:
            return {255, 255, 255};
        case TColorScheme::Black:
            return {0, 0, 0};
        case TColorScheme::Gray:
            break;
    }
    return {192, 192, 192};
}

TRgb TOsc::BackgroundColor() const { return SchemeBackground(Scheme()); }

void TOsc::WriteTo(TValueWriter& writer) {
    writer.WriteFloat(QuantTime);
    writer.WriteFloat(TotalTime);
    writer.WriteListBegin();
    for (const std::string& name : SignalNames) writer.WriteString(name);
    writer.WriteListEnd();
    writer.WriteListBegin();
    for (auto& view : views_) view->WriteTo(writer);
    writer.WriteListEnd();
    writer.WriteInteger(ColorScheme_);
    Modified = false;
}

void TOsc::ReadFrom(TValueReader& reader, int version) {
    QuantTime = static_cast<double>(reader.ReadFloat());
    TotalTime = static_cast<double>(reader.ReadFloat());
    reader.ReadListBegin();
    while (!reader.EndOfList()) SignalNames.push_back(reader.ReadString());
    reader.ReadListEnd();
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        if ((views_.size() + 1) * SignalNames.size() > kMaxBeamsInFile)
            throw EReadError(kTooManyBeams);
        views_.push_back(std::make_unique<TView>(*this));
        views_.back()->ReadFrom(reader, version);
    }
    reader.ReadListEnd();
    ColorScheme_ = reader.ReadInteger();
    Modified = false;
}

}  // namespace kvaril
