#include "app/fonts/BarcodeFonts.h"

#include <QFile>
#include <QString>

namespace tallux {

std::string BarcodeFontBytes(const BarcodeFontFace& face) {
    QFile file(QStringLiteral(":/tallux/fonts/") + QString::fromUtf8(face.file));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace tallux
