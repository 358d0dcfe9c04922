#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "document/uSignal.h"
#include "export/DataExport.h"
#include "export/OutputPlan.h"
#include "model/ModelGenerator.h"
#include "model/uCommon.h"
#include "model/uSignalsData.h"

namespace kvaril {

namespace {

// The sound library writes into memory through its virtual I/O (it seeks back to finish the
// header); the bytes then go to the output's sink.
struct TMemoryFile {
    std::vector<char> Bytes;
    sf_count_t Position = 0;
};

sf_count_t MemLength(void* user) { return static_cast<TMemoryFile*>(user)->Bytes.size(); }

sf_count_t MemSeek(sf_count_t offset, int whence, void* user) {
    auto* f = static_cast<TMemoryFile*>(user);
    sf_count_t base = whence == SEEK_CUR   ? f->Position
                      : whence == SEEK_END ? static_cast<sf_count_t>(f->Bytes.size())
                                           : 0;
    if (base + offset < 0) return -1;
    f->Position = base + offset;
    return f->Position;
}

sf_count_t MemRead(void* data, sf_count_t count, void* user) {
    auto* f = static_cast<TMemoryFile*>(user);
    const sf_count_t size = static_cast<sf_count_t>(f->Bytes.size());
    const sf_count_t n = std::max<sf_count_t>(0, std::min(count, size - f->Position));
    if (n > 0) std::memcpy(data, f->Bytes.data() + f->Position, n);
    f->Position += n;
    return n;
}

sf_count_t MemWrite(const void* data, sf_count_t count, void* user) {
    auto* f = static_cast<TMemoryFile*>(user);
    if (f->Position + count > static_cast<sf_count_t>(f->Bytes.size()))
        f->Bytes.resize(f->Position + count);
    std::memcpy(f->Bytes.data() + f->Position, data, count);
    f->Position += count;
    return count;
}

sf_count_t MemTell(void* user) { return static_cast<TMemoryFile*>(user)->Position; }

// The sound library's own words (English) follow ours; its errors have no system reason.
EFileError SoundLibraryFailure(const std::string& path, const std::string& why) {
    return EFileError("Не удается создать файл " + path +
                      ": звуковая библиотека не записала его (" + why + ")");
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

void WriteSamplesWav(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                     const std::string& path, const TWorkHooks& hooks) {
    CheckRangeInData(signals, range);
    const TWavRate rate = WavRateOf(signals);
    if (!rate.Refusal.empty()) throw ERangeError(rate.Refusal);
    const int channels = static_cast<int>(range.Signals.size());
    if (channels > kMaxWavChannels)
        throw ERangeError("В WAV не больше " + std::to_string(kMaxWavChannels) +
                          " каналов, а выбрано сигналов: " + std::to_string(channels));

    TMemoryFile memory;
    SF_VIRTUAL_IO io{MemLength, MemSeek, MemRead, MemWrite, MemTell};
    SF_INFO info{};
    info.samplerate = rate.Rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
    if (!file) throw SoundLibraryFailure(path, sf_strerror(nullptr));
    // Closed however the writing ends, a stop included.
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> open(file, sf_close);
    // No PEAK chunk: the file is the same bytes for the same samples.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    // The frames go to the library a piece at a time: no float copy of the whole range.
    const TSignalsData& data = signals.Data();
    constexpr int kPieceFrames = 65536;
    std::vector<float> frames;
    frames.reserve(static_cast<size_t>(channels) * kPieceFrames);
    sf_count_t written = 0;
    for (int first = range.FirstQuant; first <= range.LastQuant; first += kPieceFrames) {
        if (first > range.FirstQuant) hooks.Step(first - range.FirstQuant, range.QuantCount());
        const int last = std::min(range.LastQuant, first + kPieceFrames - 1);
        frames.clear();
        for (int q = first; q <= last; ++q)
            for (int s : range.Signals) frames.push_back(static_cast<float>(data.GetData(s, q)));
        written += sf_writef_float(file, frames.data(), last - first + 1);
    }
    const std::string error = written == range.QuantCount() ? "" : sf_strerror(file);
    if (sf_close(open.release()) != 0 || !error.empty()) throw SoundLibraryFailure(path, error);

    sink.Write(memory.Bytes.data(), memory.Bytes.size());
}

void WriteSamplesWav(const std::string& path, const TSignals& signals, const TDataRange& range,
                     const TWorkHooks& hooks) {
    WriteOutputFile(path, TOutputKind::Binary,
                    [&](ByteSink& sink) { WriteSamplesWav(sink, signals, range, path, hooks); });
}

}  // namespace kvaril
