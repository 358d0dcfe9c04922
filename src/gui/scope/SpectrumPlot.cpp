#include "scope/SpectrumPlot.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <cmath>

#include "common/QtText.h"
#include "plot/Ticks.h"
#include "scope/PlotFrame.h"

namespace kvaril {

namespace {

constexpr int kGap = 4;  // between labels, and between a label and what it names

QString Text(const std::string& utf8) { return FromUtf8(utf8); }

bool Drawable(const TSpectrum& s) { return !s.NonFinite && s.BinCount() >= 2; }

}  // namespace

TSpectrumPlot::TSpectrumPlot(QWidget* parent) : QWidget(parent) {
    setObjectName("pbSpectrum");
    setMouseTracking(true);
    setMinimumSize(320, 200);
    setCursor(Qt::CrossCursor);
    setToolTip(
        "Колесо - масштаб вокруг указателя (над шкалой - только по ней, Shift - по частоте, "
        "Ctrl - по уровню); перетаскивание - сдвиг; правой кнопкой или с Shift - рамка "
        "увеличения; двойной щелчок - показать все");
}

TSpectrumPlot::TMargins TSpectrumPlot::Margins() const {
    const QFontMetrics fm = fontMetrics();
    // The level numbers' column is as wide as the widest it may hold; the title stands beside it.
    const int numbers = fm.horizontalAdvance(QString::fromUtf8("\u2212000,00 м"));
    return {fm.height() + kGap + numbers + kGap, fm.horizontalAdvance("0") * 2 + kGap,
            fm.height() / 2 + kGap, 2 * fm.height() + 2 * kGap};
}

QRect TSpectrumPlot::PlotRect() const {
    const TMargins m = Margins();
    return QRect(m.Left, m.Top, std::max(1, width() - m.Left - m.Right),
                 std::max(1, height() - m.Top - m.Bottom));
}

std::vector<const TSpectrum*> TSpectrumPlot::Curves() const {
    std::vector<const TSpectrum*> all;
    if (spectra_)
        for (const TBeamSpectrum& b : *spectra_) all.push_back(&b.Spectrum);
    return all;
}

QColor TSpectrumPlot::CurveColor(const TBeamSpectrum& b) const {
    if (colors_ && b.ColorIndex >= 0 && b.ColorIndex < static_cast<int>(colors_->size()))
        return (*colors_)[static_cast<size_t>(b.ColorIndex)];
    return palette().color(QPalette::WindowText);
}

void TSpectrumPlot::SetSpectra(const std::vector<TBeamSpectrum>* spectra,
                               const std::vector<QColor>* colors, const QColor& background,
                               bool logFrequency, bool decibels) {
    spectra_ = spectra;
    colors_ = colors;
    background_ = background;
    const QRect r = PlotRect();
    view_.Fit(Curves(), logFrequency, decibels, r.width(), r.height());
    readout_ = {};
    Changed();
}

void TSpectrumPlot::ShowAll() {
    view_.ShowAll();
    Changed();
}

bool TSpectrumPlot::SetFrequencyRange(double f0, double f1) {
    if (!view_.SetFrequencyRange(f0, f1)) return false;
    Changed();
    return true;
}

void TSpectrumPlot::Changed() {
    update();
    Q_EMIT ViewChanged();
}

void TSpectrumPlot::resizeEvent(QResizeEvent*) {
    const QRect r = PlotRect();
    view_.Resize(r.width(), r.height());
}

// ---- drawing

void TSpectrumPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QRect r = PlotRect();
    p.fillRect(r, background_);
    const QColor text = palette().color(QPalette::WindowText);
    DrawAxes(p, r, text);
    if (spectra_) {
        p.save();
        p.setClipRect(r);
        p.setRenderHint(QPainter::Antialiasing, true);
        for (const TBeamSpectrum& b : *spectra_) DrawCurve(p, r, b);
        DrawPeaks(p, r);
        DrawMarks(p, r);
        DrawReadout(p, r);
        p.restore();
        DrawLegend(p, r, text);
    }
    if (drag_ == TDrag::Band) {
        p.setPen(QPen(text, 1, Qt::DashLine));
        p.setBrush(QColor(128, 128, 128, 40));
        p.drawRect(QRectF(dragFrom_, dragAt_).normalized());
    }
}

void TSpectrumPlot::DrawAxes(QPainter& p, const QRect& r, const QColor& text) const {
    const TSpectrumAxes& a = view_.Axes();
    const bool dark = background_.lightness() < 100;
    const QColor grid = dark ? QColor(70, 70, 70) : QColor(210, 210, 210);
    const QFontMetrics fm = fontMetrics();

    // Frequency numbers under the plot, level numbers to its left.
    DrawBottomTicks(p, r, FrequencyTicks(a), width(), kGap, grid, text);
    DrawLeftTicks(p, r, LevelTicks(a), 0, height(), kGap, grid, text);
    p.setPen(text);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    // Axis titles with their units.
    p.drawText(QRect(r.left(), height() - fm.height() - kGap / 2, r.width(), fm.height()),
               Qt::AlignHCenter, "Частота, Гц");
    const QString level = !levelTitle_.isEmpty() ? levelTitle_
                          : a.Decibels           ? "Амплитуда, дБ"
                                                 : "Амплитуда";
    p.save();
    p.translate(0, r.center().y());
    p.rotate(-90);
    p.drawText(QRect(-r.height() / 2, 0, r.height(), fm.height()), Qt::AlignHCenter, level);
    p.restore();
}

