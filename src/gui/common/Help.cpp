#include "common/Help.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QPointer>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include "common/Dialogs.h"
#include "common/Icons.h"

namespace kvaril {

namespace {

QString& HelpDirOverride() {
    static QString dir;
    return dir;
}

}  // namespace

void SetHelpDirectory(const QString& dir) { HelpDirOverride() = dir; }

QString HelpFile(THelpTopic topic) {
    const QString dir = HelpDirOverride().isEmpty()
                            ? QCoreApplication::applicationDirPath() + "/help/"
                            : HelpDirOverride() + "/";
    const QString file = dir + (topic == THelpTopic::Oscilloscope ? "osc.html" : "index.html");
    return QFileInfo::exists(file) ? file : QString();
}

namespace {

class THelpWindow : public QMainWindow {
  public:
    explicit THelpWindow(QWidget* owner) : QMainWindow(owner, Qt::Window) {
        setWindowTitle("Kvaril - Справка");
        setWindowIcon(ApplicationIcon());
        resize(720, 560);
        browser = new QTextBrowser(this);
        browser->setOpenExternalLinks(true);
        setCentralWidget(browser);
        QToolBar* bar = addToolBar("Справка");
        bar->setMovable(false);
        QAction* back = bar->addAction("← Назад");
        QAction* forward = bar->addAction("Вперед →");
        QAction* home = bar->addAction("Содержание");
        connect(back, &QAction::triggered, browser, &QTextBrowser::backward);
        connect(forward, &QAction::triggered, browser, &QTextBrowser::forward);
        connect(home, &QAction::triggered, this, [this] {
            browser->setSource(QUrl::fromLocalFile(HelpFile(THelpTopic::Contents)));
        });
        connect(browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
        connect(browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
        connect(browser, &QTextBrowser::sourceChanged, this,
                [this] { setWindowTitle("Kvaril - Справка: " + browser->documentTitle()); });
    }
    QTextBrowser* browser;
};

QPointer<THelpWindow>& TheHelpWindow() {
    static QPointer<THelpWindow> window;
    return window;
}

}  // namespace

QWidget* HelpWindow() { return TheHelpWindow().data(); }

void ShowHelp(QWidget* parent, THelpTopic topic) {
    const QString file = HelpFile(topic);
    if (file.isEmpty()) {
        TDialogs().Error(parent, "Справка недоступна",
                         "Не найдены страницы справки в папке " +
                             QCoreApplication::applicationDirPath() + "/help");
        return;
    }
    // One help window for the whole program; it stays open beside the work. While a modal
    // window (the oscilloscope) runs, the help belongs to it: otherwise the modal window would
    // block it, and it would open behind. Otherwise it belongs to the window that asked.
    QPointer<THelpWindow>& window = TheHelpWindow();
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner && parent) owner = parent->window();  // closes with the program's window
    if (window && window->parentWidget() != owner) window->setParent(owner, Qt::Window);
    if (!window) {
        window = new THelpWindow(owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->browser->setSource(QUrl::fromLocalFile(file));
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace kvaril
