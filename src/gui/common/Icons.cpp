#include "common/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kvaril {

namespace {

const QColor kInk(40, 40, 60);
const QColor kPaper(255, 255, 255);
const QColor kBlue(40, 100, 200);
const QColor kGreen(30, 150, 60);
const QColor kRed(200, 40, 40);
const QColor kYellow(240, 200, 60);

void Page(QPainter& p, QRectF r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 4, r.top());
    path.lineTo(r.right(), r.top() + 4);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(path);
}

void Lines(QPainter& p, QRectF r, int count) {
    p.setPen(QPen(QColor(120, 120, 140), 1));
    for (int i = 0; i < count; ++i) {
        const double y = r.top() + 4 + i * 3;
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    }
}

void Plus(QPainter& p, QPointF c, QColor color) {
    p.setPen(QPen(color, 2.5));
    p.drawLine(c + QPointF(-3.5, 0), c + QPointF(3.5, 0));
    p.drawLine(c + QPointF(0, -3.5), c + QPointF(0, 3.5));
}

void Wave(QPainter& p, QRectF r, QColor color) {
    QPainterPath path;
    path.moveTo(r.left(), r.center().y());
    path.cubicTo(r.left() + r.width() / 4, r.top(), r.left() + r.width() / 4, r.top(),
                 r.center().x(), r.center().y());
    path.cubicTo(r.right() - r.width() / 4, r.bottom(), r.right() - r.width() / 4, r.bottom(),
                 r.right(), r.center().y());
    p.setPen(QPen(color, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void Arrow(QPainter& p, QPointF from, QPointF to, QColor color) {
    p.setPen(QPen(color, 2));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    QPolygonF head;
    head << to + d * 2 << to - d * 3 + n * 3 << to - d * 3 - n * 3;
    p.setBrush(color);
    p.setPen(Qt::NoPen);
    p.drawPolygon(head);
}

void Magnifier(QPainter& p, QPointF c) {
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(c, 4.5, 4.5);
    p.drawLine(c + QPointF(3.5, 3.5), c + QPointF(8, 8));
}

void FileNew(QPainter& p) {
    Page(p, QRectF(4.5, 2.5, 11, 15));
    Lines(p, QRectF(4.5, 4.5, 11, 13), 3);
}

void FileLoad(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(kYellow);
    p.drawRect(QRectF(2.5, 6.5, 15, 10));
    p.drawRect(QRectF(2.5, 4.5, 6, 2));
}

void FileSave(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kBlue);
    p.drawRect(QRectF(2.5, 2.5, 15, 15));
    p.setBrush(kPaper);
    p.drawRect(QRectF(5.5, 2.5, 9, 6));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(5.5, 11.5, 9, 6));
}

void SignalAdd(QPainter& p) {
    Wave(p, QRectF(1, 3, 13, 10), kBlue);
    Plus(p, QPointF(14.5, 14.5), kGreen);
}

void SignalDelete(QPainter& p) {
    Wave(p, QRectF(1, 3, 13, 10), kBlue);
    p.setPen(QPen(kRed, 2.5));
    p.drawLine(QPointF(11, 14.5), QPointF(18, 14.5));
}

void EditUndo(QPainter& p) {
    QPainterPath path;
    path.moveTo(15, 15);
    path.cubicTo(17, 7, 11, 5, 6, 7);
    p.setPen(QPen(kBlue, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    Arrow(p, QPointF(8, 6.5), QPointF(4, 8), kBlue);
}

void EditCut(QPainter& p) {
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(6, 15), 2.5, 2.5);
    p.drawEllipse(QPointF(14, 15), 2.5, 2.5);
    p.drawLine(QPointF(7.5, 13), QPointF(13, 3));
    p.drawLine(QPointF(12.5, 13), QPointF(7, 3));
}

void EditCopy(QPainter& p) {
    Page(p, QRectF(2.5, 2.5, 9, 12));
    Page(p, QRectF(8.5, 5.5, 9, 12));
}

void EditPaste(QPainter& p) {
    p.setPen(QPen(QColor(120, 80, 30), 1));
    p.setBrush(QColor(200, 150, 80));
    p.drawRect(QRectF(3.5, 3.5, 11, 14));
    Page(p, QRectF(8.5, 7.5, 9, 11));
}

void ModelRun(QPainter& p) {
    QPolygonF play;
    play << QPointF(5, 3) << QPointF(17, 10) << QPointF(5, 17);
    p.setPen(QPen(QColor(20, 110, 40), 1));
    p.setBrush(kGreen);
    p.drawPolygon(play);
}

// Two books on a shelf: the library of signals.
void Books(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(180, 140, 90));
    p.drawRect(QRectF(2.5, 4.5, 4, 13));
    p.setBrush(QColor(120, 160, 200));
    p.drawRect(QRectF(6.5, 3.5, 4, 14));
}

void SignalLoad(QPainter& p) {
    Books(p);
    Arrow(p, QPointF(13.5, 4), QPointF(13.5, 15), kGreen);
}

void SignalSave(QPainter& p) {
    Books(p);
    Arrow(p, QPointF(13.5, 16), QPointF(13.5, 5), kBlue);
}

void ModelCompile(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(230, 230, 240));
    p.drawRect(QRectF(2.5, 2.5, 15, 15));
    p.setPen(QPen(kGreen, 2.5));
    p.drawLine(QPointF(5.5, 10), QPointF(8.5, 14));
    p.drawLine(QPointF(8.5, 14), QPointF(15, 5.5));
}

