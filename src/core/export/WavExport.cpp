#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "base/uCommon.h"
#include "document/uSignal.h"
#include "export/DataExport.h"
#include "export/OutputPlan.h"
#include "model/ModelGenerator.h"
#include "store/StoreBudget.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

// The file is written as it goes, header first: its sizes are known before the first sample,
// so nothing seeks back and the output may be a pipe. A long run's samples are never held twice.
constexpr uint64_t kWavHeaderBytes = 58;  // RIFF, "fmt " of 18, "fact", "data" headers

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A 32-bit IEEE float WAVE header: WAVE_FORMAT_IEEE_FLOAT wants an extended "fmt " (size 18,
// no extra bytes) and a "fact" chunk with the frame count.
std::string WavHeader(int32_t rate, int channels, uint32_t frames) {
    const uint32_t dataBytes = frames * static_cast<uint32_t>(channels) * 4;
    std::string h = "RIFF";
    PutLe(h, static_cast<uint32_t>(kWavHeaderBytes - 8) + dataBytes, 4);
    h += "WAVEfmt ";
    PutLe(h, 18, 4);
    PutLe(h, 3, 2);  // IEEE float
    PutLe(h, static_cast<uint32_t>(channels), 2);
    PutLe(h, static_cast<uint32_t>(rate), 4);
    PutLe(h, static_cast<uint32_t>(rate) * static_cast<uint32_t>(channels) * 4, 4);
    PutLe(h, static_cast<uint32_t>(channels) * 4, 2);
    PutLe(h, 32, 2);
    PutLe(h, 0, 2);  // no extension bytes
    h += "fact";
    PutLe(h, 4, 4);
    PutLe(h, frames, 4);
    h += "data";
    PutLe(h, dataBytes, 4);
    return h;
}

void PutFloat(char* out, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

std::string Hertz(double value) { return FormatShortestPlain(value) + " Гц"; }

}  // namespace

std::string TWavRate::Warning() const {
    return "Частота отсчетов модели " + Hertz(Exact) + " не целая; WAV будет записан с частотой " +
           Hertz(Rate) + ", и время в нем разойдется со временем модели";
}

TWavRate WavRateOf(const TSignals& signals) {
    TWavRate rate;
    const long double quantTime = ModelTime(signals, 1);
    const long double exact = 1.0L / quantTime;
    // Told in the document's own quantum: the model's is that one to 15 digits, which makes a
    // typed 1/44100.7 s read 44100.7000000001 Hz.
    rate.Exact = 1.0 / signals.QuantTime();
    const int64_t rounded = std::isfinite(exact) ? Round(exact) : 0;
    // The header holds the rate and the bytes per second (rate × channels × 4) in 32 bits.
    constexpr int64_t kMaxRate = std::numeric_limits<uint32_t>::max() / (4 * kMaxWavChannels);
    if (!(quantTime > 0) || rounded < 1 || rounded > kMaxRate) {
        rate.Refusal = "Частоту отсчетов модели " + Hertz(rate.Exact) +
                       " в WAV не записать: " + "файл хранит частоты от 1 до " +
                       Hertz(static_cast<double>(kMaxRate));
        return rate;
    }
    rate.Rate = static_cast<int32_t>(rounded);
    rate.Inexact = std::fabs(exact - rounded) > exact * 1e-6L;
    return rate;
}

std::string WavSizeRefusal(const TDataRange& range) {
    const size_t channels = range.Signals.size();
    if (channels > kMaxWavChannels)
        return "В WAV не больше " + std::to_string(kMaxWavChannels) +
               " каналов, а выбрано сигналов: " + std::to_string(channels);
    // Every size in the header is 32 bits.
    const uint64_t dataBytes =
        static_cast<uint64_t>(std::max(range.QuantCount(), 0)) * channels * 4;
    if (kWavHeaderBytes - 8 + dataBytes > std::numeric_limits<uint32_t>::max())
        return "В WAV не больше 4 ГБ, а выбранные отсчеты занимают " + FormatBytes(dataBytes) +
               ": выберите меньше сигналов или короче отрезок времени";
    return {};
}

void WriteSamplesWav(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                     const TWorkHooks& hooks) {
    CheckRangeInData(signals, range);
    const TWavRate rate = WavRateOf(signals);
    if (!rate.Refusal.empty()) throw ERangeError(rate.Refusal);
    if (const std::string refusal = WavSizeRefusal(range); !refusal.empty())
        throw ERangeError(refusal);
    const int channels = static_cast<int>(range.Signals.size());

    const std::string header =
        WavHeader(rate.Rate, channels, static_cast<uint32_t>(range.QuantCount()));
    sink.Write(header.data(), header.size());
    // The frames go out a piece at a time: no copy of the whole range.
    const TSignalsData& data = signals.Data();
    constexpr int kPieceFrames = 65536;
    std::vector<char> bytes(static_cast<size_t>(channels) * kPieceFrames * 4);
    for (int first = range.FirstQuant; first <= range.LastQuant; first += kPieceFrames) {
        if (first > range.FirstQuant) hooks.Step(first - range.FirstQuant, range.QuantCount());
        const int last = std::min(range.LastQuant, first + kPieceFrames - 1);
        char* out = bytes.data();
        for (int q = first; q <= last; ++q)
            for (int s : range.Signals) {
                PutFloat(out, static_cast<float>(data.GetData(s, q)));
                out += 4;
            }
        sink.Write(bytes.data(), static_cast<size_t>(out - bytes.data()));
    }
}

void WriteSamplesWav(const std::string& path, const TSignals& signals, const TDataRange& range,
                     const TWorkHooks& hooks) {
    WriteOutputFile(path, TOutputKind::Binary,
                    [&](ByteSink& sink) { WriteSamplesWav(sink, signals, range, hooks); });
}

}  // namespace kvaril
