#include "ui/StartPage.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

namespace kvaril {

TStartPage::TStartPage(QWidget* parent) : QWidget(parent) {
    setObjectName("pnlStart");
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    lblStart_ = new QLabel(this);
    lblStart_->setObjectName("lblStart");
    lblStart_->setTextFormat(Qt::RichText);
    lblStart_->setWordWrap(true);
    lblStart_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblStart_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    layout->addWidget(lblStart_, 1);
    connect(lblStart_, &QLabel::linkActivated, this, &TStartPage::Activate);
    ShowExamples({});
}

void TStartPage::ShowExamples(const QString& folder) {
    examples_.clear();
    if (!folder.isEmpty()) {
        const QDir dir(folder);
        for (const QString& name :
             dir.entryList({"*.sig"}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase))
            examples_.append(dir.filePath(name));
    }
    QString html =
        "<h3>Документ пуст</h3>"
        "<p>Сигнал - это класс на Паскале, метод <b>Make(t)</b> которого задает значение "
        "<b>Value</b> в момент времени t.</p>"
        "<p><a href=\"add\">Добавьте сигнал</a> (Сигнал → Добавить), допишите строку "
        "<tt>Value := ;</tt> выражением от <tt>t</tt> и нажмите <b>F9</b>: модель будет "
        "построена и запущена, результаты покажет осциллограф.</p>";
    if (!examples_.isEmpty()) {
        html += "<p>Примеры:</p><ul>";
        for (const QString& path : examples_)
            html += "<li><a href=\"" + QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                    "\">" + QFileInfo(path).fileName().toHtmlEscaped() + "</a></li>";
        html += "</ul>";
    }
    html += "<p><a href=\"help\">Справка</a> - клавиша <b>F1</b>.</p>";
    lblStart_->setText(html);
}

void TStartPage::Activate(const QString& link) {
    if (link == "add") {
        Q_EMIT AddRequested();
    } else if (link == "help") {
        Q_EMIT HelpRequested();
    } else {
        const QString path = QUrl(link).toLocalFile();
        if (examples_.contains(path)) Q_EMIT OpenRequested(path);
    }
}

}  // namespace kvaril
