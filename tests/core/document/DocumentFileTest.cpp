#include "TestFolder.h"
#include "document/DocumentFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/FileStreams.h"
#include "base/ValueStream.h"
#include "document/uBeam.h"
#include "document/uSignal.h"

namespace kvaril {
namespace {

namespace fs = std::filesystem;

const std::string kMinimalDocument(
    "\x06\x06KVARIL\x02\x04"
    "\x05\x00\x68\x19\xE2\x58\x17\xB7\xD1\xF1\x3F"
    "\x05\x00\xD0\xCC\xCC\xCC\xCC\xCC\xCC\xFB\x3F"
    "\x01\x06\x01\x41\x06\x06\x61\x0D\x0A\x62\x0D\x0A\x00"
    "\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
    "\x01\x00\x01\x00\x02\x00",
    73);

class DocumentFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = testing::TestFolder("kvaril-doc");
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Spit(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    fs::path dir_;
};

void AddSignal(TSignals& signals, const std::string& name, const std::string& text) {
    auto signal = std::make_unique<TSignal>(signals);
    signal->SetName(name);
    signal->SetText(text);
    signals.Insert(std::move(signal), -1);
}

std::string ReadError(const std::string& bytes, TSignals& signals, TOsc& osc) {
    MemorySource source(bytes);
    try {
        ReadDocumentFrom(source, signals, osc);
    } catch (const EKvaril& e) {
        return e.what();
    }
    return "<no error>";
}

// A document of the given version, written value by value the way that version laid it out.
std::string OldDocument(int version) {
    MemorySink sink;
    TValueWriter w(sink);
    w.WriteString("KVARIL");
    w.WriteInteger(version);
    w.WriteFloat(0.001);
    w.WriteFloat(1.0);
    w.WriteListBegin();
    w.WriteString("A");
    w.WriteString("x\r\n");
    w.WriteString("B");
    w.WriteString("y\r\n");
    w.WriteListEnd();
    w.WriteFloat(0.001);  // oscilloscope section
    w.WriteFloat(1.0);
    w.WriteListBegin();
    w.WriteString("A");
    w.WriteString("B");
    w.WriteListEnd();
    w.WriteListBegin();
    w.WriteString("S");
    w.WriteFloat(0.25);
    w.WriteFloat(0.5);
    w.WriteListBegin();
    w.WriteFloat(2.0);  // beam A: gain, offset, group
    w.WriteFloat(0.5);
    w.WriteInteger(3);
    if (version >= 3) w.WriteBoolean(false);
    if (version >= 4) w.WriteInteger(2);
    w.WriteListEnd();  // beam B keeps its defaults
    if (version >= 2) {
        w.WriteListBegin();
        w.WriteFloat(0.4);
        w.WriteFloat(0.3);
        w.WriteListEnd();
    }
    w.WriteListEnd();
    w.WriteInteger(2);
    w.FlushBuffer();
    return sink.bytes;
}

TEST_F(DocumentFileTest, TheMinimalDocumentIsSeventyThreeBytes) {
    TSignals signals;
    TOsc osc;
    AddSignal(signals, "A", "a\r\nb\r\n");
    WriteDocument(Path("a.sig"), signals, osc);
    EXPECT_EQ(Slurp(Path("a.sig")), kMinimalDocument);
    EXPECT_FALSE(signals.Modified);
    EXPECT_FALSE(osc.Modified);

    TSignals read;
    TOsc readOsc;
    ReadDocument(Path("a.sig"), read, readOsc);
    ASSERT_EQ(read.Count(), 1);
    EXPECT_EQ(read.Items(0).Name(), "A");
    EXPECT_EQ(read.Items(0).Lines(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(read.QuantTime(), 0.0001);
    EXPECT_EQ(read.TotalTime(), 0.1);
    EXPECT_EQ(readOsc.ViewCount(), 0);
    EXPECT_FALSE(read.Modified);
    EXPECT_FALSE(readOsc.Modified);
}

TEST_F(DocumentFileTest, SignatureAndVersionAreChecked) {
    TSignals signals;
    TOsc osc;
    std::string lower = kMinimalDocument;
    lower.replace(2, 6, "kvaril");
    EXPECT_EQ(ReadError(lower, signals, osc), kSignatureError);

    std::string v5 = kMinimalDocument;
    v5[9] = 5;
    EXPECT_EQ(ReadError(v5, signals, osc), kVersionError);

    EXPECT_EQ(ReadError(std::string("\x02\x04", 2), signals, osc), kInvalidPropertyValue)
        << "the first value is not a string";
    EXPECT_EQ(ReadError("", signals, osc), kStreamReadError);
}

TEST_F(DocumentFileTest, EveryVersionUpToFourIsRead) {
    for (int version = 0; version <= 4; ++version) {
        SCOPED_TRACE(version);
        TSignals signals;
        TOsc osc;
        const std::string bytes = OldDocument(version);
        MemorySource source(bytes);
        ASSERT_NO_THROW(ReadDocumentFrom(source, signals, osc));
        ASSERT_EQ(signals.Count(), 2);
        ASSERT_EQ(osc.ViewCount(), 1);
        const TView& view = osc.View(0);
        EXPECT_EQ(view.Name(), "S");
        EXPECT_EQ(view.T0(), 0.25);
        EXPECT_EQ(view.T1(), 0.5);
        EXPECT_EQ(view.Beam(0).Gain(), 2.0);
        EXPECT_EQ(view.Beam(0).Offset(), 0.5);
        EXPECT_EQ(view.Beam(0).Group(), 3);
        EXPECT_EQ(view.Beam(0).XAxis(), version < 3);
        EXPECT_EQ(view.Beam(0).Interpolation(), version < 4 ? 0 : 2);
        EXPECT_EQ(view.Beam(1).Group(), 2) << "missing records leave default beams";
        EXPECT_TRUE(view.Beam(1).XAxis());
        ASSERT_EQ(view.TimeLabelCount(), version < 2 ? 0 : 2);
        if (version >= 2) {
            EXPECT_EQ(view.TimeLabel(0).Time(), 0.3) << "labels are sorted on the way in";
            EXPECT_EQ(view.TimeLabel(1).Time(), 0.4);
        }
        EXPECT_EQ(osc.ColorScheme(), 2);
        EXPECT_FALSE(signals.Modified);
        EXPECT_FALSE(osc.Modified);
    }
}

TEST_F(DocumentFileTest, ADocumentEndingInTheSignalListKeepsTheSignalsReadSoFar) {
    TSignals signals;
    TOsc osc;
    AddSignal(signals, "A", "a\r\n");
    AddSignal(signals, "B", "b\r\n");
    AddSignal(signals, "C", "c\r\n");
    MemorySink sink;
    WriteDocumentTo(sink, signals, osc);
    // Cut inside the text of C.
    const size_t cut = sink.bytes.find("c\r\n");
    ASSERT_NE(cut, std::string::npos);

    TSignals read;
    TOsc readOsc;
    EXPECT_EQ(ReadError(sink.bytes.substr(0, cut + 1), read, readOsc), kStreamReadError);
    ASSERT_EQ(read.Count(), 2);
    EXPECT_EQ(read.Items(1).Name(), "B");
    EXPECT_EQ(read.QuantTime(), 0.0001) << "times already read stay set";
}

TEST_F(DocumentFileTest, MoreBeamRecordsThanSignalsFail) {
    // One signal name, two beam records.
    TSignals signals;
    TOsc osc;
    MemorySink sink;
    TValueWriter w(sink);
    w.WriteString("KVARIL");
    w.WriteInteger(4);
    w.WriteFloat(0.001);
    w.WriteFloat(1.0);
    w.WriteListBegin();
    w.WriteListEnd();
    w.WriteFloat(0.001);
    w.WriteFloat(1.0);
    w.WriteListBegin();
    w.WriteString("A");
    w.WriteListEnd();
    w.WriteListBegin();
    w.WriteString("S");
    w.WriteFloat(0);
    w.WriteFloat(1);
    w.WriteListBegin();
    for (int b = 0; b < 2; ++b) {
        w.WriteFloat(0);
        w.WriteFloat(0);
        w.WriteInteger(1);
        w.WriteBoolean(true);
        w.WriteInteger(0);
    }
    w.WriteListEnd();
    w.WriteListBegin();
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteInteger(0);
    w.FlushBuffer();
    EXPECT_EQ(ReadError(sink.bytes, signals, osc), "List index out of bounds (1)");
    EXPECT_EQ(osc.ViewCount(), 1) << "the model keeps what was read";
}

TEST_F(DocumentFileTest, LoneLineFeedsReadAsLinesAndWriteBackWithCrLf) {
    std::string doc = kMinimalDocument;
    const std::string crlfText(
        "\x06\x06"
        "a\r\nb\r\n");
    doc.replace(doc.find(crlfText), crlfText.size(),
                "\x06\x04"
                "a\nb\n");
    TSignals signals;
    TOsc osc;
    MemorySource source(doc);
    ReadDocumentFrom(source, signals, osc);
    EXPECT_EQ(signals.Items(0).Lines(), (std::vector<std::string>{"a", "b"}));
    MemorySink sink;
    WriteDocumentTo(sink, signals, osc);
    EXPECT_EQ(sink.bytes, kMinimalDocument);
}

TEST_F(DocumentFileTest, CyrillicNamesStayWindows1251ByteForByte) {
    TSignals signals;
    TOsc osc;
    const std::string name = Utf8ToCp1251("Синус");
    AddSignal(signals, name, Utf8ToCp1251("// Сигнал\r\n"));
    osc.SyncWithSignals(signals);
    WriteDocument(Path("ru.sig"), signals, osc);
    const std::string first = Slurp(Path("ru.sig"));
    EXPECT_NE(first.find("\x06\x05\xD1\xE8\xED\xF3\xF1"), std::string::npos);

    TSignals read;
    TOsc readOsc;
    ReadDocument(Path("ru.sig"), read, readOsc);
    EXPECT_EQ(read.Items(0).Name(), name);
    EXPECT_EQ(readOsc.View(0).Name(), Utf8ToCp1251("Экран 1"));
    WriteDocument(Path("ru2.sig"), read, readOsc);
    EXPECT_EQ(Slurp(Path("ru2.sig")), first);
}

TEST_F(DocumentFileTest, SaveAndLoadReproduceTheOscilloscope) {
    TSignals signals;
    TOsc osc;
    AddSignal(signals, "A", "a\r\n");
    AddSignal(signals, "B", "b\r\n");
    osc.SyncWithSignals(signals);
    TView& second = osc.AddView("Two");
    second.SetT0(0.02);
    second.SetT1(0.05);
    second.Beam(1).SetGain(2.5);
    second.Beam(1).SetOffset(-0.5);
    second.Beam(1).SetGroup(-1);
    second.Beam(0).SetXAxis(false);
    second.Beam(0).SetInterpolation(1);
    auto label = std::make_unique<TTimeLabel>(osc);
    label->SetTime(0.03);
    second.AddTimeLabel(std::move(label));
    osc.SetColorScheme(TColorScheme::White);
    WriteDocument(Path("full.sig"), signals, osc);

    TSignals read;
    TOsc back;
    ReadDocument(Path("full.sig"), read, back);
    EXPECT_FALSE(back.Modified);
    EXPECT_EQ(back.SignalNames, osc.SignalNames);
    EXPECT_EQ(back.QuantTime, 0.0001);
    EXPECT_EQ(back.TotalTime, 0.1);
    ASSERT_EQ(back.ViewCount(), 2);
    const TView& v = back.View(1);
    EXPECT_EQ(v.Name(), "Two");
    EXPECT_EQ(v.T0(), 0.02);
    EXPECT_EQ(v.T1(), 0.05);
    EXPECT_EQ(v.Beam(1).Gain(), 2.5);
    EXPECT_EQ(v.Beam(1).Offset(), -0.5);
    EXPECT_EQ(v.Beam(1).Group(), -1);
    EXPECT_FALSE(v.Beam(0).XAxis());
    EXPECT_EQ(v.Beam(0).Interpolation(), 1);
    ASSERT_EQ(v.TimeLabelCount(), 1);
    EXPECT_EQ(v.TimeLabel(0).Time(), 0.03);
    EXPECT_EQ(back.ColorScheme(), 1);
    // Nothing before the oscilloscope section changes it: a rewrite is byte-identical.
    WriteDocument(Path("again.sig"), read, back);
    EXPECT_EQ(Slurp(Path("again.sig")), Slurp(Path("full.sig")));
}

// Found by fuzzing: a binary search put labels in another order on every load when a damaged
// file held a NaN time, so saving what was loaded did not give the same file twice.
TEST_F(DocumentFileTest, LabelsWithANaNTimeReadBackInTheSameOrder) {
    TSignals signals;
    TOsc osc;
    AddSignal(signals, "A", "a\r\n");
    osc.SyncWithSignals(signals);
    const double nan = std::nan("");
    for (double t : {0.5, nan, 0.2, 0.7, nan, 0.1}) {
        auto label = std::make_unique<TTimeLabel>(osc);
        label->SetTime(t);
        osc.View(0).AddTimeLabel(std::move(label));
    }
    MemorySink first;
    WriteDocumentTo(first, signals, osc);
    TSignals signals2;
    TOsc osc2;
    MemorySource source(first.bytes);
    ReadDocumentFrom(source, signals2, osc2);
    MemorySink second;
    WriteDocumentTo(second, signals2, osc2);
    EXPECT_EQ(second.bytes, first.bytes);
    const TView& view = osc2.View(0);
    ASSERT_EQ(view.TimeLabelCount(), 6);
    EXPECT_EQ(view.TimeLabel(0).Time(), 0.1);
    EXPECT_EQ(view.TimeLabel(1).Time(), 0.2);
}

TEST_F(DocumentFileTest, FileErrorsNameThePath) {
    TSignals signals;
    TOsc osc;
    const std::string missing = Path("missing.sig");
    try {
        ReadDocument(missing, signals, osc);
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing);
    }
    EXPECT_THROW(ReadDocument(dir_.string(), signals, osc), EFileError) << "a folder";

    const std::string nowhere = Path("no/such/folder/x.sig");
    try {
        WriteDocument(nowhere, signals, osc);
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + nowhere);
    }
}

TEST_F(DocumentFileTest, AFailedSaveKeepsTheFlagsAndTheOldFile) {
    TSignals signals;
    TOsc osc;
    AddSignal(signals, "A", "a\r\n");
    osc.SyncWithSignals(signals);
    ASSERT_TRUE(signals.Modified);
    ASSERT_TRUE(osc.Modified);
    EXPECT_THROW(WriteDocument(Path("no/folder.sig"), signals, osc), EFileError);
    EXPECT_TRUE(signals.Modified);
    EXPECT_TRUE(osc.Modified);

    // A write abandoned before it is committed leaves the old file and no stray file behind.
    Spit(Path("old.sig"), "old content");
    {
        AtomicFileSink sink(Path("old.sig"));
        sink.Write("new", 3);
    }
    EXPECT_EQ(Slurp(Path("old.sig")), "old content");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(DocumentFileTest, SavingKeepsPermissionsAndFollowsSymbolicLinks) {
    TSignals signals;
    TOsc osc;
    Spit(Path("real.sig"), "old");
    ::chmod(Path("real.sig").c_str(), 0640);
    fs::create_symlink(Path("real.sig"), Path("link.sig"));
    WriteDocument(Path("link.sig"), signals, osc);
    EXPECT_TRUE(fs::is_symlink(Path("link.sig")));
    EXPECT_EQ(Slurp(Path("real.sig")).substr(0, 8), "\x06\x06KVARIL");
    struct stat st {};
    ::stat(Path("real.sig").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace kvaril
