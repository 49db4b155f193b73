#include "framework/graphics/palette.h"

namespace qm {

QList<QRgb> TPalette::ToColorTable() const {
    QList<QRgb> table;
    table.reserve(Count());
    for (const TPaletteEntry& e : entries_)
        table.append(qRgb(e.peRed, e.peGreen, e.peBlue));
    return table;
}

TPalette TPalette::FromColorTable(const QList<QRgb>& table) {
    std::vector<TPaletteEntry> entries;
    entries.reserve(static_cast<std::size_t>(table.size()));
    for (QRgb c : table)
        entries.push_back({static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                           static_cast<std::uint8_t>(qBlue(c)), 0});
    return TPalette(std::move(entries));
}

} // namespace qm
