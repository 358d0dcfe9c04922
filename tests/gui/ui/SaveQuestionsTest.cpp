// Document and library files as the window writes and reads them: never replace a file without
// asking, open the name the user chose, and say which characters could not be kept.

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <fstream>

#include "MainWindowFixture.h"
#include "base/Errors.h"
#include "common/QtText.h"
#include "document/DocumentFile.h"
#include "document/uBeam.h"

namespace kvaril {
namespace {

class SaveQuestions : public testing::MainWindowFixture {
  protected:
    void Spit(const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    std::string Slurp(const std::string& name) {
        std::ifstream in(dir_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

struct TReplaceCase {
    const char* existing;
    const char* typed;
};

class SaveAsReplace : public SaveQuestions, public ::testing::WithParamInterface<TReplaceCase> {};

TEST_P(SaveAsReplace, AsksAboutTheFileReallyWrittenAndNoKeepsIt) {
    const TReplaceCase& c = GetParam();
    Spit(c.existing, "precious");
    AddSignal("A");
    dialogs_.Files.push_back(Path(c.typed));
    dialogs_.Replaces.push_back(false);
    W().DocumentCommands().SaveAs();
    EXPECT_EQ(dialogs_.ReplaceAsked, QStringList{Path(c.existing)});
    EXPECT_EQ(Slurp(c.existing), "precious");
    EXPECT_EQ(DocumentName(), "noname") << "the answer No is a cancelled Save As";
    EXPECT_TRUE(Signals().Modified);

    dialogs_.Files.push_back(Path(c.typed));
    dialogs_.Replaces.push_back(true);
    W().DocumentCommands().SaveAs();
    EXPECT_EQ(DocumentName(), Path(c.existing));
    EXPECT_EQ(Slurp(c.existing).substr(0, 8), "\x06\x06KVARIL");
}

INSTANTIATE_TEST_SUITE_P(Names, SaveAsReplace,
                         ::testing::Values(TReplaceCase{"Victim2.sig", "Victim2.txt"},
                                           TReplaceCase{"Victim.sig", "Victim.SIG"},
                                           TReplaceCase{"noext.sig", "noext."}));

TEST_F(SaveQuestions, LibrarySaveAsksAboutTheFileReallyWritten) {
    Spit("lib/victim.txt", "precious");
    AddSignal("A");
    dialogs_.Files.push_back(Path("lib/victim.TXT"));
    dialogs_.Replaces.push_back(false);
    Idle();
    Action("actSignalSave")->trigger();
    EXPECT_EQ(dialogs_.ReplaceAsked, QStringList{Path("lib/victim.txt")});
    EXPECT_EQ(Slurp("lib/victim.txt"), "precious");
    EXPECT_TRUE(dialogs_.DebugBoxes.isEmpty()) << dialogs_.DebugBoxes.join("\n").toStdString();
}

TEST_F(SaveQuestions, TheDialogsOwnQuestionIsNotAskedTwice) {
    // The name typed is the name written: the file dialog has asked already.
    Spit("Doc.sig", "precious");
    Spit("lib/sine.txt", "precious");
    AddSignal("A");
    dialogs_.Files.push_back(Path("Doc.sig"));
    W().DocumentCommands().SaveAs();
    dialogs_.Files.push_back(Path("lib/sine.txt"));
    Idle();
    Action("actSignalSave")->trigger();
    EXPECT_TRUE(dialogs_.ReplaceAsked.isEmpty());
    EXPECT_NE(Slurp("Doc.sig"), "precious");
    EXPECT_NE(Slurp("lib/sine.txt"), "precious");
}

TEST_F(SaveQuestions, AnUpperCaseSigDocumentOpens) {
    {
        TSignals signals;
        TOsc osc;
        auto signal = std::make_unique<TSignal>(signals);
        signal->InitTemplate("Upper", false);
        signals.Insert(std::move(signal), 0);
        WriteDocument((dir_ / "UPPER.SIG").string(), signals, osc);
    }
    dialogs_.Files.push_back(Path("UPPER.SIG"));
    W().DocumentCommands().Open();
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
    ASSERT_EQ(Signals().Count(), 1);
    EXPECT_EQ(DocumentName(), Path("UPPER.SIG"));
    EXPECT_EQ(ShownTitle(), "Kvaril - upper");
}

TEST_F(SaveQuestions, AFailedOpenSpeaksRussian) {
    dialogs_.Files.push_back(Path("absent.SIG"));
    W().DocumentCommands().Open();
    ASSERT_EQ(dialogs_.Errors.size(), 1);
    EXPECT_EQ(dialogs_.Errors[0], "Ошибка загрузки файла|Файл: " + Path("absent.sig") +
                                      "\nНе удается открыть файл " + Path("absent.sig") +
                                      ": нет такого файла или папки");
}

TEST_F(SaveQuestions, RenameAndLibraryLoadNameTheReplacedCharacters) {
    AddSignal("A");
    dialogs_.Names.push_back(QString("B✓x☺"));
    Idle();
    Action("actSignalRename")->trigger();
    Idle();
    EXPECT_EQ(W().StatusText(),
              "Символы имени, которых нет в Windows-1251, заменены на \"?\": ✓ ☺");
    EXPECT_EQ(Signals().Items(0).Name(), "B?x?");

    Spit("lib/s.txt", "type TSignal_S = class\r\n");
    dialogs_.Files.push_back(Path("lib/s.txt"));
    dialogs_.Names.push_back(QString("C★"));
    Action("actSignalLoad")->trigger();
    Idle();
    EXPECT_EQ(W().StatusText(), "Символы имени, которых нет в Windows-1251, заменены на \"?\": ★");
}

TEST_F(SaveQuestions, LibrarySaveNamesTheReplacedCharacters) {
    AddSignal("A");
    Editor()->insertAt("// ≈ ✓\n", 0, 0);
    Idle();
    std::filesystem::create_directories(dir_ / "lib");
    dialogs_.Files.push_back(Path("lib/a.txt"));
    Action("actSignalSave")->trigger();
    EXPECT_EQ(W().StatusText(),
              "Символы текста, которых нет в Windows-1251, заменены на \"?\": ≈ ✓");
    EXPECT_EQ(Slurp("lib/a.txt").substr(0, 8), "// ? ?\r\n");
}

TEST_F(SaveQuestions, TheEditorsNoticeOutlivesCtrlS) {
    AddSignal("A");
    dialogs_.Files.push_back(Path("doc.sig"));
    W().DocumentCommands().SaveAs();
    Editor()->setFocus();
    Editor()->setCursorPosition(0, 0);
    QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, "✓");
    QApplication::sendEvent(Editor(), &typed);
    Idle();
    QTest::keyClick(Editor(), Qt::Key_S, Qt::ControlModifier);
    Idle();
    EXPECT_FALSE(Signals().Modified) << "saved";
    EXPECT_EQ(W().StatusText(), "Символы текста, которых нет в Windows-1251, заменены на \"?\": ✓");
}

struct TErrorCase {
    TFileOp Op;
    int Errno;
    TFileNote Note;
    const char* Russian;
};

class FileErrorText : public ::testing::TestWithParam<TErrorCase> {};

TEST_P(FileErrorText, IsRussianWithItsReason) {
    const TErrorCase& c = GetParam();
    EXPECT_EQ(ErrorText(EFileError(c.Op, "/d/x.sig", c.Errno, c.Note)), QString(c.Russian));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileErrorText,
    ::testing::Values(
        TErrorCase{TFileOp::Open, 0, TFileNote::None, "Не удается открыть файл /d/x.sig"},
        TErrorCase{TFileOp::Create, EACCES, TFileNote::None,
                   "Не удается создать файл /d/x.sig: нет прав доступа"},
        TErrorCase{TFileOp::Create, ENOENT, TFileNote::DanglingLink,
                   "Не удается создать файл /d/x.sig: символическая ссылка указывает на "
                   "несуществующий файл"},
        TErrorCase{TFileOp::Write, ENOSPC, TFileNote::Restored,
                   "Ошибка записи файла /d/x.sig: нет места на диске; прежнее содержимое файла "
                   "восстановлено"},
        TErrorCase{TFileOp::Write, EIO, TFileNote::NotRestored,
                   "Ошибка записи файла /d/x.sig: ошибка ввода-вывода; прежнее содержимое "
                   "восстановить не удалось"},
        TErrorCase{TFileOp::Read, EISDIR, TFileNote::None,
                   "Ошибка чтения файла /d/x.sig: это папка"}));

TEST(FileErrorTextOther, OtherErrorsKeepTheirMessage) {
    EXPECT_EQ(ErrorText(EReadError("Stream read error")), "Stream read error");
    // The core's own message stays as it is for the command line and the log.
    EXPECT_EQ(std::string(EFileError(TFileOp::Open, "/d/x.sig", ENOENT).what()),
              "Cannot open file /d/x.sig");
    EXPECT_EQ(
        std::string(EFileError(TFileOp::Write, "/d/x.sig", ENOSPC, TFileNote::Restored).what()),
        "Cannot write file /d/x.sig: No space left on device; the previous content was restored");
}

// The oscilloscope's exports refuse the document's file, so the workbench must always name it.
TEST_F(SaveQuestions, TheWorkbenchKnowsTheDocumentsFileForTheExports) {
    {
        TSignals signals;
        TOsc osc;
        auto signal = std::make_unique<TSignal>(signals);
        signal->InitTemplate("A", false);
        signals.Insert(std::move(signal), 0);
        WriteDocument((dir_ / "doc.sig").string(), signals, osc);
    }
    dialogs_.Files.push_back(Path("doc.sig"));
    W().DocumentCommands().Open();
    EXPECT_EQ(workbench_.DocumentFile, (dir_ / "doc.sig").string());
    dialogs_.Files.push_back(Path("copy.sig"));
    W().DocumentCommands().SaveAs();
    EXPECT_EQ(workbench_.DocumentFile, (dir_ / "copy.sig").string());
    W().DocumentCommands().New();
    EXPECT_EQ(workbench_.DocumentFile, "");
    dialogs_.Files.push_back(Path("absent.sig"));
    W().DocumentCommands().Open();
    EXPECT_EQ(workbench_.DocumentFile, "") << "a failed open leaves a new document";
}

}  // namespace
}  // namespace kvaril
