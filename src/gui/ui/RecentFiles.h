#pragma once
// Файл → "Последние файлы": the documents last opened or saved, kept in the settings. The menu
// is built anew whenever it opens, so a file removed meanwhile shows disabled; the entries of
// files that are gone can be taken off the list.

#include <QObject>
#include <QStringList>

#include "desktop/RecentDocuments.h"

class QMenu;

namespace kvaril {

class TRecentFiles : public QObject {
    Q_OBJECT
  public:
    explicit TRecentFiles(QMenu* menu);

    // After a document was opened or saved under `path`.
    void Add(const QString& path);
    QStringList Items() const;
    void RemoveMissing();
    void Clear();
    // Fills the menu from the list; runs whenever the menu is about to show.
    void Rebuild();

  Q_SIGNALS:
    // The user picked the entry of `path`.
    void OpenRequested(const QString& path);

  private:
    void Load();
    void Store();

    QMenu* menu_;
    TRecentDocuments list_;
};

}  // namespace kvaril
