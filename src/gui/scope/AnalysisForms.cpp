#include "scope/AnalysisForms.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QTableWidget>

#include "common/QtText.h"

namespace kvaril {

void AddLabelled(QWidget* owner, const char* caption, QWidget* buddy, QHBoxLayout* row) {
    auto* label = new QLabel(caption, owner);
    label->setBuddy(buddy);
    row->addWidget(label);
    row->addWidget(buddy);
}

void FillIntervalBox(QComboBox* box, const std::vector<TSpectrumInterval>& intervals, int current) {
    const QSignalBlocker block(box);
    box->clear();
    auto* model = qobject_cast<QStandardItemModel*>(box->model());
    for (const TSpectrumInterval& i : intervals) {
        QString caption = FromUtf8(i.Caption);
        if (!i.Available) caption += " (нет курсоров)";
        box->addItem(caption);
        if (!i.Available && model) model->item(box->count() - 1)->setEnabled(false);
    }
    box->setCurrentIndex(current);
    box->setEnabled(!intervals.empty());
}

void PresentWindow(QWidget* window) {
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

QComboBox* MakeSpanBox(QWidget* parent, const char* name, const QString& tip) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setToolTip(tip);
    return box;
}

void ShowSpan(QComboBox* box, const std::vector<std::string>& suggestions, const QString& span,
              bool ok) {
    {
        const QSignalBlocker quiet(box);
        QStringList items;
        for (const std::string& s : suggestions) items << FromUtf8(s);
        QStringList had;
        for (int i = 0; i < box->count(); ++i) had << box->itemText(i);
        if (had != items) {
            const int cursor = box->lineEdit()->cursorPosition();
            box->clear();
            box->addItems(items);
            box->setEditText(span);
            box->lineEdit()->setCursorPosition(cursor);
        } else if (box->currentText() != span) {
            box->setEditText(span);
        }
    }
    box->lineEdit()->setStyleSheet(ok ? QString() : QStringLiteral("color: #b00000"));
}

int TableWantedWidth(const QWidget* page, QTableWidget* grid) {
    grid->resizeColumnsToContents();
    int width = grid->verticalHeader()->width() + 2 * grid->frameWidth();
    for (int c = 0; c < grid->columnCount(); ++c) width += grid->columnWidth(c);
    const QMargins margins = page->layout()->contentsMargins();
    return width + margins.left() + margins.right() + 2;
}

}  // namespace kvaril
