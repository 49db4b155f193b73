#pragma once
// Ditherers map the pixels of an image, row by row in serpentine order (left to right first),
// to palette indices through a colour lookup. The plain engine takes the nearest colour; the
// error-diffusion ditherers spread each pixel's mapping error over pixels not yet processed.
//
// Callers walk a row while 0 <= Column() < Width(), pass the source pixel at Column() to
// DitherPixel (which advances Column()), and call EndRow after each row.

#include "colour/color_lookup.h"
#include "colour/color_options.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace qm {

class TDitherEngine {
public:
    TDitherEngine(int width, TColorLookup& lookup) : width_(width), lookup_(lookup) {}
    virtual ~TDitherEngine() = default;
    TDitherEngine(const TDitherEngine&) = delete;
    TDitherEngine& operator=(const TDitherEngine&) = delete;

    // Maps one pixel and moves to the next column of the row.
    virtual TColorMatch DitherPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Reverses the direction and moves to the first column of the next row.
    virtual void EndRow();
    // Moves on without mapping a pixel (a skipped pixel takes and gives no error).
    void StepColumn() { column_ += direction_; }

    int Direction() const { return direction_; }
    int Column() const { return column_; }
    int Width() const { return width_; }

private:
    int direction_ = 1;
    int column_ = 0;
    int width_;
    TColorLookup& lookup_;
};

// One weight of an error-diffusion kernel: `row` 0 is the current row (offsets ahead only),
// 1..3 the following rows; `offset` counts columns in the processing direction.
struct TKernelTap {
    int row;
    int offset;
    int weight;
};

// The shared error-row mechanism: per channel, one accumulation row for the current image row
// and one for each following row the kernel reaches, each with guard cells past both ends so
// that error spread beyond the edge is dropped. Subclasses only name their kernel and divisor.
class TErrorDiffusionDitherer : public TDitherEngine {
public:
    TColorMatch DitherPixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
    void EndRow() override;

protected:
    // `kernel` must outlive the ditherer; its weights add up to `divisor`.
    TErrorDiffusionDitherer(int width, TColorLookup& lookup, std::span<const TKernelTap> kernel, int divisor);

private:
    static constexpr int kChannels = 3;

    std::int32_t* Cell(int row, int column) const;
    static int Corrected(int value, std::int32_t accumulated, int divisor);

    std::span<const TKernelTap> kernel_;
    int divisor_;
    int guard_ = 0;
    int stride_ = 0;
    std::vector<std::int32_t> cells_;
    std::vector<std::int32_t*> rows_; // rows_[0] is the current row
};

class TFloydSteinbergDitherer final : public TErrorDiffusionDitherer {
public:
    TFloydSteinbergDitherer(int width, TColorLookup& lookup);
};

class TStuckiDitherer final : public TErrorDiffusionDitherer {
public:
    TStuckiDitherer(int width, TColorLookup& lookup);
};

class TSierraDitherer final : public TErrorDiffusionDitherer {
public:
    TSierraDitherer(int width, TColorLookup& lookup);
};

// Jarvis, Judice and Ninke.
class TJaJuNiDitherer final : public TErrorDiffusionDitherer {
public:
    TJaJuNiDitherer(int width, TColorLookup& lookup);
};

// Stevenson and Arce.
class TSteveArcheDitherer final : public TErrorDiffusionDitherer {
public:
    TSteveArcheDitherer(int width, TColorLookup& lookup);
};

class TBurkesDitherer final : public TErrorDiffusionDitherer {
public:
    TBurkesDitherer(int width, TColorLookup& lookup);
};

// The ditherer of a dither mode; null for a value outside the enumeration.
std::unique_ptr<TDitherEngine> CreateDitherer(TDitherMode mode, int width, TColorLookup& lookup);

} // namespace qm
