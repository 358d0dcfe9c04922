// A long export as a user sees it: after half a second the progress box with the elapsed and
// remaining time, and its button stops the export without leaving a file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "HandRun.h"
#include "OpenOscilloscope.h"
#include "ScriptedDialogs.h"
#include "common/Workbench.h"
#include "scope/FrmOsc.h"

namespace kvaril {
namespace {

namespace fs = std::filesystem;

// Three signals of 5 000 000 quanta: a CSV of them (about 400 MB) takes longer than half a
// second to write on any machine.
class LongExport : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kvaril-longexport-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        MakeHandRun(wb_.Signals, {"A", "B", "C"}, 1e-6, 5.0,
                    [](int s, int q) { return s + q * 1.000000001e-7; });
        FinishRun(wb_.Signals, wb_.Osc);
        osc_ = testing::OpenOscilloscope(wb_, dialogs_);
    }
    void TearDown() override {
        osc_.reset();
        fs::remove_all(dir_);
    }

    // Exports the whole run to `name`; the box, once it shows a bar, is stopped when `stop`.
    void Export(const char* name, TDataFormat format, bool stop) {
        dialogs_.DataExports.push_back(TDataExportChoice{TExportSpan::WholeRun, 0, 0, format});
        dialogs_.Files.push_back(QString::fromStdString((dir_ / name).string()));
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* box = osc_->findChild<QProgressDialog*>("dlgProgress");
            if (!box || !box->isVisible() || box->value() <= 0) return;
            boxText_ = box->labelText();
            if (stop) box->findChild<QPushButton*>()->click();
        });
        watch.start(20);
        osc_->findChild<QAction*>("actExportData")->trigger();
        QApplication::processEvents();
    }
    std::vector<fs::path> Files() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir_)) files.push_back(entry.path());
        return files;
    }
    QString Status() const { return osc_->findChild<QLabel*>("pnlStatus")->text(); }

    fs::path dir_;
    TWorkbench wb_;
    testing::ScriptedDialogs dialogs_;
    std::unique_ptr<TFormOsc> osc_;
    QString boxText_;
};

TEST_F(LongExport, StoppedFromItsProgressBoxLeavesNoFile) {
    Export("all.csv", TDataFormat::Csv, true);
    EXPECT_TRUE(boxText_.startsWith("Экспорт данных: ")) << boxText_.toStdString();
    EXPECT_TRUE(boxText_.contains("осталось")) << boxText_.toStdString();
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << "a stop is no error";
    EXPECT_TRUE(Files().empty()) << "neither the file nor its temporary: " << Files().front();
    EXPECT_TRUE(Status().contains("прерван")) << Status().toStdString();
    EXPECT_EQ(osc_->findChild<QProgressDialog*>("dlgProgress"), nullptr) << "the box is gone";

    // Left alone, the same box goes away by itself when the file is whole.
    boxText_.clear();
    Export("all.wav", TDataFormat::Wav, false);
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
    ASSERT_EQ(Files().size(), 1u);
    const auto samples = static_cast<uintmax_t>(wb_.Signals.QuantCount()) * 3 * sizeof(float);
    EXPECT_GT(fs::file_size(dir_ / "all.wav"), samples);
    EXPECT_LT(fs::file_size(dir_ / "all.wav"), samples + 100) << "the samples and a header";
}

}  // namespace
}  // namespace kvaril
