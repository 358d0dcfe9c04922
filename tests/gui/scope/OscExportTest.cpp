// The oscilloscope's two export commands driven as a user drives them: the dialogs answered by
// the test, the files read back.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <filesystem>

#include "HandRun.h"
#include "OpenOscilloscope.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "common/DlgExportData.h"
#include "common/Settings.h"
#include "common/Workbench.h"
#include "document/uBeam.h"
#include "osc/OscAnalysis.h"
#include "osc/OscSession.h"
#include "scope/FrmOsc.h"
#include "scope/PaintAreas.h"
#include "scope/PictureExport.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

namespace fs = std::filesystem;

// Three signals over Q = 0.001, T = 0.2; signal s holds s + q / 1000 at quantum q.
class OscExport : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = testing::TestFolder("kvaril-oscexport");
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        MakeHandRun(wb_.Signals, {"A", "B", "C"}, 0.001, 0.2,
                    [](int s, int q) { return s + q / 1000.0; });
        FinishRun(wb_.Signals, wb_.Osc);
        osc_ = testing::OpenOscilloscope(wb_, dialogs_);
    }
    void TearDown() override {
        osc_.reset();
        fs::remove_all(dir_);
    }

    QString Path(const std::string& name) const {
        return QString::fromStdString((dir_ / name).string());
    }
    void Trigger(const char* action) {
        QAction* a = osc_->findChild<QAction*>(action);
        ASSERT_NE(a, nullptr) << action;
        a->trigger();
        QApplication::processEvents();
    }
    void AddLabel(double t) {
        auto label = std::make_unique<TTimeLabel>(wb_.Osc);
        label->SetTime(t);
        wb_.Osc.View(0).AddTimeLabel(std::move(label));
    }
    static QStringList Lines(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    fs::path dir_;
    TWorkbench wb_;
    testing::ScriptedDialogs dialogs_;
    std::unique_ptr<TFormOsc> osc_;
};

TEST_F(OscExport, CsvBetweenTwoMarkersOfThePickedBeams) {
    AddLabel(0.150);
    AddLabel(0.020);
    osc_->findChild<QListWidget*>("tsBeamList")->item(2)->setSelected(true);
    osc_->findChild<QListWidget*>("tsBeamList")->item(0)->setSelected(true);
    dialogs_.DataExports.push_back(TDataExportChoice{TExportSpan::Markers, 1, 0, TDataFormat::Csv});
    dialogs_.Files.push_back(Path("m.csv"));
    Trigger("actExportData");
    ASSERT_EQ(dialogs_.DataExportAsked.size(), 1);
    EXPECT_EQ(dialogs_.DataExportAsked[0].Beams, "A, C");
    EXPECT_EQ(dialogs_.DataExportAsked[0].Markers.size(), 2);
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
    const QStringList lines = Lines(Path("m.csv"));
    ASSERT_EQ(lines.size(), 1 + 131) << "quanta 20 .. 150";
    EXPECT_EQ(lines[0], "t,A,C");
    EXPECT_TRUE(lines[1].startsWith("0.02,0.02,2.02")) << lines[1].toStdString();
    EXPECT_TRUE(lines.last().startsWith("0.15,0.15,2.15")) << lines.last().toStdString();
}

// Between the A/B cursors, as every analysis offers; offered only while they are shown.
TEST_F(OscExport, CsvBetweenTheCursors) {
    dialogs_.DataExports.push_back(std::nullopt);
    Trigger("actExportData");
    ASSERT_EQ(dialogs_.DataExportAsked.size(), 1);
    EXPECT_TRUE(dialogs_.DataExportAsked[0].Cursors.isEmpty()) << "hidden: not offered";

    Trigger("actCursors");  // at a third and two thirds of the window
    const std::optional<TCursorPair> ab = osc_->Session().Cursors().CursorTimes();
    ASSERT_TRUE(ab);
    dialogs_.DataExports.push_back(TDataExportChoice{TExportSpan::Cursors, 0, 1, TDataFormat::Csv});
    dialogs_.Files.push_back(Path("ab.csv"));
    Trigger("actExportData");
    ASSERT_EQ(dialogs_.DataExportAsked.size(), 2);
    EXPECT_TRUE(dialogs_.DataExportAsked[1].Cursors.startsWith("A: ")) << "offered, with times";
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
    const QStringList lines = Lines(Path("ab.csv"));
    const int first = static_cast<int>(std::lround(ab->A / 0.001));
    const int last = static_cast<int>(std::lround(ab->B / 0.001));
    ASSERT_EQ(lines.size(), 1 + last - first + 1) << "the quanta from A to B";
    EXPECT_DOUBLE_EQ(lines[1].section(',', 0, 0).toDouble(), first * 0.001);
    EXPECT_DOUBLE_EQ(lines.last().section(',', 0, 0).toDouble(), last * 0.001);
    Trigger("actCursors");  // the settings are the user's
}

