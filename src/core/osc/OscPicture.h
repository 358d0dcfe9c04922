#pragma once
// The session's picture of the current screen: the colour scheme (part of the document), the
// user's view choices (kept in the settings, never in the document), and the layouts of the
// traces and the grid that the painter turns into pixels. The view choices still to come
// (marker lines, long runs' summaries) join these.

#include <utility>
#include <vector>

#include "document/OscEnums.h"
#include "osc/GridLayout.h"
#include "osc/ScreenLayout.h"

namespace kvaril {

class TOscContext;
class TOscReferences;

class TOscPicture {
  public:
    TOscPicture(TOscContext& context, const TOscReferences& references)
        : context_(context), references_(references) {}

    TColorScheme Scheme() const;
    void SetScheme(TColorScheme scheme);

    bool SharedGroupScale() const { return sharedGroupScale_; }
    void SetSharedGroupScale(bool on) { sharedGroupScale_ = on; }
    bool Legend() const { return legend_; }
    void SetLegend(bool on) { legend_ = on; }
    bool ShowGrid() const { return showGrid_; }
    void SetShowGrid(bool show) { showGrid_ = show; }
    TLayoutOptions LayoutOptions() const;
    // The painter's font, for a sweep's legend to take lines of its own above the traces.
    void SetLegendText(TLegendMetrics metrics) { legendText_ = std::move(metrics); }

    // Where the Измерения page measured the beams, drawn over them; empty: nothing.
    void SetMeasured(std::vector<TLayoutOptions::TMeasured> measured) {
        measured_ = std::move(measured);
    }

    // ---- "Вид → Цвета по лучам" (BeamPalette.h)
    bool BeamColors() const { return beamColors_; }
    void SetBeamColors(bool on) { beamColors_ = on; }
    // The colours the colour indices of the value table, the statistics and the spectra stand
    // for under the current choice and scheme.
    std::vector<TRgb> BeamColorTable() const;

    void LayoutGraph(int width, int height, TGraphPicture& picture) const;
    void LayoutGrid(int width, int height, TGridLayout& grid,
                    const TGridMetrics& metrics = {}) const;

  private:
    TOscContext& context_;
    const TOscReferences& references_;
    bool sharedGroupScale_ = false;
    bool legend_ = false;
    bool showGrid_ = false;
    bool beamColors_ = false;
    TLegendMetrics legendText_;
    std::vector<TLayoutOptions::TMeasured> measured_;
};

}  // namespace kvaril
