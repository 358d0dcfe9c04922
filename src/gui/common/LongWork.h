#pragma once
// The box long work shows after half a second, whatever the work: a run, an export, the
// statistics or frequency plots of a long range. It says what goes on, fills a bar with the time
// elapsed and remaining, and offers "Прервать", which asks the work to stop.

#include <QEvent>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "base/WorkHooks.h"

class QProgressDialog;
class QWidget;

namespace kvaril {

// The events by which the user acts on a window: held back while work reads what they change.
bool IsUserInput(QEvent::Type type);

// How long work goes on before its box appears: quick work shows nothing.
inline constexpr int kProgressDelayMs = 500;

// The box over `parent`, shown at once with `text` and no bar yet; its button calls `stop`.
std::unique_ptr<QProgressDialog> ShowProgressBox(QWidget* parent, const QString& text,
                                                 const std::function<void()>& stop);
// `done` of `total` on the box's bar, with `text` (which says the times) above it.
void SetBoxProgress(QProgressDialog& box, int64_t done, int64_t total, const QString& text);

// Runs `work` on a thread of its own and returns when it is done, the window painted and its
// input held back meanwhile; after kProgressDelayMs the box shows `what` with the work's
// progress. False when the user stopped it (the work threw EWorkCancelled); anything else the
// work threw is thrown here.
bool RunLongWork(QWidget* parent, const QString& what,
                 const std::function<void(const TWorkHooks&)>& work);

// While RunLongWork waits for its work: whatever would change the document or its samples
// (an auto-run that has finished, a file dropped) waits too, as it waits for a run.
bool LongWorkRunning();

}  // namespace kvaril
