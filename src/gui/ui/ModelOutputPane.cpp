#include "ui/ModelOutputPane.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "common/QtText.h"

namespace kvaril {

TModelOutputPane::TModelOutputPane(QWidget* parent) : QWidget(parent) {
    setObjectName("pnlModelOutput");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(4, 0, 0, 0);
    auto* title = new QLabel("Вывод модели", this);
    title->setStyleSheet("font-weight: bold");
    auto* close = new QToolButton(this);
    close->setObjectName("btnModelOutputClose");
    close->setText("✕");
    close->setAutoRaise(true);
    close->setToolTip("Скрыть вывод модели");
    header->addWidget(title);
    header->addStretch();
    header->addWidget(close);
    layout->addLayout(header);
    edOutput_ = new QPlainTextEdit(this);
    edOutput_->setObjectName("edModelOutput");
    edOutput_->setReadOnly(true);
    edOutput_->setLineWrapMode(QPlainTextEdit::NoWrap);
    edOutput_->setMaximumBlockCount(100000);
    // A few lines, so the editor keeps most of a small window; the text scrolls.
    edOutput_->setFixedHeight(edOutput_->fontMetrics().lineSpacing() * 5 +
                              2 * edOutput_->frameWidth() + 8);
    layout->addWidget(edOutput_);
    lblFiles_ = new QLabel(this);
    lblFiles_->setObjectName("lblModelFiles");
    lblFiles_->setWordWrap(true);
    lblFiles_->setTextFormat(Qt::RichText);
    layout->addWidget(lblFiles_);
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    connect(lblFiles_, &QLabel::linkActivated, this,
            [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(folder_)); });
    hide();
}

void TModelOutputPane::Show(const std::string& printed, const std::vector<std::string>& files,
                            const std::string& folder) {
    // Already decoded from the documents' encoding, its control characters made visible.
    edOutput_->setPlainText(
        QString::fromUtf8(printed.data(), static_cast<qsizetype>(printed.size())));
    edOutput_->setVisible(!printed.empty());
    folder_ = FromUtf8(folder);
    QStringList names;
    for (const std::string& file : files) names << FromUtf8(file).toHtmlEscaped();
    lblFiles_->setText(files.empty() ? QString()
                                     : "Файлы модели: " + names.join(", ") +
                                           " — <a href=\"open\">открыть папку</a>");
    lblFiles_->setVisible(!files.empty());
    setVisible(!printed.empty() || !files.empty());
}

}  // namespace kvaril
