#include "osc/WindowTexts.h"

#include "document/uBeam.h"
#include "osc/OscTime.h"

namespace kvaril {

TWindowTexts WindowTextsOf(const TView& view, double quantTime) {
    return {"T0 : " + FormatOscTime(quantTime, view.T0()),
            "< dT : " + FormatOscTime(quantTime, view.T1() - view.T0()) + " >",
            FormatOscTime(quantTime, view.T1()) + " : T1"};
}

}  // namespace kvaril