TEST(DlgExportData, OffersTheCursorsOnlyWhileTheyAreShown) {
    TDlgExportData hidden(nullptr, TDataExportQuestion{"In", {}, {}});
    EXPECT_FALSE(hidden.rbCursors->isEnabled());
    TDlgExportData shown(nullptr, TDataExportQuestion{"In", {}, "A: 0.1   B: 0.2"});
    EXPECT_TRUE(shown.rbCursors->isEnabled());
    shown.rbCursors->setChecked(true);
    EXPECT_EQ(shown.Choice().Span, TExportSpan::Cursors);
}

TEST_F(OscExport, WavOfTheTimeWindowReadsBackWithItsRateAndChannels) {
    wb_.Osc.View(0).SetT1(0.1);
    wb_.Osc.View(0).SetT0(0.05);
    dialogs_.DataExports.push_back(TDataExportChoice{TExportSpan::Window, 0, 0, TDataFormat::Wav});
    dialogs_.Files.push_back(Path("w.wav"));
    Trigger("actExportData");
    EXPECT_TRUE(dialogs_.Asked.isEmpty()) << "1000 Hz is exact: no question";
    SF_INFO info{};
    SNDFILE* f = sf_open(Path("w.wav").toLocal8Bit().constData(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(info.samplerate, 1000);
    EXPECT_EQ(info.channels, 3) << "no beam picked: every signal";
    EXPECT_EQ(info.frames, 51);
    std::vector<float> frame(3);
    ASSERT_EQ(sf_readf_float(f, frame.data(), 1), 1);
    EXPECT_FLOAT_EQ(frame[2], 2.05f);
    sf_close(f);
}

TEST_F(OscExport, AnInexactWavRateIsAskedAndNoMeansNothingWritten) {
    wb_.Signals.SetQuantTime(0.000023);  // 43478.26 Hz
    wb_.Signals.SetTotalTime(0.000023 * 100);
    TSignalsData& d = wb_.Signals.Data();
    d.SetSize(3, wb_.Signals.QuantCount());
    wb_.Osc.SyncWithSignals(wb_.Signals);
    osc_->PrepareForRun();
    dialogs_.DataExports.push_back(
        TDataExportChoice{TExportSpan::WholeRun, 0, 0, TDataFormat::Wav});
    dialogs_.Confirms.push_back(TAnswer::No);
    Trigger("actExportData");
    ASSERT_EQ(dialogs_.Asked.size(), 1);
    EXPECT_TRUE(dialogs_.Asked[0].contains("43478 Гц")) << dialogs_.Asked[0].toStdString();
    EXPECT_TRUE(dialogs_.FileDialogs.isEmpty()) << "refused before a file is picked";

    dialogs_.DataExports.push_back(
        TDataExportChoice{TExportSpan::WholeRun, 0, 0, TDataFormat::Wav});
    dialogs_.Confirms.push_back(TAnswer::Yes);
    dialogs_.Files.push_back(Path("inexact.wav"));
    Trigger("actExportData");
    SF_INFO info{};
    SNDFILE* f = sf_open(Path("inexact.wav").toLocal8Bit().constData(), SFM_READ, &info);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(info.samplerate, 43478);
    EXPECT_EQ(info.frames, 100);
    sf_close(f);
}

TEST_F(OscExport, RefusalsAndFailuresAreShownWithTheirReason) {
    // Markers asked for where the screen has none.
    dialogs_.DataExports.push_back(TDataExportChoice{TExportSpan::Markers, 0, 1, TDataFormat::Csv});
    Trigger("actExportData");
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_TRUE(dialogs_.Errors[0].contains("двух меток")) << dialogs_.Errors[0].toStdString();
    // A rate WAV cannot hold.
    wb_.Signals.SetQuantTime(2);
    wb_.Signals.SetTotalTime(200);
    wb_.Signals.Data().SetSize(3, wb_.Signals.QuantCount());
    wb_.Osc.SyncWithSignals(wb_.Signals);
    osc_->PrepareForRun();
    dialogs_.DataExports.push_back(
        TDataExportChoice{TExportSpan::WholeRun, 0, 0, TDataFormat::Wav});
    Trigger("actExportData");
    ASSERT_EQ(dialogs_.Errors.size(), 2);
    EXPECT_TRUE(dialogs_.Errors[1].contains("в WAV не записать"))
        << dialogs_.Errors[1].toStdString();
    // A folder that does not exist.
    dialogs_.DataExports.push_back(
        TDataExportChoice{TExportSpan::WholeRun, 0, 0, TDataFormat::Csv});
    dialogs_.Files.push_back(Path("none/x.csv"));
    Trigger("actExportData");
    ASSERT_EQ(dialogs_.Errors.size(), 3);
    EXPECT_TRUE(dialogs_.Errors[2].contains("none/x.csv")) << dialogs_.Errors[2].toStdString();
    EXPECT_FALSE(fs::exists(dir_ / "none"));
}

TEST_F(OscExport, DialogsOfferANameAndStartInTheFolderTheirKindLastWroteTo) {
    OpenSettings().remove("Export");
    wb_.DocumentFile = (dir_ / "am chain.sig").string();
    fs::create_directories(dir_ / "tables");
    auto list = osc_->findChild<QListWidget*>("tsBeamList");
    list->item(1)->setSelected(true);
    dialogs_.DataExports.push_back(TDataExportChoice{TExportSpan::Window, 0, 0, TDataFormat::Csv});
    dialogs_.Files.push_back(Path("tables/b.csv"));
    Trigger("actExportData");
    list->clearSelection();
    dialogs_.DataExports.push_back(TDataExportChoice{TExportSpan::Window, 0, 0, TDataFormat::Wav});
    dialogs_.Files.push_back(Path("all.wav"));
    Trigger("actExportData");
    dialogs_.DataExports.push_back(TDataExportChoice{TExportSpan::Window, 0, 0, TDataFormat::Csv});
    dialogs_.Files.push_back(Path("tables/all.csv"));
    Trigger("actExportData");
    dialogs_.PictureExports.push_back(TPictureExportChoice{false, QSize(200, 100)});
    dialogs_.Files.push_back(Path("p.png"));
    Trigger("actExportPicture");
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();

    ASSERT_EQ(dialogs_.FileDialogs.size(), 4);
    const QString document = QString::fromStdString(dir_.string());
    EXPECT_EQ(dialogs_.FileDialogs[0].FileName, "B.csv") << "one beam: its name";
    EXPECT_EQ(dialogs_.FileDialogs[0].Directory, document) << "nothing remembered yet";
    EXPECT_EQ(dialogs_.FileDialogs[1].FileName, "am chain.wav");
    EXPECT_EQ(dialogs_.FileDialogs[1].Directory, document) << "WAV keeps its own folder";
    EXPECT_EQ(dialogs_.FileDialogs[2].Directory, Path("tables")) << "where CSV last went";
    EXPECT_EQ(dialogs_.FileDialogs[3].FileName, "am chain.png");
    EXPECT_EQ(dialogs_.FileDialogs[3].Directory, document);

    // A remembered folder that is gone: the document's again.
    fs::remove_all(dir_ / "tables");
    dialogs_.DataExports.push_back(TDataExportChoice{TExportSpan::Window, 0, 0, TDataFormat::Csv});
    dialogs_.Files.push_back(std::nullopt);
    Trigger("actExportData");
    ASSERT_EQ(dialogs_.FileDialogs.size(), 5);
    EXPECT_EQ(dialogs_.FileDialogs[4].Directory, document);
}

// The page size pdfinfo reports, "W x H pts"; empty without pdfinfo.
QString PdfPageSize(const QString& path) {
    const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
    if (pdfinfo.isEmpty()) return {};
    QProcess p;
    p.start(pdfinfo, {path});
    p.waitForFinished(30000);
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith("Page size:")) return line.mid(10).trimmed();
    return "no page size";
}

TEST_F(OscExport, PdfAndSvgOfAllScreensHaveTheRequestedSize) {
    wb_.Osc.AddView("Второй");
    osc_->PrepareForRun();
    dialogs_.PictureExports.push_back(TPictureExportChoice{true, QSize(400, 250)});
    dialogs_.Files.push_back(Path("all.pdf"));
    Trigger("actExportPicture");
    ASSERT_EQ(dialogs_.PictureExportAsked.size(), 1);
    EXPECT_EQ(dialogs_.PictureExportAsked[0].ScreenCount, 2);
    const QSize graph = osc_->findChild<TGraphArea*>()->size();
    EXPECT_EQ(dialogs_.PictureExportAsked[0].WindowSize, SheetSizeForGraph(graph));
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
    QFile pdf(Path("all.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    const QString page = PdfPageSize(Path("all.pdf"));
    if (page.isEmpty()) GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    EXPECT_EQ(page, "400 x 500 pts") << "two screens of 400 x 250, stacked";

    dialogs_.PictureExports.push_back(TPictureExportChoice{false, QSize(321, 123)});
    dialogs_.Files.push_back(Path("one.svg"));
    Trigger("actExportPicture");
    QFile svg(Path("one.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    QString viewBox;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"svg")
            viewBox = xml.attributes().value("viewBox").toString();
    EXPECT_FALSE(xml.hasError()) << "the SVG parses: " << xml.errorString().toStdString();
    EXPECT_EQ(viewBox, "0 0 321 123");
    QSvgRenderer renderer(Path("one.svg"));
    EXPECT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 321, 123));
}

TEST_F(OscExport, APngShowsTheLabelStripTheTracesAndTheTimes) {
    AddLabel(0.1);
    dialogs_.PictureExports.push_back(TPictureExportChoice{false, QSize(300, 200)});
    dialogs_.Files.push_back(Path("one.png"));
    Trigger("actExportPicture");
    QImage image(Path("one.png"));
    ASSERT_EQ(image.size(), QSize(300, 200));
    // The label's name is drawn in black at its column in the strip on top.
    bool labelInk = false;
    for (int y = 0; y < 16; ++y)
        for (int x = 140; x < 170; ++x) labelInk = labelInk || image.pixelColor(x, y) == Qt::black;
    EXPECT_TRUE(labelInk);
    // The time texts at the bottom: ink on the left (T0) and on the right (T1).
    auto inkIn = [&](int x0, int x1) {
        for (int y = 200 - 20; y < 200; ++y)
            for (int x = x0; x < x1; ++x)
                if (image.pixelColor(x, y) == Qt::black) return true;
        return false;
    };
    EXPECT_TRUE(inkIn(0, 60));
    EXPECT_TRUE(inkIn(240, 300));
    // The traces in between have the scheme's grey background.
    EXPECT_EQ(image.pixelColor(250, 60), QColor(192, 192, 192));
}

TEST_F(OscExport, AFailedPictureKeepsTheOldFileAndSaysWhy) {
    {
        QFile old(Path("keep.png"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    EXPECT_NE(ExportScreens(wb_.Osc, {0}, wb_.Signals, QSize(30, 30), Path("keep.png")), "");
    EXPECT_NE(ExportScreens(wb_.Osc, {0, 5}, wb_.Signals, QSize(300, 200), Path("keep.png")), "");
    EXPECT_NE(ExportScreens(wb_.Osc, {0}, wb_.Signals, QSize(300, 200), Path("keep.xyz")), "");
    QFile old(Path("keep.png"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    dialogs_.PictureExports.push_back(TPictureExportChoice{false, QSize(300, 200)});
    dialogs_.Files.push_back(Path("none/x.pdf"));
    Trigger("actExportPicture");
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_TRUE(dialogs_.Errors[0].contains("none/x.pdf")) << dialogs_.Errors[0].toStdString();
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

// The whole run is called by one name wherever an interval is chosen.
TEST(DlgExportData, NamesTheWholeRunAsTheAnalysesDo) {
    TDlgExportData dialog(nullptr, TDataExportQuestion{"In", {}, {}});
    EXPECT_EQ(dialog.rbWholeRun->text().remove('&'), QString::fromUtf8(kWholeRunSpan));
}

}  // namespace
}  // namespace kvaril
