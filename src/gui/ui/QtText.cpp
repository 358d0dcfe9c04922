#include "ui/QtText.h"

#include "document/Cp1251.h"

namespace kvaril {

QString FromCp1251(const std::string& text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

std::string ToCp1251(const QString& text, bool* lossless) {
    return Utf8ToCp1251(text.toStdString(), lossless);
}

}  // namespace kvaril
