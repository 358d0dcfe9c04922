#include "ui/QtText.h"

#include <QList>
#include <QStringList>
#include <cerrno>
#include <cstring>

#include "Errors.h"
#include "document/Cp1251.h"

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

namespace {

QString ReasonText(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "нет прав доступа";
        case ENOENT:
            return "нет такого файла или папки";
        case ENOTDIR:
            return "часть пути не является папкой";
        case EISDIR:
            return "это папка";
        case ENOSPC:
            return "нет места на диске";
        case EDQUOT:
            return "превышена дисковая квота";
        case EFBIG:
            return "файл слишком велик";
        case EROFS:
            return "файловая система только для чтения";
        case EIO:
            return "ошибка ввода-вывода";
        default:
            return QString::fromUtf8(std::strerror(error));
    }
}

}  // namespace

QString ErrorText(const std::exception& e) {
    const auto* file = dynamic_cast<const EFileError*>(&e);
    if (!file || file->Op == TFileOp::Other) return QString::fromUtf8(e.what());
    QString text;
    switch (file->Op) {
        case TFileOp::Open:
            text = "Не удается открыть файл ";
            break;
        case TFileOp::Create:
            text = "Не удается создать файл ";
            break;
        case TFileOp::Read:
            text = "Ошибка чтения файла ";
            break;
        default:
            text = "Ошибка записи файла ";
            break;
    }
    text += FromUtf8(file->Path);
    if (file->Note == TFileNote::DanglingLink)
        text += ": символическая ссылка указывает на несуществующий файл";
    else if (file->Errno != 0)
        text += ": " + ReasonText(file->Errno);
    if (file->Note == TFileNote::Restored) text += "; прежнее содержимое файла восстановлено";
    if (file->Note == TFileNote::NotRestored)
        text += "; прежнее содержимое восстановить не удалось";
    return text;
}

}  // namespace kvaril
