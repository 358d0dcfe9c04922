// The oscilloscope's exports onto every kind of target: the open document (and links to it), a
// pipe, a device node, a folder, a read-only folder are refused with a message naming them and
// left as they were; ordinary files are written.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>

#include "HandRun.h"
#include "ScriptedDialogs.h"
#include "TargetFolder.h"
#include "common/QtText.h"
#include "common/Workbench.h"
#include "scope/FrmOsc.h"

namespace kvaril {
namespace {

using testing::TTarget;
using testing::TTargetFolder;

enum class TExport { Csv, Wav, Png };

struct TWindowCase {
    const char* Name;
    TTarget Target;
    TExport Export;
    bool Written;
    const char* Names;  // besides the target, what the message must hold (empty: nothing)
};

std::ostream& operator<<(std::ostream& out, const TWindowCase& c) { return out << c.Name; }

class WindowExportTargets : public ::testing::TestWithParam<TWindowCase> {
  protected:
    void SetUp() override {
        MakeHandRun(wb_.Signals, {"A", "B"}, 0.001, 0.1, [](int s, int q) { return s + q; });
        FinishRun(wb_.Signals, wb_.Osc);
        wb_.DocumentFile = folder_.Document();
        osc_ = std::make_unique<TFormOsc>(wb_, dialogs_, nullptr);
        osc_->PrepareForRun();
        osc_->resize(800, 500);
        osc_->show();
        QApplication::processEvents();
    }
    void Export(TExport kind, const std::string& path) {
        if (kind == TExport::Png)
            dialogs_.PictureExports.push_back(TPictureExportChoice{true, QSize(200, 100)});
        else
            dialogs_.DataExports.push_back(
                TDataExportChoice{TExportSpan::WholeRun, 0, 0,
                                  kind == TExport::Wav ? TDataFormat::Wav : TDataFormat::Csv});
        dialogs_.Files.push_back(FromUtf8(path));
        QAction* action =
            osc_->findChild<QAction*>(kind == TExport::Png ? "actExportPicture" : "actExportData");
        ASSERT_NE(action, nullptr);
        action->trigger();
        QApplication::processEvents();
    }

    TTargetFolder folder_{std::string("window-") + GetParam().Name};
    TWorkbench wb_;
    testing::ScriptedDialogs dialogs_;
    std::unique_ptr<TFormOsc> osc_;
};

TEST_P(WindowExportTargets, AreRefusedOrWrittenAsTheirKindDemands) {
    const TWindowCase& c = GetParam();
    std::string skip;
    const std::string target =
        folder_.Make(c.Target, skip, c.Export == TExport::Png ? "png" : "csv");
    if (!skip.empty()) GTEST_SKIP() << skip;
    const std::string before = TTargetFolder::State(target);
    const std::string document = TTargetFolder::State(folder_.Document());
    Export(c.Export, target);
    EXPECT_EQ(TTargetFolder::State(folder_.Document()), document);
    EXPECT_EQ(folder_.Temporaries(), 0);
    if (c.Written) {
        EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
        const std::string written = TTargetFolder::Read(target);
        const std::string head = c.Export == TExport::Png ? "\x89PNG" : "t,A,B\n";
        EXPECT_EQ(written.substr(0, head.size()), head);
        return;
    }
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    const std::string message = ToUtf8(dialogs_.Errors[0]);
    EXPECT_NE(message.find(target + ":"), std::string::npos) << message;
    if (*c.Names) {
        EXPECT_NE(message.find(c.Names), std::string::npos) << message;
    }
    EXPECT_EQ(TTargetFolder::State(target), before) << "the target was touched";
}

const char* const kTheDocument = "открытый документ /";

INSTANTIATE_TEST_SUITE_P(
    Window, WindowExportTargets,
    ::testing::Values(
        TWindowCase{"CsvOntoTheDocument", TTarget::Document, TExport::Csv, false, kTheDocument},
        TWindowCase{"WavOntoTheDocument", TTarget::Document, TExport::Wav, false, kTheDocument},
        TWindowCase{"CsvOntoALinkToTheDocument", TTarget::LinkToDocument, TExport::Csv, false,
                    kTheDocument},
        TWindowCase{"PngOntoALinkToTheDocument", TTarget::LinkToDocument, TExport::Png, false,
                    kTheDocument},
        TWindowCase{"PngOntoAHardLinkToTheDocument", TTarget::HardLinkToDocument, TExport::Png,
                    false, kTheDocument},
        TWindowCase{"CsvOntoAFifo", TTarget::Fifo, TExport::Csv, false, "именованный канал"},
        TWindowCase{"PngOntoAFifo", TTarget::Fifo, TExport::Png, false, "именованный канал"},
        TWindowCase{"WavOntoADeviceNode", TTarget::DeviceNode, TExport::Wav, false, "устройство"},
        TWindowCase{"PngOntoADeviceNode", TTarget::DeviceNode, TExport::Png, false, "устройство"},
        TWindowCase{"CsvOntoAFolder", TTarget::Folder, TExport::Csv, false, "папка"},
        TWindowCase{"PngOntoAFolder", TTarget::Folder, TExport::Png, false, "папка"},
        TWindowCase{"CsvInAReadOnlyFolder", TTarget::InReadOnlyFolder, TExport::Csv, false, ""},
        TWindowCase{"PngInAReadOnlyFolder", TTarget::InReadOnlyFolder, TExport::Png, false, ""},
        TWindowCase{"CsvOntoADanglingLink", TTarget::DanglingLink, TExport::Csv, false, "ссылка"},
        TWindowCase{"CsvAsANewFile", TTarget::NewFile, TExport::Csv, true, ""},
        TWindowCase{"CsvOverAnOldFile", TTarget::ExistingFile, TExport::Csv, true, ""},
        TWindowCase{"PngOverAnOldFile", TTarget::ExistingFile, TExport::Png, true, ""}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace kvaril
