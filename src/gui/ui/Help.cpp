#include "ui/Help.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QPointer>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include "ui/Dialogs.h"
#include "ui/Icons.h"

namespace kvaril {

QString HelpFile(THelpTopic topic) {
    const QString dir = QCoreApplication::applicationDirPath() + "/help/";
    const QString file = dir + (topic == THelpTopic::Oscilloscope ? "osc.html" : "index.html");
    return QFileInfo::exists(file) ? file : QString();
}

namespace {

class THelpWindow : public QMainWindow {
  public:
    THelpWindow() {
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

}  // namespace

void ShowHelp(QWidget* parent, THelpTopic topic) {
    const QString file = HelpFile(topic);
    if (file.isEmpty()) {
        TDialogs().Error(parent, "Справка недоступна",
                         "Не найдены страницы справки в папке " +
                             QCoreApplication::applicationDirPath() + "/help");
        return;
    }
    // One help window for the whole program; it stays open beside the work.
    static QPointer<THelpWindow> window;
    if (!window) {
        window = new THelpWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->browser->setSource(QUrl::fromLocalFile(file));
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace kvaril