void TSpectrumPlot::DrawCurve(QPainter& p, const QRect& r, const TBeamSpectrum& b) const {
    const TSpectrum& s = b.Spectrum;
    if (!Drawable(s)) return;
    const TSpectrumAxes& a = view_.Axes();
    // Only the bins in view, with one beyond each side so the line reaches the frame.
    const double binWidth = s.Frequency(1);
    const int first =
        std::max(a.LogFrequency ? 1 : 0, static_cast<int>(std::floor(a.FMin / binWidth)) - 1);
    const int last = std::min(s.BinCount() - 1, static_cast<int>(std::ceil(a.FMax / binWidth)) + 1);
    // A bin without a value breaks the line; a segment touching a faint bin is drawn faint.
    QPainterPath strong, faint;
    const bool anyFaint = !b.Faint.empty();
    QPointF lastPoint;
    bool have = false;
    for (int k = first; k <= last; ++k) {
        const double value = s.Amplitude[static_cast<size_t>(k)];
        const QPointF pt(r.left() + a.X(s.Frequency(k)), r.top() + a.Y(value));
        if (!std::isfinite(value) || !std::isfinite(pt.y())) {
            have = false;
            continue;
        }
        if (have) {
            const bool dim = anyFaint && (b.Faint[static_cast<size_t>(k)] ||
                                          b.Faint[static_cast<size_t>(k - 1)]);
            QPainterPath& path = dim ? faint : strong;
            if (path.currentPosition() != lastPoint || path.elementCount() == 0)
                path.moveTo(lastPoint);
            path.lineTo(pt);
        }
        lastPoint = pt;
        have = true;
    }
    const QColor color = CurveColor(b);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, 1.2));
    p.drawPath(strong);
    QColor faintColor = color;
    faintColor.setAlphaF(0.25);
    p.setPen(QPen(faintColor, 1.2));
    p.drawPath(faint);
}

void TSpectrumPlot::DrawMarks(QPainter& p, const QRect& r) const {
    const TSpectrumAxes& a = view_.Axes();
    const QFontMetrics fm = fontMetrics();
    for (const TMark& m : marks_) {
        p.setPen(QPen(m.Color, 1, Qt::DashLine));
        if (m.Vertical) {
            const double x = r.left() + a.X(m.Value);
            if (!std::isfinite(x) || x < r.left() || x > r.right()) continue;
            p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
            const int w = fm.horizontalAdvance(m.Text);
            const double tx = x + 3 + w > r.right() ? x - 3 - w : x + 3;
            p.drawText(QPointF(tx, r.top() + fm.ascent() + 2), m.Text);
        } else {
            const double y = r.top() + a.Y(m.Value);
            if (!std::isfinite(y) || y < r.top() || y > r.bottom()) continue;
            p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            p.drawText(QPointF(r.right() - 3 - fm.horizontalAdvance(m.Text), y - 3), m.Text);
        }
    }
}

