#include "osc/PictureExport.h"

#include <QPainter>
#include <QSvgGenerator>

#include "document/uSignal.h"
#include "model/RunHistory.h"
#include "model/uSignalsData.h"
#include "osc/OscPainter.h"
#include "osc/ScreenLayout.h"

namespace kvaril {

namespace {

TGraphPicture Layout(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                     const TStoredRun* reference, const TLayoutOptions& options) {
    const TView* view = screen >= 0 && screen < osc.ViewCount() ? &osc.View(screen) : nullptr;
    TGraphPicture picture;
    std::vector<const double*> rows;
    if (reference) rows = ReferenceRows(signals, *reference);
    LayoutGraph(osc, view, signals.Data(), signals.QuantTime(), signals.QuantCount(), size.width(),
                size.height(), picture, reference ? &rows : nullptr, options);
    return picture;
}

TGridLayout Grid(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                 const TLayoutOptions& options) {
    const TView* view = screen >= 0 && screen < osc.ViewCount() ? &osc.View(screen) : nullptr;
    TGridLayout grid;
    LayoutGrid(osc, view, signals.Data(), signals.QuantTime(), size.width(), size.height(), grid,
               options);
    return grid;
}

}  // namespace

QImage RenderScreen(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                    const TStoredRun* reference, const TLayoutOptions& options, bool grid) {
    QImage image(size, QImage::Format_RGB32);
    const TGridLayout g = grid ? Grid(osc, screen, signals, size, options) : TGridLayout{};
    PaintGraphImage(image, Layout(osc, screen, signals, size, reference, options),
                    grid ? &g : nullptr);
    return image;
}

QString ExportScreen(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                     const QString& path, const TStoredRun* reference,
                     const TLayoutOptions& options, bool grid) {
    if (screen < 0 || screen >= osc.ViewCount())
        return QString("Нет экрана %1: экранов в документе %2")
            .arg(screen + 1)
            .arg(osc.ViewCount());
    if (path.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle("Kvaril");
        QPainter painter;
        if (!painter.begin(&svg)) return "Не могу записать " + path;
        const TGridLayout g = grid ? Grid(osc, screen, signals, size, options) : TGridLayout{};
        PaintGraphVector(painter, Layout(osc, screen, signals, size, reference, options),
                         grid ? &g : nullptr);
        painter.end();
        return {};
    }
    if (!RenderScreen(osc, screen, signals, size, reference, options, grid).save(path))
        return "Не могу записать " + path;
    return {};
}

}  // namespace kvaril
