// The oscilloscope window's "Свип" page: there while a sweep is shown, measuring its runs over
// the intervals the spectrum window offers.

#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

#include "common/QtText.h"
#include "osc/OscSession.h"
#include "scope/FrmOsc.h"
#include "scope/OscPainter.h"
#include "scope/SweepPage.h"

namespace kvaril {

void TFormOsc::CreateSweepPage() {
    // A page of the panel only while a sweep is shown: without one the panel is as it was.
    tsSweep_ = new TSweepPage(this);
    tsSweep_->hide();
    connect(tabControl_, &QTabWidget::currentChanged, this, [this] {
        RefreshSweep();
        WidenForSweep();
    });
}

void TFormOsc::RefreshSweep() {
    if (!tsSweep_) return;
    const TSweepShownPtr& sweep = session_->References().SharedSweep();
    const int index = tabControl_->indexOf(tsSweep_);
    if (sweep && index < 0) {
        tabControl_->addTab(tsSweep_, "Свип");
        // The panel never gets narrower than its page tabs: the new one included.
        panelMinimumWithoutSweep_ = tabControl_->minimumWidth();
        tabControl_->setMinimumWidth(
            std::max(panelMinimumWithoutSweep_, tabControl_->tabBar()->sizeHint().width() + 4));
    } else if (!sweep && index >= 0) {
        tabControl_->removeTab(index);  // the page stays the window's, for the next sweep
        tabControl_->setMinimumWidth(panelMinimumWithoutSweep_);
    }
    if (!sweep) {
        tsSweep_->Show(nullptr, {}, 0, {}, TColorScheme::White);  // lets the runs go
        return;
    }
    if (!tsSweep_->isVisible()) return;  // measured when it is looked at
    const TSpectrumRequest request = session_->Readings().SpectrumRequest();
    const std::vector<QColor> colors = BeamColors();
    const TBeamChoice beam = request.Beams.empty() ? TBeamChoice{} : request.Beams.front();
    const QColor color = beam.ColorIndex >= 0 && beam.ColorIndex < int(colors.size())
                             ? colors[static_cast<size_t>(beam.ColorIndex)]
                             : QColor(Qt::black);
    tsSweep_->Show(sweep, request.Intervals, beam.Signal, color, request.Scheme);
}

// As for the statistics: the panel widens to show the table, up to half the window.
void TFormOsc::WidenForSweep() {
    if (!tsSweep_ || !tsSweep_->isVisible() || !tabControl_->currentWidget()) return;
    const int chrome = tabControl_->width() - tabControl_->currentWidget()->width();
    const QList<int> sizes = tabControlSplit_->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    const int wanted = std::min(chrome + tsSweep_->WantedWidth(), total / 2);
    if (tabControl_->width() < wanted)
        tabControlSplit_->setSizes({wanted, std::max(0, total - wanted)});
}

}  // namespace kvaril
