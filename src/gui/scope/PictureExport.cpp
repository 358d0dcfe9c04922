#include "scope/PictureExport.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include "base/Errors.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "export/OutputPlan.h"
#include "model/RunHistory.h"
#include "osc/OscCursors.h"
#include "osc/ScreenLayout.h"
#include "osc/WindowTexts.h"
#include "scope/OscPainter.h"
#include "store/uSignalsData.h"

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
    // The measuring lines (Вид → Курсоры A/B, Линии меток).
    bool Cursors = false;
    std::optional<TCursorPair> CursorTimes;
    bool MarkerLines = false;
};

// The measuring lines of a screen's traces `graph` large.
std::vector<TMarkLine> MarkLinesOf(const TView& view, const TSignals& signals, const QSize& graph,
                                   const TExtras& extras) {
    std::optional<TCursorPair> cursors;
    if (extras.Cursors)
        cursors = extras.CursorTimes
                      ? *extras.CursorTimes
                      : DefaultCursorTimes(view, signals.QuantTime(), signals.Data().SampleCount());
    return LayoutMarkLines(&view, graph.width(), extras.MarkerLines, cursors);
}

// A page's painter writes in the application's font.
TLayoutOptions WithLegendText(TLayoutOptions options) {
    options.LegendText = LegendMetrics(QFontMetrics(QGuiApplication::font()));
    return options;
}

TGridLayout Grid(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                 const TExtras& extras) {
    const TView* view = screen >= 0 && screen < osc.ViewCount() ? &osc.View(screen) : nullptr;
    TGridLayout grid;
    if (extras.Grid)
        LayoutGrid(osc, view, signals.Data(), signals.QuantTime(), size.width(), size.height(),
                   grid, WithLegendText(extras.Options), GridTextMetrics());
    return grid;
}

TGraphPicture Layout(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                     const TExtras& extras) {
    const TView* view = screen >= 0 && screen < osc.ViewCount() ? &osc.View(screen) : nullptr;
    TGraphPicture picture;
    std::vector<const double*> rows;
    if (extras.Reference) rows = ReferenceRows(signals, *extras.Reference);
    LayoutGraph(osc, view, signals.Data(), signals.QuantTime(), signals.QuantCount(), size.width(),
                size.height(), picture, extras.Reference ? &rows : nullptr,
                WithLegendText(extras.Options));
    return picture;
}

// The A/B readout as a table under the traces: the times, then per beam (and run, after a
// sweep) its values at A and B and their difference, as the window shows them above its
// traces. At most a third of the sheet: rows beyond it are counted, not drawn.
struct TReadoutStrip {
    std::vector<QStringList> Lines;  // each: name, A, B, B − A; the first: the times
    int Height = 0;
};

TReadoutStrip ReadoutStrip(const TView& view, const TSignals& signals, const QSize& sheet,
                           const TExtras& extras, const QFontMetrics& metrics) {
    TReadoutStrip strip;
    if (!extras.Cursors) return strip;
    const TCursorPair pair = extras.CursorTimes ? *extras.CursorTimes
                                                : DefaultCursorTimes(view, signals.QuantTime(),
                                                                     signals.Data().SampleCount());
    const TCursorReadout r = CursorReadoutOf(view, signals, pair, extras.Options.Sweep);
    // The traces keep at least 40 pixels, and the strip takes no more than a third.
    const int line = metrics.height();
    const int room = sheet.height() - kStripHeight - kTimesHeight - 40 - 4;
    const int most = std::min(sheet.height() / 3, room) / line;
    if (most < 1) return strip;
    strip.Lines.push_back({QString::fromStdString(r.Header())});
    if (most >= 3 && !r.Rows.empty()) strip.Lines.push_back({"", "A", "B", "B − A"});
    for (size_t i = 0; i < r.Rows.size() && most >= 3; ++i) {
        if (static_cast<int>(strip.Lines.size()) + 1 >= most && i + 1 < r.Rows.size()) {
            strip.Lines.push_back({"… еще " + QString::number(r.Rows.size() - i)});
            break;
        }
        const TCursorBeamRow& row = r.Rows[i];
        strip.Lines.push_back({QString::fromStdString(row.Name), QString::fromStdString(row.A),
                               QString::fromStdString(row.B), QString::fromStdString(row.Delta)});
    }
    strip.Height = static_cast<int>(strip.Lines.size()) * line + 4;
    return strip;
}

