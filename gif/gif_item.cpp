#include "gif/gif_item.h"

namespace qm {

void TGIFItem::SaveToFile(const QString& fileName) {
    SaveToFileWith(fileName, [this](QIODevice& stream) { SaveToStream(stream); });
}

void TGIFItem::LoadFromFile(const QString& fileName) {
    LoadFromFileWith(fileName, [this](QIODevice& stream) { LoadFromStream(stream); });
}

} // namespace qm
