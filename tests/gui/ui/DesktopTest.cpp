// The main window as a desktop program: the recent documents in the File menu and files dropped
// on the window.

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

#include "MainWindowFixture.h"
#include "common/Settings.h"
#include "ui/RecentFiles.h"

namespace kvaril {
namespace {

class Desktop : public testing::MainWindowFixture {
  protected:
    void SetUp() override {
        // Every test starts from an empty list (the settings live in Qt's test folder).
        QSettings("Dornek", "Kvaril").remove(settings::kRecentFiles.Key);
        MainWindowFixture::SetUp();
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        QSettings("Dornek", "Kvaril").remove(settings::kRecentFiles.Key);
    }

    // A document with one signal, saved under `name`.
    QString SaveDocument(const std::string& name) {
        if (!Signals().HasSignals()) AddSignal("S");
        dialogs_.Files.push_back(Path(name));
        W().DocumentCommands().SaveAs();
        return Path(name);
    }
    QMenu* Recent() {
        auto* menu = W().findChild<QMenu*>("mnuRecentFiles");
        EXPECT_NE(menu, nullptr);
        if (menu) Q_EMIT menu->aboutToShow();
        return menu;
    }
    // What the menu shows now (replaced entries linger until the event loop deletes them).
    QAction* Entry(const QString& name) {
        for (QAction* a : W().findChild<QMenu*>("mnuRecentFiles")->actions())
            if (a->objectName() == name) return a;
        return nullptr;
    }
    // A drop of `urls` on the window, then what the window does once the drop returned.
    bool Drop(const QList<QUrl>& urls, const QString& text = {}, QWidget* target = nullptr) {
        if (!target) target = &W();
        QMimeData data;
        if (!urls.isEmpty()) data.setUrls(urls);
        if (!text.isEmpty()) data.setText(text);
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        const bool accepted = enter.isAccepted();
        if (accepted) {
            QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(target, &drop);
        }
        Idle();
        return accepted;
    }
};

TEST_F(Desktop, OpenedAndSavedDocumentsComeFirstAndTheListKeepsEight) {
    for (int i = 1; i <= 10; ++i) SaveDocument("doc" + std::to_string(i) + ".sig");
    QStringList items = W().RecentDocuments();
    ASSERT_EQ(items.size(), 8);
    EXPECT_EQ(items.front(), Path("doc10.sig"));
    EXPECT_EQ(items.back(), Path("doc3.sig"));
    // Opening an older one moves it to the top, once.
    W().DocumentCommands().OpenPath(Path("doc5.sig"));
    items = W().RecentDocuments();
    EXPECT_EQ(items.size(), 8);
    EXPECT_EQ(items.front(), Path("doc5.sig"));
    EXPECT_EQ(items.count(Path("doc5.sig")), 1);
    // The menu lists them in that order, and a new window reads the same list back.
    Recent();
    ASSERT_NE(Entry("actRecentFile1"), nullptr);
    EXPECT_EQ(Entry("actRecentFile1")->data().toString(), Path("doc5.sig"));
    EXPECT_TRUE(Entry("actRecentFile1")->text().startsWith("&1 doc5.sig"));
    EXPECT_EQ(Entry("actRecentFile8")->data().toString(), Path("doc3.sig"));
    EXPECT_EQ(Entry("actRecentFile9"), nullptr);
    TWorkbench other;
    TFormMain second(other, dialogs_, W().Paths());
    EXPECT_EQ(second.RecentDocuments(), items);
}

TEST_F(Desktop, AMissingFileIsShownDisabledAndCanBeRemoved) {
    SaveDocument("kept.sig");
    SaveDocument("gone.sig");
    QFile::remove(Path("gone.sig"));
    Recent();
    ASSERT_NE(Entry("actRecentFile1"), nullptr);
    EXPECT_FALSE(Entry("actRecentFile1")->isEnabled()) << "gone.sig";
    EXPECT_TRUE(Entry("actRecentFile1")->text().contains("нет файла"));
    EXPECT_TRUE(Entry("actRecentFile2")->isEnabled()) << "kept.sig";
    ASSERT_TRUE(Entry("actRecentRemoveMissing")->isEnabled());
    Entry("actRecentRemoveMissing")->trigger();
    Recent();
    EXPECT_EQ(W().RecentDocuments(), QStringList{Path("kept.sig")});
    EXPECT_FALSE(Entry("actRecentRemoveMissing")->isEnabled());
    Entry("actRecentClear")->trigger();
    Recent();
    EXPECT_TRUE(W().RecentDocuments().isEmpty());
    EXPECT_NE(Entry("actRecentEmpty"), nullptr);
}

TEST_F(Desktop, PickingAnEntryOpensItAfterTheUnsavedQuestion) {
    const QString first = SaveDocument("first.sig");
    W().DocumentCommands().New();
    AddSignal("Unsaved");
    Recent();
    dialogs_.Confirms.push_back(TAnswer::No);
    Entry("actRecentFile1")->trigger();
    Idle();
    EXPECT_EQ(dialogs_.Asked.size(), 1) << "the unsaved document was asked about";
    EXPECT_EQ(DocumentName(), first);
}

TEST_F(Desktop, ADroppedDocumentOpensAfterTheUnsavedQuestion) {
    const QString doc = SaveDocument("dropped.sig");
    W().DocumentCommands().New();
    AddSignal("Unsaved");
    // Cancel keeps the document on screen.
    dialogs_.Confirms.push_back(TAnswer::Cancel);
    ASSERT_TRUE(Drop({QUrl::fromLocalFile(doc)}));
    EXPECT_EQ(dialogs_.Asked.size(), 1);
    EXPECT_EQ(DocumentName(), "noname");
    dialogs_.Confirms.push_back(TAnswer::No);
    ASSERT_TRUE(Drop({QUrl::fromLocalFile(doc)}));
    EXPECT_EQ(DocumentName(), doc);
    EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join("\n").toStdString();
}

TEST_F(Desktop, AFileDroppedOnTheEditorOpensInsteadOfBecomingText) {
    const QString doc = SaveDocument("on-editor.sig");
    W().DocumentCommands().New();
    AddSignal("Other");
    const QString before = Editor()->text();
    dialogs_.Confirms.push_back(TAnswer::No);
    ASSERT_TRUE(Drop({QUrl::fromLocalFile(doc)}, doc, Editor()->viewport()));
    EXPECT_EQ(DocumentName(), doc);
    EXPECT_FALSE(Editor()->text().contains("on-editor.sig")) << "the name was not typed in";
    EXPECT_NE(Editor()->text(), before);
}

TEST_F(Desktop, ANonDocumentIsRefusedPolitelyAndNothingChanges) {
    AddSignal("Kept");
    // A detached signature shares the extension; a text file does not even have it.
    QFile pgp(Path("release.sig"));
    ASSERT_TRUE(pgp.open(QIODevice::WriteOnly));
    pgp.write("-----BEGIN PGP SIGNATURE-----\n");
    pgp.close();
    QFile text(Path("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("hello");
    text.close();
    ASSERT_TRUE(Drop({QUrl::fromLocalFile(Path("release.sig"))}));
    ASSERT_TRUE(Drop({QUrl::fromLocalFile(Path("notes.txt"))}));
    ASSERT_EQ(dialogs_.Errors.size(), 2);
    EXPECT_TRUE(dialogs_.Errors[0].contains("«release.sig» - не документ Kvaril"));
    EXPECT_TRUE(dialogs_.Errors[1].contains("«notes.txt» - не документ Kvaril"));
    EXPECT_TRUE(dialogs_.Asked.isEmpty()) << "no question about the unsaved document";
    EXPECT_EQ(Signals().Count(), 1);
    EXPECT_TRUE(W().RecentDocuments().isEmpty());
    // Text or a web address is not taken at all.
    EXPECT_FALSE(Drop({}, "some text"));
    EXPECT_FALSE(Drop({QUrl("https://example.org/a.sig")}));
    EXPECT_EQ(dialogs_.Errors.size(), 2);
}

}  // namespace
}  // namespace kvaril
