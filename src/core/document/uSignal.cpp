#include "document/uSignal.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/ValueStream.h"
#include "base/uCommon.h"
#include "store/uSignalsData.h"

namespace kvaril {

// ---- TSignal ----

TSignal::TSignal(TSignals& owner) : owner_(owner) { owner_.Modified = true; }

void TSignal::InitTemplate(const std::string& name, bool withDestructor) {
    Name_ = name;
    const std::string var = "Signal_" + name;
    const std::string cls = "T" + var;
    auto add = [this](std::string line) { Lines_.push_back(std::move(line)); };
    add("type");
    add("  " + cls + " = class");
    add("  public");
    add("    Value: Double;");
    add("");
    add("    constructor Create;");
    if (withDestructor) add("    destructor  Destroy; override;");
    add("    procedure   Make(t: Double);");
    add("  end;");
    add("");
    add("var");
    add("  " + var + ": " + cls + ";");
    add("");
    add("constructor " + cls + ".Create;");
    add("begin");
    add("  inherited Create;");
    add("");
    add("end;");
    if (withDestructor) {
        add("");
        add("destructor " + cls + ".Destroy;");
        add("begin");
        add("");
        add("  inherited Destroy;");
        add("end;");
    }
    add("");
    add("procedure " + cls + ".Make(t: Double);");
    add("begin");
    add("  Value := ;");
    add("end;");
    owner_.Modified = true;
}

void TSignal::SetName(const std::string& name) {
    if (name == Name_) return;
    Name_ = name;
    owner_.Modified = true;
}

std::string TSignal::GetText() const { return JoinLines(Lines_); }

void TSignal::SetText(const std::string& text) {
    // Texts compare as the editor hands them over: up to the first NUL of either side.
    std::string current = GetText();
    std::string_view a(text.c_str()), b(current.c_str());
    if (a == b) return;
    Lines_ = SplitLines(text);
    owner_.Modified = true;
}

void TSignal::WriteTo(TValueWriter& writer) {
    writer.WriteString(Name_);
    writer.WriteString(GetText());
    owner_.Modified = false;
}

void TSignal::ReadFrom(TValueReader& reader) {
    SetName(reader.ReadString());
    Lines_ = SplitLines(reader.ReadString());
    owner_.Modified = false;
}

// ---- TSignals ----

TSignals::TSignals() : data_(std::make_unique<TSignalsData>()) { SetDefaults(); }

TSignals::~TSignals() = default;

void TSignals::SetDefaults() {
    QuantTime_ = 0.0001;
    TotalTime_ = 0.1;
    Modified = false;
}

void TSignals::Clear() {
    for (auto& signal : list_) signal.reset();  // first to last
    list_.clear();
    SetDefaults();
}

void TSignals::CopyFrom(const TSignals& other) {
    Clear();
    QuantTime_ = other.QuantTime_;
    TotalTime_ = other.TotalTime_;
    for (const auto& source : other.list_) {
        auto signal = std::make_unique<TSignal>(*this);
        signal->SetName(source->Name());
        signal->Lines() = source->Lines();
        list_.push_back(std::move(signal));
    }
    Modified = true;
}

TSignal& TSignals::Items(int index) const {
    KV_ASSERT(index >= 0 && index < Count(), "uSignal");
    return *list_[static_cast<size_t>(index)];
}

int TSignals::IndexOf(const TSignal* signal) const {
    for (int i = 0; i < Count(); ++i)
        if (list_[static_cast<size_t>(i)].get() == signal) return i;
    return -1;
}

int TSignals::IndexOfName(const std::string& name) const {
    for (int i = 0; i < Count(); ++i)
        if (list_[static_cast<size_t>(i)]->Name() == name) return i;
    return -1;
}

void TSignals::Insert(std::unique_ptr<TSignal> signal, int index) {
    KV_ASSERT(signal != nullptr, "uSignal");
    if (index < 0 || index >= Count())
        list_.push_back(std::move(signal));
    else
        list_.insert(list_.begin() + index, std::move(signal));
    Modified = true;
}

void TSignals::Move(int from, int to) {
    KV_ASSERT(from >= 0 && from < Count(), "uSignal");
    KV_ASSERT(to >= 0 && to < Count(), "uSignal");
    auto signal = std::move(list_[static_cast<size_t>(from)]);
    list_.erase(list_.begin() + from);
    list_.insert(list_.begin() + to, std::move(signal));
    Modified = true;
}

void TSignals::Delete(int index) {
    KV_ASSERT(index >= 0 && index < Count(), "uSignal");
    list_.erase(list_.begin() + index);
    Modified = true;
}

int32_t TSignals::QuantCount() const {
    if (!(QuantTime_ >= MinQuantTime)) return 0;
    // A ratio beyond 32 bits must not wrap into the range the generator accepts, nor overflow the
    // 64-bit rounding into its most negative value (which read as "too short").
    const long double ratio = static_cast<long double>(TotalTime_) / QuantTime_;
    if (std::isnan(ratio)) return 0;
    if (ratio >= INT32_MAX) return INT32_MAX;
    if (ratio <= INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(Round(ratio));
}

// Beyond this the 64-bit rounding overflows; such values are whole multiples of any step anyway.
constexpr long double kRoundable = 9.0e18L;

void TSignals::SetQuantTime(double x) {
    const long double micro = static_cast<long double>(x) * 1000000.0L;
    auto v = std::fabs(micro) < kRoundable ? static_cast<double>(Round(micro) / 1000000.0L) : x;
    if (v < MinQuantTime) v = MinQuantTime;
    if (v != QuantTime_) {
        QuantTime_ = v;
        Modified = true;
    }
}

void TSignals::SetTotalTime(double x) {
    if (QuantTime_ >= MinQuantTime) {
        const long double q = QuantTime_;
        const long double steps = static_cast<long double>(x) / q;
        if (std::fabs(steps) < kRoundable) x = static_cast<double>(Round(steps) * q);
    }
    if (10.0L * QuantTime_ > x) x = static_cast<double>(10.0L * QuantTime_);
    if (x != TotalTime_) {
        TotalTime_ = x;
        Modified = true;
    }
}

void TSignals::WriteTo(TValueWriter& writer) {
    writer.WriteFloat(QuantTime_);
    writer.WriteFloat(TotalTime_);
    writer.WriteListBegin();
    for (auto& signal : list_) signal->WriteTo(writer);
    writer.WriteListEnd();
    Modified = false;
}

void TSignals::ReadFrom(TValueReader& reader, int /*version*/) {
    QuantTime_ = static_cast<double>(reader.ReadFloat());
    TotalTime_ = static_cast<double>(reader.ReadFloat());
    reader.ReadListBegin();
    while (!reader.EndOfList()) {
        auto signal = std::make_unique<TSignal>(*this);
        signal->ReadFrom(reader);
        list_.push_back(std::move(signal));
    }
    reader.ReadListEnd();
    Modified = false;
}

std::vector<std::string> SignalNamesUtf8(const TSignals& signals) {
    std::vector<std::string> names;
    for (int i = 0; i < signals.Count(); ++i)
        names.push_back(Cp1251ToUtf8(signals.Items(i).Name()));
    return names;
}

}  // namespace kvaril
