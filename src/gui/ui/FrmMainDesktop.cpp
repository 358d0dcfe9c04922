// What the main window does as a desktop program: the list of recent documents and documents
// dropped on it from a file manager.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "common/Dialogs.h"
#include "common/QtText.h"
#include "desktop/RecentDocuments.h"
#include "ui/DocumentCommands.h"
#include "ui/FrmMain.h"
#include "ui/RecentFiles.h"
#include "ui/SignalEditor.h"

namespace kvaril {

namespace {

// The first local file among dropped data; empty when there is none.
QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

// The editor would take a dropped file's name as text; files go to the window instead.
class TFileDropFilter : public QObject {
  public:
    explicit TFileDropFilter(TFormMain& window) : QObject(&window), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                if (DroppedFile(drop->mimeData()).isEmpty()) break;
                if (event->type() == QEvent::Drop) window_.OpenDropped(drop->mimeData());
                drop->acceptProposedAction();
                return true;
            }
            default:
                break;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    TFormMain& window_;
};

}  // namespace

void TFormMain::CreateDesktopSupport(QMenu* recentMenu) {
    recentFiles_ = new TRecentFiles(recentMenu);
    connect(recentFiles_, &TRecentFiles::OpenRequested, this, [this](const QString& path) {
        Guard(this, [&] { documentCommands_->OpenPath(path); });
    });
    setAcceptDrops(true);
    auto* filter = new TFileDropFilter(*this);
    edSignal_->viewport()->installEventFilter(filter);
    edSignal_->installEventFilter(filter);
}

void TFormMain::NoteRecentDocument(const QString& path) {
    if (recentFiles_) recentFiles_->Add(path);
}

QStringList TFormMain::RecentDocuments() const {
    return recentFiles_ ? recentFiles_->Items() : QStringList();
}

void TFormMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* event) {
    if (DroppedFile(event->mimeData()).isEmpty()) return;
    event->acceptProposedAction();
    OpenDropped(event->mimeData());
}

void TFormMain::OpenDropped(const QMimeData* data) {
    const QString path = DroppedFile(data);
    if (path.isEmpty()) return;
    // The drag's source waits until the drop returns: the questions come after it.
    QTimer::singleShot(0, this, [this, path] {
        if (Busy()) {
            dialogs_.Error(this, "Файл не открыт",
                           "Модель собирается или выполняется; перетащите файл, когда она "
                           "закончит.");
            return;
        }
        const QFileInfo info(path);
        if (info.suffix().compare("sig", Qt::CaseInsensitive) != 0 || !info.isFile() ||
            !HasDocumentSignature(ToUtf8(path))) {
            dialogs_.Error(this, "Файл не открыт",
                           "«" + info.fileName() +
                               "» - не документ Kvaril. Открыть можно файл сигналов (*.sig), "
                               "сохраненный программой.");
            return;
        }
        Guard(this, [&] { documentCommands_->OpenPath(path); });
    });
}

}  // namespace kvaril
