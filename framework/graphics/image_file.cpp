#include "framework/graphics/image_file.h"

#include "framework/core/exceptions.h"

#include <QImageWriter>

namespace qm {

void TImageFile::SaveToStream(QIODevice& stream) {
    QImageWriter writer(&stream, format_);
    if (!writer.write(Image()))
        throw EInvalidGraphic("Cannot write the " + std::string(format_) +
                              " picture: " + writer.errorString().toStdString());
}

} // namespace qm
