#pragma once
// What the two export dialogs of the oscilloscope answer.

#include <QSize>
#include <QString>
#include <QStringList>

#include "export/DataExportPlan.h"
#include "osc/ExportSpan.h"

namespace kvaril {

// Asked: the beams the export covers (as a text) and the current screen's labels.
struct TDataExportQuestion {
    QString Beams;
    QStringList Markers;
    QString Cursors;  // "A: 0.1   B: 0.3 ..." while the A/B cursors are shown; empty otherwise
};

struct TDataExportChoice {
    TExportSpan Span = TExportSpan::Window;
    int MarkerA = 0, MarkerB = 1;  // indices into the question's markers
    TDataFormat Format = TDataFormat::Csv;
};

struct TPictureExportQuestion {
    QSize WindowSize;  // the traces with their strip and times, as the window shows them
    int ScreenCount = 1;
};

struct TPictureExportChoice {
    bool AllScreens = false;
    QSize Size;  // of each screen's picture
};

}  // namespace kvaril