void PaintReadoutStrip(QPainter& painter, const TReadoutStrip& strip, int width,
                       const QColor& panel) {
    painter.fillRect(QRect(0, 0, width, strip.Height), panel);
    painter.setPen(Qt::black);
    const QFontMetrics metrics = painter.fontMetrics();
    int nameWidth = 0, valueWidth = metrics.horizontalAdvance("B − A");
    for (size_t i = 1; i < strip.Lines.size(); ++i) {
        const QStringList& line = strip.Lines[i];
        if (line.size() < 4) continue;
        nameWidth = std::max(nameWidth, metrics.horizontalAdvance(line[0]));
        for (int c = 1; c < 4; ++c)
            valueWidth = std::max(valueWidth, metrics.horizontalAdvance(line[c]));
    }
    int y = 2;
    for (size_t i = 0; i < strip.Lines.size(); ++i, y += metrics.height()) {
        const QStringList& line = strip.Lines[i];
        QFont font = painter.font();
        font.setBold(i == 0);
        painter.setFont(font);
        painter.drawText(QPoint(4, y + metrics.ascent()), line[0]);
        for (int c = 1; c < line.size(); ++c) {
            const int right = 4 + nameWidth + c * (valueWidth + 12);
            painter.drawText(
                QPoint(right - metrics.horizontalAdvance(line[c]), y + metrics.ascent()), line[c]);
        }
    }
    QFont font = painter.font();
    font.setBold(false);
    painter.setFont(font);
}

QSize GraphSize(const QSize& sheet, int readout = 0) {
    return {sheet.width(), sheet.height() - kStripHeight - kTimesHeight - readout};
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
    const TReadoutStrip readout = ReadoutStrip(view, signals, sheet, extras, painter.fontMetrics());
    const QSize graph = GraphSize(sheet, readout.Height);
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
    if (extras.Cursors || extras.MarkerLines) {
        painter.setClipRect(QRect(QPoint(0, 0), graph));
        PaintMarkLines(painter, MarkLinesOf(view, signals, graph, extras), graph, &picture,
                       extras.Grid ? &grid : nullptr);
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
    if (readout.Height > 0) {
        painter.translate(0, kTimesHeight);
        PaintReadoutStrip(painter, readout, sheet.width(), panel);
    }
    painter.restore();
}

void PaintSheets(QPainter& painter, const TOsc& osc, const std::vector<int>& screens,
                 const TSignals& signals, const QSize& sheet, bool raster, const TExtras& extras,
                 const TWorkHooks& hooks) {
    const auto steps = static_cast<int64_t>(screens.size()) + 1;
    for (size_t i = 0; i < screens.size(); ++i) {
        if (i > 0) hooks.Step(static_cast<int64_t>(i), steps);
        painter.save();
        painter.translate(0, static_cast<int>(i) * sheet.height());
        PaintSheet(painter, osc, screens[i], signals, sheet, raster, extras);
        painter.restore();
    }
}

// The screens of one picture, ready to paint on any device.
struct TSheets {
    const TOsc& Osc;
    const TSignals& Signals;
    const TScreensPicture& Picture;
    QSize Whole;  // all sheets stacked
    const TWorkHooks& Hooks;

    void Paint(QPainter& painter, bool raster) const {
        const TExtras extras{Picture.Reference, Picture.Options,     Picture.Grid,
                             Picture.Cursors,   Picture.CursorTimes, Picture.MarkerLines};
        PaintSheets(painter, Osc, Picture.Screens, Signals, Picture.Size, raster, extras, Hooks);
        // The file's encoding is the last step.
        const auto steps = static_cast<int64_t>(Picture.Screens.size()) + 1;
        Hooks.Step(steps - 1, steps);
    }
};

// Qt states an SVG's size in millimetres of its assumed resolution, which a browser shows at
// another size than the pixels asked for; the root's size is restated in pixels.
QByteArray WithPixelSize(QByteArray svg, const QSize& size) {
    static const QRegularExpression rootSize(R"(<svg([^>]*?)\swidth="[^"]*"\s+height="[^"]*")");
    const QRegularExpressionMatch root = rootSize.match(QString::fromLatin1(svg.left(4096)));
    if (!root.hasMatch()) return svg;
    const QByteArray stated = QString(R"(<svg%1 width="%2" height="%3")")
                                  .arg(root.captured(1))
                                  .arg(size.width())
                                  .arg(size.height())
                                  .toLatin1();
    return svg.replace(root.capturedStart(), root.capturedLength(), stated);
}

bool PaintSvg(QIODevice& out, const TSheets& sheets) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(sheets.Whole);
    svg.setViewBox(QRect(QPoint(0, 0), sheets.Whole));
    svg.setTitle("Kvaril");
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    sheets.Paint(painter, false);
    if (!painter.end()) return false;
    const QByteArray text = WithPixelSize(buffer.data(), sheets.Whole);
    return out.write(text) == text.size();
}

