#include "ui/RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include "common/QtText.h"
#include "common/Settings.h"

namespace kvaril {

namespace {

// One spelling per file, so that the same document never takes two entries.
QString Normalized(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

TRecentFiles::TRecentFiles(QMenu* menu) : QObject(menu), menu_(menu) {
    menu_->setObjectName("mnuRecentFiles");
    menu_->setToolTipsVisible(true);
    connect(menu_, &QMenu::aboutToShow, this, &TRecentFiles::Rebuild);
    Load();
    Rebuild();
}

void TRecentFiles::Load() {
    std::vector<std::string> stored;
    for (const QString& path : ReadSetting(settings::kRecentFiles)) stored.push_back(ToUtf8(path));
    list_ = TRecentDocuments(stored);
}

void TRecentFiles::Store() { WriteSetting(settings::kRecentFiles, Items()); }

QStringList TRecentFiles::Items() const {
    QStringList items;
    for (const std::string& path : list_.Items()) items << FromUtf8(path);
    return items;
}

void TRecentFiles::Add(const QString& path) {
    // Another window of the program may have added its own documents meanwhile.
    Load();
    list_.Add(ToUtf8(Normalized(path)));
    Store();
    Rebuild();
}

void TRecentFiles::RemoveMissing() {
    Load();
    list_.RemoveMissing([](const std::string& p) { return QFileInfo(FromUtf8(p)).isFile(); });
    Store();
    Rebuild();
}

void TRecentFiles::Clear() {
    list_.Clear();
    Store();
    Rebuild();
}

void TRecentFiles::Rebuild() {
    // The entry being triggered may be the one that leads here: it goes once its signal is done.
    for (QAction* old : menu_->actions()) {
        menu_->removeAction(old);
        old->deleteLater();
    }
    const QStringList items = Items();
    bool anyMissing = false;
    for (int i = 0; i < items.size(); ++i) {
        const QString& path = items[i];
        const QFileInfo info(path);
        const bool exists = info.isFile();
        anyMissing = anyMissing || !exists;
        // "&1 name.sig   (folder)": the number picks it from the keyboard.
        QString text = QString("&%1 %2   (%3)")
                           .arg(i + 1)
                           .arg(info.fileName().replace('&', "&&"))
                           .arg(QDir::toNativeSeparators(info.absolutePath()).replace('&', "&&"));
        if (!exists) text += " - нет файла";
        QAction* a = menu_->addAction(text);
        a->setObjectName(QString("actRecentFile%1").arg(i + 1));
        a->setData(path);
        a->setToolTip(path);
        a->setStatusTip(exists ? "Открытие файла " + path : "Файла больше нет: " + path);
        a->setEnabled(exists);
        connect(a, &QAction::triggered, this, [this, path] { Q_EMIT OpenRequested(path); });
    }
    if (items.isEmpty()) {
        QAction* empty = menu_->addAction("(список пуст)");
        empty->setObjectName("actRecentEmpty");
        empty->setEnabled(false);
        return;
    }
    menu_->addSeparator();
    QAction* removeMissing = menu_->addAction("&Убрать отсутствующие");
    removeMissing->setObjectName("actRecentRemoveMissing");
    removeMissing->setStatusTip("Удаление из списка файлов, которых больше нет");
    removeMissing->setEnabled(anyMissing);
    connect(removeMissing, &QAction::triggered, this, &TRecentFiles::RemoveMissing);
    QAction* clear = menu_->addAction("&Очистить список");
    clear->setObjectName("actRecentClear");
    clear->setStatusTip("Удаление всех файлов из списка последних");
    connect(clear, &QAction::triggered, this, &TRecentFiles::Clear);
}

}  // namespace kvaril
