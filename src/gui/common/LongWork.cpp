#include "common/LongWork.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QPointer>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

#include "base/WorkChannel.h"
#include "common/QtText.h"
#include "model/RunProgress.h"

namespace kvaril {

namespace {

int longWorks = 0;  // RunLongWork calls waiting, on the window's thread

// Holds back the user's input to every window but the box while the work reads what the
// windows would change, and keeps them from closing.
class TInputHold : public QObject {
  public:
    TInputHold() { qApp->installEventFilter(this); }
    ~TInputHold() override { qApp->removeEventFilter(this); }
    TInputHold(const TInputHold&) = delete;
    TInputHold& operator=(const TInputHold&) = delete;

    QPointer<QWidget> Box;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType() || !Held(event->type())) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (Box && (widget == Box || Box->isAncestorOf(widget))) return false;
        if (event->type() == QEvent::ShortcutOverride) event->accept();
        if (event->type() == QEvent::Close) event->ignore();
        return true;
    }

  private:
    // A window closing would take away what the work reads.
    static bool Held(QEvent::Type type) { return IsUserInput(type) || type == QEvent::Close; }
};

}  // namespace

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

std::unique_ptr<QProgressDialog> ShowProgressBox(QWidget* parent, const QString& text,
                                                 const std::function<void()>& stop) {
    auto box = std::make_unique<QProgressDialog>(text, "Прервать", 0, 0, parent);
    box->setObjectName("dlgProgress");
    box->setWindowTitle("Kvaril");
    box->setWindowModality(Qt::WindowModal);
    box->setMinimumDuration(0);
    // Only the button stops the work; closing a box the work will close itself is not asked.
    box->setAutoReset(false);
    box->setAutoClose(false);
    QObject::connect(box.get(), &QProgressDialog::canceled, box.get(), stop);
    box->show();
    return box;
}

void SetBoxProgress(QProgressDialog& box, int64_t done, int64_t total, const QString& text) {
    if (total <= 0) return;
    box.setRange(0, 1000);
    box.setValue(static_cast<int>(1000 * std::clamp<int64_t>(done, 0, total) / total));
    box.setLabelText(text);
}

bool RunLongWork(QWidget* parent, const QString& what,
                 const std::function<void(const TWorkHooks&)>& work) {
    ++longWorks;
    const auto over = qScopeGuard([] { --longWorks; });
    TWorkChannel channel;
    const TWorkHooks hooks = channel.Hooks();

    TInputHold hold;
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> box;
    // The box polls the work's progress: the worker never waits for the window.
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (!box) {
            box = ShowProgressBox(parent, what, [&channel] { channel.Stop(); });
            hold.Box = box.get();
            tick.setInterval(100);
        }
        const auto [d, t] = channel.Progress();
        if (t <= 0 || d <= 0) return;
        const double elapsed = clock.elapsed() / 1000.0;
        SetBoxProgress(*box, d, t, FromUtf8(WorkProgressText(ToUtf8(what), d, t, elapsed)));
    });
    tick.start(kProgressDelayMs);

    std::exception_ptr failure;
    bool stopped = false;
    QFutureWatcher<void> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([&] {
        try {
            work(hooks);
        } catch (const EWorkCancelled&) {
            stopped = true;
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    loop.exec();
    if (!watcher.isFinished()) {
        // The application is quitting: its exit ended the loop, not the work.
        channel.Stop();
        watcher.waitForFinished();
    }
    tick.stop();
    box.reset();
    if (failure) std::rethrow_exception(failure);
    return !stopped;
}

bool LongWorkRunning() { return longWorks > 0; }

}  // namespace kvaril
