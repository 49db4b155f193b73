#pragma once
// A logical palette: up to 256 entries of red, green, blue and a flag byte. It is a plain value;
// where a routine may return "no palette" it returns std::optional<TPalette>.

#include <QList>
#include <QRgb>
#include <cstdint>
#include <vector>

namespace qm {

struct TPaletteEntry {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;

    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

// Flag of an entry that must not be merged with an equal system colour.
inline constexpr std::uint8_t PC_NOCOLLAPSE = 4;

class TPalette {
public:
    TPalette() = default;
    explicit TPalette(std::vector<TPaletteEntry> entries) : entries_(std::move(entries)) {}

    int Count() const { return static_cast<int>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }
    const TPaletteEntry& operator[](int index) const { return entries_[static_cast<std::size_t>(index)]; }
    TPaletteEntry& operator[](int index) { return entries_[static_cast<std::size_t>(index)]; }
    const std::vector<TPaletteEntry>& Entries() const { return entries_; }
    std::vector<TPaletteEntry>& Entries() { return entries_; }

    // The colour table of an indexed QImage, opaque entries in palette order.
    QList<QRgb> ToColorTable() const;
    static TPalette FromColorTable(const QList<QRgb>& table);

    friend bool operator==(const TPalette&, const TPalette&) = default;

private:
    std::vector<TPaletteEntry> entries_;
};

} // namespace qm
