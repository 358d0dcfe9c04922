#include "common/Settings.h"

#include <QVariant>

namespace kvaril {

QSettings OpenSettings() { return QSettings("Dornek", "Kvaril"); }

bool ReadSetting(QSettings& store, const TSetting<bool>& s) {
    const QVariant v = store.value(s.Key);
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    // The settings file keeps a choice as text; any other text is no choice at all.
    const QString text = v.toString().trimmed().toLower();
    if (text == "true" || text == "1") return true;
    if (text == "false" || text == "0") return false;
    return s.Default;
}

int ReadSetting(QSettings& store, const TSetting<int>& s) {
    bool ok = false;
    const int value = store.value(s.Key).toInt(&ok);
    return ok ? value : s.Default;
}

QString ReadSetting(QSettings& store, const TSetting<QString>& s) {
    const QVariant v = store.value(s.Key);
    return v.isValid() ? v.toString() : s.Default;
}

QStringList ReadSetting(QSettings& store, const TSetting<QStringList>& s) {
    const QVariant v = store.value(s.Key);
    return v.isValid() ? v.toStringList() : s.Default;
}

}  // namespace kvaril
