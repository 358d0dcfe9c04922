#pragma once
// A signal (a named piece of Pascal text) and the document's ordered signal list with its two
// modelling times. Names and lines are Windows-1251 bytes.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kvaril {

class TSignals;
class TSignalsData;
class TValueReader;
class TValueWriter;

inline constexpr double MinQuantTime = 0.000001;

struct TBookmark {
    bool IsSet = false;
    int32_t X = 0;
    int32_t Y = 0;
};

class TSignal {
  public:
    // Marks the list modified even before the signal is inserted into it.
    explicit TSignal(TSignals& owner);
    TSignal(const TSignal&) = delete;
    TSignal& operator=(const TSignal&) = delete;

    void InitTemplate(const std::string& name, bool withDestructor);
    void SetName(const std::string& name);
    std::string GetText() const;
    void SetText(const std::string& text);
    void WriteTo(TValueWriter& writer);
    void ReadFrom(TValueReader& reader);

    const std::string& Name() const { return Name_; }
    std::vector<std::string>& Lines() { return Lines_; }
    const std::vector<std::string>& Lines() const { return Lines_; }

    // In memory only; a loaded signal starts with these values.
    int32_t StartLine = 0;  // lines of the generated unit before the signal's first line
    int32_t CaretX = 1;
    int32_t CaretY = 1;
    std::array<TBookmark, 10> Bookmarks{};

  private:
    TSignals& owner_;
    std::string Name_;
    std::vector<std::string> Lines_;
};

class TSignals {
  public:
    TSignals();
    ~TSignals();
    TSignals(const TSignals&) = delete;
    TSignals& operator=(const TSignals&) = delete;

    void SetDefaults();
    void Clear();
    // The times and the signals' names and texts of `other`, exactly; the result store stays
    // this list's own.
    void CopyFrom(const TSignals& other);

    int Count() const { return static_cast<int>(list_.size()); }
    bool IsEmpty() const { return list_.empty(); }
    bool HasSignals() const { return !list_.empty(); }
    TSignal& Items(int index) const;
    int IndexOf(const TSignal* signal) const;
    int IndexOfName(const std::string& name) const;

    // Appends when index < 0 or index >= Count; takes ownership.
    void Insert(std::unique_ptr<TSignal> signal, int index);
    void Move(int from, int to);
    void Delete(int index);

    double QuantTime() const { return QuantTime_; }
    double TotalTime() const { return TotalTime_; }
    int32_t QuantCount() const;
    void SetQuantTime(double x);
    void SetTotalTime(double x);  // uses the current QuantTime: set that first

    void WriteTo(TValueWriter& writer);
    void ReadFrom(TValueReader& reader, int version);

    TSignalsData& Data() { return *data_; }
    const TSignalsData& Data() const { return *data_; }
    // Takes the samples of a run made on a copy of these signals (and hands over its own).
    void SwapData(TSignals& other) { data_.swap(other.data_); }

    bool Modified = false;

  private:
    std::vector<std::unique_ptr<TSignal>> list_;
    double QuantTime_ = 0.0001;
    double TotalTime_ = 0.1;
    std::unique_ptr<TSignalsData> data_;
};

// The signals' names in UTF-8, in their order.
std::vector<std::string> SignalNamesUtf8(const TSignals& signals);

}  // namespace kvaril
