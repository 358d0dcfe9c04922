#include "osc/OscPicture.h"

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "model/RunHistory.h"
#include "osc/BeamPalette.h"
#include "osc/OscContext.h"
#include "osc/OscReferences.h"

namespace kvaril {

TColorScheme TOscPicture::Scheme() const { return context_.Osc.Scheme(); }

void TOscPicture::SetScheme(TColorScheme scheme) {
    context_.Change(TStepKind::Discrete, [&] {
        context_.CommitEntry();
        context_.Osc.SetColorScheme(scheme);
    });
}

TLayoutOptions TOscPicture::LayoutOptions() const {
    TLayoutOptions options;
    options.SharedGroupScale = sharedGroupScale_;
    options.Legend = legend_;
    if (legend_) options.Names = SignalNamesUtf8(context_.Signals);
    options.BeamColors = beamColors_;
    options.Sweep = references_.Sweep();
    options.LegendText = legendText_;
    options.Measured = measured_;
    if (beamColors_ && legend_ && !options.Sweep)
        if (const TStoredRun* run = references_.Reference())
            options.ReferenceLabel = ReferenceLegendText(run->Label);
    return options;
}

std::vector<TRgb> TOscPicture::BeamColorTable() const {
    return kvaril::BeamColorTable(Scheme(), beamColors_);
}

void TOscPicture::LayoutGraph(int width, int height, TGraphPicture& picture) const {
    const TSignals& signals = context_.Signals;
    kvaril::LayoutGraph(context_.Osc, context_.Current(), signals.Data(), signals.QuantTime(),
                        signals.QuantCount(), width, height, picture, references_.Rows(),
                        LayoutOptions());
}

void TOscPicture::LayoutGrid(int width, int height, TGridLayout& grid,
                             const TGridMetrics& metrics) const {
    const TSignals& signals = context_.Signals;
    kvaril::LayoutGrid(context_.Osc, context_.Current(), signals.Data(), signals.QuantTime(), width,
                       height, grid, LayoutOptions(), metrics);
}

}  // namespace kvaril
