#include "common/DlgSweepFailures.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/RussianCount.h"
#include "common/QtText.h"

namespace kvaril {

TDlgSweepFailures::TDlgSweepFailures(QWidget* parent, const std::vector<TSweepFailure>& failures,
                                     int runs)
    : QDialog(parent) {
    setWindowTitle("Kvaril: Ошибки свипа");
    auto* layout = new QVBoxLayout(this);
    const int failed = static_cast<int>(failures.size());
    layout->addWidget(
        new QLabel(FromUtf8("С ошибкой " + RussianCount(failed, "прогон", "прогона", "прогонов") +
                            " из " + std::to_string(runs) +
                            (failed < runs ? "; остальные показаны в осциллографе." : ".")),
                   this));

    tblFailures = new QTableWidget(failed, 4, this);
    tblFailures->setObjectName("tblFailures");
    tblFailures->setHorizontalHeaderLabels({"Значения", "Сигнал", "Фаза", "Сообщение"});
    tblFailures->verticalHeader()->hide();
    tblFailures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblFailures->setWordWrap(true);
    for (int r = 0; r < failed; ++r) {
        const TSweepFailure& failure = failures[static_cast<size_t>(r)];
        const QString texts[] = {FromUtf8(failure.Values), FromUtf8(failure.Signal),
                                 FromUtf8(failure.Phase), FromUtf8(failure.Message).trimmed()};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setToolTip(texts[c]);
            tblFailures->setItem(r, c, item);
        }
    }
    tblFailures->horizontalHeader()->setStretchLastSection(true);
    tblFailures->resizeColumnsToContents();
    tblFailures->resizeRowsToContents();
    tblFailures->setMinimumSize(720, 160);
    layout->addWidget(tblFailures);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

}  // namespace kvaril