void SignalReorder(QPainter& p) {
    Arrow(p, QPointF(6, 16), QPointF(6, 4), kBlue);
    Arrow(p, QPointF(14, 4), QPointF(14, 16), kBlue);
}

void ModelParam(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(10, 10), 7.5, 7.5);
    p.setPen(QPen(kRed, 2));
    p.drawLine(QPointF(10, 10), QPointF(10, 4.5));
    p.drawLine(QPointF(10, 10), QPointF(14, 12));
}

void SearchStart(QPainter& p) { Magnifier(p, QPointF(8, 8)); }

void SearchReplace(QPainter& p) {
    Magnifier(p, QPointF(7, 7));
    p.setPen(QPen(kRed, 1.8));
    p.drawLine(QPointF(12, 16), QPointF(18, 16));
    p.drawLine(QPointF(12, 12.5), QPointF(18, 12.5));
}

void SearchPan(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(230, 230, 240));
    p.drawRect(QRectF(1.5, 3.5, 17, 7));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 5.5, 13, 3));
    Magnifier(p, QPointF(9, 14));
}

void EditOp(QPainter& p) {
    p.setPen(QPen(kBlue, 1));
    p.setBrush(QColor(230, 240, 255));
    p.drawRect(QRectF(1.5, 3.5, 17, 13));
    QFont font;
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(1.5, 3.5, 17, 13), Qt::AlignCenter, "if");
}

// An open door with an arrow leaving through it.
void Exit(QPainter& p) {
    p.setPen(QPen(QColor(110, 70, 30), 1));
    p.setBrush(QColor(235, 225, 205));
    p.drawRect(QRectF(2.5, 2.5, 9, 15));
    QPolygonF leaf;
    leaf << QPointF(2.5, 2.5) << QPointF(7.5, 4.5) << QPointF(7.5, 19.5) << QPointF(2.5, 17.5);
    p.setBrush(QColor(170, 110, 50));
    p.drawPolygon(leaf);
    Arrow(p, QPointF(9, 10), QPointF(16.5, 10), kRed);
}

struct TIconDrawing {
    int Index;
    void (*Draw)(QPainter&);
};

constexpr TIconDrawing kDrawings[] = {
    {icoFileNew, FileNew},
    {icoFileLoad, FileLoad},
    {icoFileSave, FileSave},
    {icoSignalAdd, SignalAdd},
    {icoSignalDelete, SignalDelete},
    {icoEditUndo, EditUndo},
    {icoEditCut, EditCut},
    {icoEditCopy, EditCopy},
    {icoEditPaste, EditPaste},
    {icoModelRun, ModelRun},
    {icoSignalLoad, SignalLoad},
    {icoSignalSave, SignalSave},
    {icoModelCompile, ModelCompile},
    {icoSignalReorder, SignalReorder},
    {icoModelParam, ModelParam},
    {icoSearchStart, SearchStart},
    {icoSearchReplace, SearchReplace},
    {icoSearchPan, SearchPan},
    {icoEditOp, EditOp},
    {icoExit, Exit},
};

// An index without a picture draws nothing: the action shows its text alone.
void Draw(QPainter& p, int index) {
    for (const TIconDrawing& drawing : kDrawings)
        if (drawing.Index == index) {
            drawing.Draw(p);
            return;
        }
}

QPixmap Picture(int index, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 20.0, size / 20.0);
    Draw(p, index);
    return pixmap;
}

}  // namespace

QIcon MainIcon(int index) {
    QIcon icon;
    for (int size : {20, 40}) icon.addPixmap(Picture(index, size));
    return icon;
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 20.0, size / 20.0);
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(20, 40, 30));
        p.drawRoundedRect(QRectF(0.5, 0.5, 19, 19), 3, 3);
        Wave(p, QRectF(2, 4, 16, 12), QColor(90, 240, 120));
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace kvaril