void TSpectrumPlot::DrawPeaks(QPainter& p, const QRect& r) const {
    const TSpectrumAxes& a = view_.Axes();
    const QFontMetrics fm = fontMetrics();
    std::vector<QRectF> taken;
    for (const TBeamSpectrum& b : *spectra_) {
        const QColor color = CurveColor(b);
        for (const TSpectralPeak& peak : b.Peaks) {
            if (a.LogFrequency && !(peak.Frequency > 0)) continue;
            const QPointF at(r.left() + a.X(peak.Frequency), r.top() + a.Y(peak.Amplitude));
            if (!r.contains(at.toPoint())) continue;
            p.setPen(QPen(color, 1.2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(at, 3.5, 3.5);
            // The label above the mark, or beside it near the top (right, or left at the right
            // edge); left out where it would cover another.
            const QString label = Text(FormatEngineering(peak.Frequency, 4, "Гц"));
            const double w = fm.horizontalAdvance(label) + 4, h = fm.height();
            double x = std::clamp(at.x() - w / 2, double(r.left() + 1), r.right() - w);
            double y = at.y() - 6 - h;
            if (y < r.top() + 1) {
                y = std::clamp(at.y() - h / 2, double(r.top() + 1), r.bottom() - h);
                x = at.x() + 6 + w <= r.right() ? at.x() + 6 : at.x() - 6 - w;
            }
            const QRectF box(x, y, w, h);
            bool free = true;
            for (const QRectF& t : taken) free = free && !t.intersects(box);
            if (!free) continue;
            taken.push_back(box);
            QColor backing = background_;
            backing.setAlpha(210);
            p.fillRect(box, backing);
            p.setPen(color);
            p.drawText(box, Qt::AlignCenter, label);
        }
    }
}

void TSpectrumPlot::DrawLegend(QPainter& p, const QRect& r, const QColor& text) const {
    if (spectra_->empty()) return;
    const int rowH = fontMetrics().height();
    // A sweep's many runs: as many rows as the plot holds, the last one saying how many more.
    const int count = static_cast<int>(spectra_->size());
    const int fit = std::max(1, (r.height() - 3 * kGap) / rowH);
    const int shown = count <= fit ? count : fit - 1;
    std::vector<TLegendRow> rows;
    for (int i = 0; i < shown; ++i) {
        const TBeamSpectrum& b = (*spectra_)[static_cast<size_t>(i)];
        rows.push_back({Text(b.Name), CurveColor(b)});
    }
    const QString more = count > shown ? QString("и еще %1").arg(count - shown) : QString();
    DrawLegendBox(p, r, rows, more, 18, kGap, background_,
                  QColor(text.red(), text.green(), text.blue(), 120));
}

void TSpectrumPlot::DrawReadout(QPainter& p, const QRect& r) const {
    if (readout_.Curve < 0 || drag_ != TDrag::None) return;
    const QColor color = CurveColor((*spectra_)[static_cast<size_t>(readout_.Curve)]);
    const QPointF at(r.left() + readout_.X, r.top() + readout_.Y);
    p.setPen(QPen(QColor(128, 128, 128), 1, Qt::DotLine));
    p.drawLine(QPointF(at.x(), r.top()), QPointF(at.x(), r.bottom()));
    p.setPen(QPen(color, 2));
    p.setBrush(background_);
    p.drawEllipse(at, 4, 4);
}

// ---- the mouse

void TSpectrumPlot::Point(const QPointF& at) {
    const QRect r = PlotRect();
    TSpectrumReadout next;
    if (spectra_ && r.contains(at.toPoint()))
        next = SnapReadout(view_.Axes(), Curves(), at.x() - r.left(), at.y() - r.top());
    const bool changed = next.Curve != readout_.Curve || next.Bin != readout_.Bin ||
                         next.X != readout_.X || next.Y != readout_.Y;
    readout_ = std::move(next);
    if (!changed) return;
    update();
    Q_EMIT ReadoutChanged();
}

void TSpectrumPlot::mousePressEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (!PlotRect().contains(at.toPoint())) return;
    const bool band = event->button() == Qt::RightButton ||
                      (event->button() == Qt::LeftButton && event->modifiers() & Qt::ShiftModifier);
    if (!band && event->button() != Qt::LeftButton) return;
    drag_ = band ? TDrag::Band : TDrag::Pan;
    dragFrom_ = dragAt_ = at;
    if (drag_ == TDrag::Pan) setCursor(Qt::ClosedHandCursor);
    update();
}

void TSpectrumPlot::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (drag_ == TDrag::Pan) {
        view_.Pan(at.x() - dragAt_.x(), at.y() - dragAt_.y());
        dragAt_ = at;
        Changed();
        return;
    }
    if (drag_ == TDrag::Band) {
        const QRectF r = PlotRect();
        dragAt_ = QPointF(std::clamp(at.x(), r.left(), r.right()),
                          std::clamp(at.y(), r.top(), r.bottom()));
        update();
        return;
    }
    Point(at);
}

void TSpectrumPlot::mouseReleaseEvent(QMouseEvent* event) {
    const TDrag drag = drag_;
    drag_ = TDrag::None;
    setCursor(Qt::CrossCursor);
    if (drag == TDrag::Band) {
        const QRect r = PlotRect();
        view_.ZoomToBox(dragFrom_.x() - r.left(), dragFrom_.y() - r.top(), dragAt_.x() - r.left(),
                        dragAt_.y() - r.top());
        Changed();
    } else {
        update();
    }
    Point(event->position());
}

void TSpectrumPlot::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) ShowAll();
}

void TSpectrumPlot::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0) return;
    const QRect r = PlotRect();
    const QPointF at = event->position();
    // Over the frequency numbers the frequency alone, over the level numbers the level alone.
    bool frequency = at.x() >= r.left(), level = at.y() <= r.bottom();
    if (event->modifiers() & Qt::ShiftModifier) level = false;
    if (event->modifiers() & Qt::ControlModifier) frequency = false;
    if (!frequency && !level) return;
    view_.ZoomAt(at.x() - r.left(), at.y() - r.top(), steps, frequency, level);
    Changed();
    Point(at);
    event->accept();
}

void TSpectrumPlot::leaveEvent(QEvent*) {
    if (drag_ == TDrag::None) Point(QPointF(-1, -1));
}

}  // namespace kvaril
