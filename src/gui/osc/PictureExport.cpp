#include "osc/PictureExport.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "document/uSignal.h"
#include "model/RunHistory.h"
#include "model/uSignalsData.h"
#include "osc/OscPainter.h"
#include "osc/ScreenLayout.h"
#include "osc/WindowTexts.h"
#include "osc/uBeam.h"

namespace kvaril {

namespace {

// The window's label strip and a line for the time texts.
constexpr int kStripHeight = 16;
constexpr int kTimesHeight = 20;

// What a picture draws besides the document: a reference run and the window's layout options.
struct TExtras {
    const TStoredRun* Reference = nullptr;
    TLayoutOptions Options;
    bool Grid = false;
};

TGridLayout Grid(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                 const TExtras& extras) {
    const TView* view = screen >= 0 && screen < osc.ViewCount() ? &osc.View(screen) : nullptr;
    TGridLayout grid;
    if (extras.Grid)
        LayoutGrid(osc, view, signals.Data(), signals.QuantTime(), size.width(), size.height(),
                   grid, extras.Options);
    return grid;
}

TGraphPicture Layout(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                     const TExtras& extras) {
    const TView* view = screen >= 0 && screen < osc.ViewCount() ? &osc.View(screen) : nullptr;
    TGraphPicture picture;
    std::vector<const double*> rows;
    if (extras.Reference) rows = ReferenceRows(signals, *extras.Reference);
    LayoutGraph(osc, view, signals.Data(), signals.QuantTime(), signals.QuantCount(), size.width(),
                size.height(), picture, extras.Reference ? &rows : nullptr, extras.Options);
    return picture;
}

QSize GraphSize(const QSize& sheet) {
    return {sheet.width(), sheet.height() - kStripHeight - kTimesHeight};
}

// One screen at the painter's origin, `sheet` large. A raster target gets the traces through
// the window's own raster painter, so the file shows the same pixels as the screen.
void PaintSheet(QPainter& painter, const TOsc& osc, int screen, const TSignals& signals,
                const QSize& sheet, bool raster, const TExtras& extras) {
    const TView& view = osc.View(screen);
    const QColor panel = QGuiApplication::palette().color(QPalette::Button);
    painter.save();
    // Text as large against the traces as in the window, whatever resolution the file has
    // (a PDF or SVG page counts 72 units per inch, the screen 96).
    QFont font = QGuiApplication::font();
    if (font.pointSizeF() > 0) font.setPixelSize(qRound(font.pointSizeF() * 96 / 72));
    painter.setFont(font);
    PaintLabelStrip(painter, LayoutLabels(&view, signals.QuantTime(), sheet.width()),
                    QSize(sheet.width(), kStripHeight), panel);
    painter.translate(0, kStripHeight);
    const QSize graph = GraphSize(sheet);
    const TGraphPicture picture = Layout(osc, screen, signals, graph, extras);
    const TGridLayout grid = Grid(osc, screen, signals, graph, extras);
    // Whatever the layout holds (group bands, beams, and any scale drawn into it) is painted
    // here; a picture element the window adds outside the layout must be added here too.
    if (raster) {
        QImage image(graph, QImage::Format_RGB32);
        if (!image.isNull()) {
            PaintGraphImage(image, picture, extras.Grid ? &grid : nullptr);
            painter.drawImage(0, 0, image);
        }
    } else {
        painter.setClipRect(QRect(QPoint(0, 0), graph));
        PaintGraphVector(painter, picture, extras.Grid ? &grid : nullptr);
        painter.setClipping(false);
    }
    painter.translate(0, graph.height());
    const QRect times(0, 0, sheet.width(), kTimesHeight);
    painter.fillRect(times, panel);
    painter.setPen(Qt::black);
    const TWindowTexts texts = WindowTextsOf(view, signals.QuantTime());
    const QRect inner = times.adjusted(4, 0, -4, 0);
    painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(texts.T0));
    painter.drawText(inner, Qt::AlignHCenter | Qt::AlignVCenter,
                     QString::fromStdString(texts.Width));
    painter.drawText(inner, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(texts.T1));
    painter.restore();
}

void PaintSheets(QPainter& painter, const TOsc& osc, const std::vector<int>& screens,
                 const TSignals& signals, const QSize& sheet, bool raster, const TExtras& extras) {
    for (size_t i = 0; i < screens.size(); ++i) {
        painter.save();
        painter.translate(0, static_cast<int>(i) * sheet.height());
        PaintSheet(painter, osc, screens[i], signals, sheet, raster, extras);
        painter.restore();
    }
}

}  // namespace

