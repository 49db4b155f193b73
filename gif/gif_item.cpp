#include "gif/gif_item.h"

#include "framework/core/exceptions.h"

#include <QFile>

namespace qm {

namespace {

void openOrThrow(QFile& file, QIODevice::OpenMode mode) {
    if (!file.open(mode))
        throw EInvalidGraphic("Cannot open file \"" + file.fileName().toStdString() +
                              "\": " + file.errorString().toStdString());
}

} // namespace

void TGIFItem::SaveToFile(const QString& fileName) {
    QFile file(fileName);
    openOrThrow(file, QIODevice::WriteOnly | QIODevice::Truncate);
    SaveToStream(file);
}

void TGIFItem::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    openOrThrow(file, QIODevice::ReadOnly);
    LoadFromStream(file);
}

} // namespace qm
