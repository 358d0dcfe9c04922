#include "base/Errors.h"

#include <cerrno>
#include <cstring>

namespace kvaril {

namespace {

std::string FileErrorMessage(TFileOp op, const std::string& path, int error, TFileNote note) {
    std::string text;
    switch (op) {
        case TFileOp::Open:
            text = "Cannot open file ";
            break;
        case TFileOp::Create:
            text = "Cannot create file ";
            break;
        case TFileOp::Read:
            text = "Cannot read file ";
            break;
        case TFileOp::Write:
        case TFileOp::Other:
            text = "Cannot write file ";
            break;
    }
    text += path;
    if (note == TFileNote::DanglingLink) text += ": the symbolic link points to a missing file";
    if (note == TFileNote::NotRegularFile) text += ": not a regular file";
    // Open and create failures name only the path; the reason stays in Errno.
    if (error != 0 && (op == TFileOp::Read || op == TFileOp::Write))
        text += std::string(": ") + std::strerror(error);
    if (note == TFileNote::Restored) text += "; the previous content was restored";
    if (note == TFileNote::NotRestored) text += "; the previous content could not be restored";
    return text;
}

}  // namespace

std::string FileErrorReason(int error) {
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
            return std::strerror(error);
    }
}

std::string FileErrorText(TFileOp op, const std::string& path, int error, TFileNote note) {
    std::string text;
    switch (op) {
        case TFileOp::Open:
            text = "Не удается открыть файл ";
            break;
        case TFileOp::Create:
            text = "Не удается создать файл ";
            break;
        case TFileOp::Read:
            text = "Ошибка чтения файла ";
            break;
        case TFileOp::Write:
        case TFileOp::Other:
            text = "Ошибка записи файла ";
            break;
    }
    text += path;
    if (note == TFileNote::DanglingLink)
        text += ": символическая ссылка указывает на несуществующий файл";
    else if (note == TFileNote::NotRegularFile)
        text += ": это не обычный файл";
    else if (error != 0)
        text += ": " + FileErrorReason(error);
    if (note == TFileNote::Restored) text += "; прежнее содержимое файла восстановлено";
    if (note == TFileNote::NotRestored) text += "; прежнее содержимое восстановить не удалось";
    return text;
}

EFileError ExportFileError(TFileOp op, const std::string& path, int error, TFileNote note) {
    EFileError e(FileErrorText(op, path, error, note));
    e.Op = op;
    e.Path = path;
    e.Errno = error;
    e.Note = note;
    return e;
}

EFileError::EFileError(TFileOp op, const std::string& path, int error, TFileNote note)
    : EKvaril(FileErrorMessage(op, path, error, note)),
      Op(op),
      Path(path),
      Errno(error),
      Note(note) {}

void AssertionFailed(const char* condition, const char* unit, int line) {
    throw EAssertionFailed(std::string("Assertion failed: ") + condition + " (" + unit + ", line " +
                           std::to_string(line) + ")");
}

}  // namespace kvaril