TPictureFormat PictureFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "svg") return TPictureFormat::Svg;
    if (suffix == "pdf") return TPictureFormat::Pdf;
    if (!suffix.isEmpty() && QImageWriter::supportedImageFormats().contains(suffix.toLatin1()))
        return TPictureFormat::Raster;
    return TPictureFormat::Unknown;
}

QSize SheetSizeForGraph(const QSize& graph) {
    return {graph.width(), graph.height() + kStripHeight + kTimesHeight};
}

QImage RenderScreen(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                    const TStoredRun* reference, const TLayoutOptions& options, bool grid) {
    QImage image(size, QImage::Format_RGB32);
    const TExtras extras{reference, options, grid};
    const TGridLayout g = Grid(osc, screen, signals, size, extras);
    PaintGraphImage(image, Layout(osc, screen, signals, size, extras), grid ? &g : nullptr);
    return image;
}

QString ExportScreens(const TOsc& osc, const std::vector<int>& screens, const TSignals& signals,
                      const QSize& size, const QString& path, const TStoredRun* reference,
                      const TLayoutOptions& options, bool grid) {
    const TExtras extras{reference, options, grid};
    if (screens.empty()) return "Нет экранов для рисунка";
    for (int screen : screens)
        if (screen < 0 || screen >= osc.ViewCount())
            return QString("Нет экрана %1: экранов в документе %2")
                .arg(screen + 1)
                .arg(osc.ViewCount());
    const qint64 height = qint64(size.height()) * qint64(screens.size());
    if (size.width() < kMinPictureSize.width() || size.height() < kMinPictureSize.height() ||
        size.width() > kMaxPictureSide || height > kMaxPictureSide)
        return QString(
                   "Недопустимый размер рисунка %1x%2: от %3x%4, всего не более %5 точек по "
                   "каждой стороне")
            .arg(size.width())
            .arg(height)
            .arg(kMinPictureSize.width())
            .arg(kMinPictureSize.height())
            .arg(kMaxPictureSide);
    const TPictureFormat format = PictureFormatOf(path);
    if (format == TPictureFormat::Unknown)
        return "Неизвестный формат рисунка: " + path + " (нужно расширение .png, .svg или .pdf)";
    const QSize whole(size.width(), static_cast<int>(height));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return "Не могу записать " + path + ": " + file.errorString();
    bool painted = false;
    if (format == TPictureFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(whole);
        svg.setViewBox(QRect(QPoint(0, 0), whole));
        svg.setTitle("Kvaril");
        QPainter painter;
        if (painter.begin(&svg)) {
            PaintSheets(painter, osc, screens, signals, size, false, extras);
            painted = painter.end();
        }
    } else if (format == TPictureFormat::Pdf) {
        // One point per pixel of the window, so the page is as large as the picture asked for.
        QPdfWriter pdf(&file);
        pdf.setCreator("Kvaril");
        pdf.setTitle(QFileInfo(path).completeBaseName());
        pdf.setResolution(72);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setPageSize(
            QPageSize(QSizeF(whole), QPageSize::Point, QString(), QPageSize::ExactMatch));
        QPainter painter;
        if (painter.begin(&pdf)) {
            PaintSheets(painter, osc, screens, signals, size, false, extras);
            painted = painter.end();
        }
    } else {
        QImage image(whole, QImage::Format_RGB32);
        if (image.isNull()) {
            file.cancelWriting();
            return "Не хватает памяти для рисунка такого размера";
        }
        QPainter painter(&image);
        PaintSheets(painter, osc, screens, signals, size, true, extras);
        painter.end();
        painted = image.save(&file, QFileInfo(path).suffix().toLower().toLatin1().constData());
    }
    if (!painted) {
        file.cancelWriting();
        return "Не могу записать " + path;
    }
    if (!file.commit()) return "Не могу записать " + path + ": " + file.errorString();
    return {};
}

}  // namespace kvaril
