#include "common/QtText.h"

#include <QList>
#include <QStringList>

#include "base/Cp1251.h"
#include "base/Errors.h"

namespace kvaril {

QString FromCp1251(const std::string& text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

std::string ToCp1251(const QString& text, bool* lossless) {
    return Utf8ToCp1251(text.toStdString(), lossless);
}

QString OutsideCp1251(const QString& text) {
    QString result;
    for (char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        bool lossless = true;
        ToCp1251(one, &lossless);
        if (!lossless && !result.contains(one)) result += one;
    }
    return result;
}

QString ReplacedNotice(const QString& what, const QString& text) {
    QStringList characters;
    for (char32_t c : OutsideCp1251(text).toUcs4()) characters << QString::fromUcs4(&c, 1);
    return what + ", которых нет в Windows-1251, заменены на \"?\": " + characters.join(" ");
}

QString ErrorText(const std::exception& e) {
    const auto* file = dynamic_cast<const EFileError*>(&e);
    if (!file || file->Op == TFileOp::Other) return QString::fromUtf8(e.what());
    return QString::fromUtf8(FileErrorText(file->Op, file->Path, file->Errno, file->Note));
}

}  // namespace kvaril