// One point per pixel of the window, so the page is as large as the picture asked for.
bool PaintPdf(QIODevice& out, const TSheets& sheets, const QString& title) {
    QPdfWriter pdf(&out);
    pdf.setCreator("Kvaril");
    pdf.setTitle(title);
    pdf.setResolution(72);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setPageSize(
        QPageSize(QSizeF(sheets.Whole), QPageSize::Point, QString(), QPageSize::ExactMatch));
    QPainter painter;
    if (!painter.begin(&pdf)) return false;
    sheets.Paint(painter, false);
    return painter.end();
}

bool PaintRaster(QIODevice& out, const TSheets& sheets, QImage& image, const QByteArray& format) {
    QPainter painter(&image);
    sheets.Paint(painter, true);
    painter.end();
    return image.save(&out, format.constData());
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
    const TExtras extras{reference, options, grid, false, {}, false};
    const TGridLayout g = Grid(osc, screen, signals, size, extras);
    PaintGraphImage(image, Layout(osc, screen, signals, size, extras), grid ? &g : nullptr);
    return image;
}

QString CheckScreensPicture(const TOsc& osc, const TScreensPicture& picture,
                            const QString& target) {
    const std::string problem = CheckPictureScreens(picture.Screens, osc.ViewCount(),
                                                    picture.Size.width(), picture.Size.height());
    if (!problem.empty()) return QString::fromStdString(problem);
    if (PictureFormatOf(target) == TPictureFormat::Unknown)
        return "Неизвестный формат рисунка: " + target + " (нужно расширение .png, .svg или .pdf)";
    return {};
}

QString WriteScreensPicture(const TOsc& osc, const TSignals& signals,
                            const TScreensPicture& picture, const QString& target,
                            const QString& file, const TWorkHooks& hooks) {
    const QSize whole(picture.Size.width(),
                      picture.Size.height() * static_cast<int>(picture.Screens.size()));
    const TSheets sheets{osc, signals, picture, whole, hooks};
    const TPictureFormat format = PictureFormatOf(target);
    QImage image;
    if (format == TPictureFormat::Raster) {
        image = QImage(whole, QImage::Format_RGB32);
        if (image.isNull()) return "Не хватает памяти для рисунка такого размера";
    }
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return "Не могу записать " + target + ": " + out.errorString();
    const bool painted =
        format == TPictureFormat::Svg ? PaintSvg(out, sheets)
        : format == TPictureFormat::Pdf
            ? PaintPdf(out, sheets, QFileInfo(target).completeBaseName())
            : PaintRaster(out, sheets, image, QFileInfo(target).suffix().toLower().toLatin1());
    if (!painted) return "Не могу записать " + target;
    if (!out.flush() || out.error() != QFileDevice::NoError)
        return "Не могу записать " + target + ": " + out.errorString();
    return {};
}

QString ExportScreens(const TOsc& osc, const std::vector<int>& screens, const TSignals& signals,
                      const QSize& size, const QString& path, const TStoredRun* reference,
                      const TLayoutOptions& options, bool grid) {
    const TScreensPicture picture{screens, size, reference, options, grid, false, {}, false};
    if (QString problem = CheckScreensPicture(osc, picture, path); !problem.isEmpty())
        return problem;
    try {
        TOutputPlan plan;
        const int output = plan.Add("", path.toStdString(), TOutputKind::Binary);
        plan.Prepare();
        const QString error = WriteScreensPicture(
            osc, signals, picture, path, QString::fromStdString(plan.TemporaryPath(output)));
        if (!error.isEmpty()) return error;
        plan.Commit();
    } catch (const EKvaril& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

}  // namespace kvaril
