#pragma once
// The GIF graphic: a whole GIF file in memory as a tree of its blocks. The image owns its header
// (logical screen and global colour map) and its frames; each frame owns its extensions, local
// colour map and pixels.

#include "colour/color_options.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/canvas.h"
#include "framework/graphics/clock.h"
#include "framework/graphics/graphic.h"
#include "framework/graphics/thread.h"
#include "gif/gif_colormap.h"
#include "gif/gif_header.h"
#include "gif/gif_settings.h"
#include "gif/gif_subimage.h"

#include <QImage>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace qm {

class TGIFPainter;

// A failed allocation of an image raises EOutOfMemory instead of leaving a null image that draws
// nothing.
const QImage& RequireAllocated(const QImage& image, const QSize& size);
inline QImage NewDrawImage(const QSize& size, QImage::Format format) {
    return RequireAllocated(QImage(size, format), size);
}
// A painter's notification; the painter is the sender.
using TGIFPainterEvent = std::function<void(TGIFPainter& sender)>;

class TGIFImageList : public TGIFList<TGIFSubImage> {
public:
    using TGIFList::TGIFList;
    const char* ClassName() const override { return "TGIFImageList"; }
    // Reads frames until the trailer (or anything that is not a frame).
    void LoadFromStream(QIODevice& stream, TGIFImage* parent);
    void SaveToStream(QIODevice& stream) override;
};

// The single 0x3B byte that ends a GIF file.
class TGIFTrailer : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    const char* ClassName() const override { return "TGIFTrailer"; }
    void SaveToStream(QIODevice& stream) override;
    void LoadFromStream(QIODevice& stream) override;
};

class TGIFImage : public TGraphic {
public:
    TGIFImage();
    ~TGIFImage() override;
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;
    const char* ClassName() const override { return "TGIFImage"; }

    void Clear();
    void NewImage() { Clear(); }

    bool GetEmpty() const override { return images_->Count() == 0; }
    int GetWidth() const override { return header_->Width(); }
    int GetHeight() const override { return header_->Height(); }
    // Every frame must fit into the screen.
    void SetWidth(int value) override { SetScreenExtent(value, true); }
    void SetHeight(int value) override { SetScreenExtent(value, false); }
    bool Equals(const TGraphic& other) const { return &other == this; }

    // Reads with ReadSettings; LoadFromFile and the picture system come here too.
    void LoadFromStream(QIODevice& stream) override;
    // Reads with `settings`, which stay the image's ReadSettings.
    void LoadFromStream(QIODevice& stream, const TGIFReadSettings& settings);
    void SaveToStream(QIODevice& stream) override;
    // The limits and tolerance of the reader.
    TGIFReadSettings ReadSettings;

    TGIFVersion Version() const;
    int ColorResolution() const;
    int BitsPerPixel() const;
    int BackgroundColorIndex() const { return header_->GetBackgroundColorIndex(); }
    void SetBackgroundColorIndex(int index) { header_->SetBackgroundColorIndex(index); }
    TColor BackgroundColor() { return header_->GetBackgroundColor(); }
    void SetBackgroundColor(TColor color) { header_->SetBackgroundColor(color); }
    int AspectRatio() const { return header_->AspectRatio(); }
    TGIFColorMap& ColorMap() { return header_->ColorMap(); }
    bool IsTransparent() const;

    // Takes a frame over as it is; returns its index.
    int Add(std::unique_ptr<TGIFSubImage> frame);
    // A graphic of another kind becomes a new frame by assignment; anything else is refused.
    int Add(const TPersistent& source);
    // Drops derived data and moves a single frame's local colours into an empty global map.
    void Pack();
    // Makes the image smaller without changing how it looks: the chosen steps over all frames
    // (gif_optimize.cpp). The reduction settings are accepted for the rmPalette check only.
    void Optimize(TGIFOptimizeOptions options, TColorReduction reduction, TDitherMode ditherMode,
                  int reductionBits);
    // Merges the global and every local colour map into one global map of at most 256 colours.
    // Returns how many used colours found no room and now show as their nearest kept colour.
    int OptimizeColorMap();

    TGIFDrawOptions DrawOptions() const { return drawOptions_; }
    void SetDrawOptions(TGIFDrawOptions value);
    int AnimationSpeed() const { return animationSpeed_; }
    void SetAnimationSpeed(int value);
    int ReductionBits() const { return reductionBits_; }
    void SetReductionBits(int value);
    TColorReduction ColorReduction = TColorReduction::rmNone;
    TDitherMode DitherMode = TDitherMode::dmNearest;
    TGIFCompression Compression = TGIFCompression::gcLZW;
    TColor DrawBackgroundColor = 0x1FFFFFFF;
    bool GetDoDither() const;

    TGIFHeader& Header() { return *header_; }
    const TGIFHeader& Header() const { return *header_; }
    TGIFImageList& Images() { return *images_; }
    const TGIFImageList& Images() const { return *images_; }

    // Another GIF image's frames and settings, or any other graphic as one frame.
    void Assign(const TPersistent& source) override;
    // A form description's copy: optimized first (all five steps, no colour reduction) when
    // GIFImageOptimizeOnStream is set, then the GIF stream.
    void WriteData(QIODevice& stream) override;
    // The image's bitmap as an image, for programs that read only pictures, and the GIF stream
    // under CF_GIF.
    void SaveToClipboardFormat(QMimeData& data) override;
    // CF_GIF, or an image that becomes one frame; anything else raises "Unsupported clipboard
    // format".
    void LoadFromClipboardFormat(const QMimeData& data, const QString& format) override;

    // Hands a soft problem to OnWarning; while a strict load runs, raises it as a GIFException.
    virtual void Warning(const TPersistent& sender, TGIFSeverity severity, const std::string& message);
    TGIFWarning OnWarning;

    // Derived data that rendering builds on demand; every change drops it. FreeBitmap stops the
    // painter that Draw started first.
    void FreeBitmap();
    void FreePalette();
    void NotifyChange() { Changed(); }
    using TGraphic::Progress;

    // Rendering (gif_render.cpp). Draw shows the image on `canvas` in `rect`: the first frame, or
    // the animation through a painter that paints the whole-image bitmap (or, with goDirectDraw,
    // the canvas itself).
    void Draw(TCanvas& canvas, const QRect& rect) override;
    // The logical screen with the first frame drawn on it (32 bits, transparent where no frame
    // pixel is); none for an empty image.
    const TBitmap* GetBitmap();
    // A transparent bitmap of the screen's size, when none is cached.
    void NewBitmap();
    std::optional<TPalette> GetPalette();
    void SetPalette(const std::optional<TPalette>& palette);
    bool PaletteModified = false;
    // Held while frames render or their cached bitmaps are read: painter threads render frames.
    std::recursive_mutex& RenderLock() { return renderLock_; }

    // Painting (gif_painter.cpp). Without goAsync the painter runs at once on the calling thread
    // and none is returned; with it the painter is returned not yet started.
    TGIFPainter* InternalPaint(TGIFPainter** painter, TCanvas& canvas, const QRect& rect,
                               TGIFDrawOptions options);
    void Paint(TCanvas& canvas, const QRect& rect, TGIFDrawOptions options);
    void PaintStart();
    void PaintPause();
    void PaintResume();
    void PaintRestart();
    // Stops every painter and waits for the threaded ones.
    void PaintStop();
    // Stops the painter that Draw started and waits for it.
    void StopDraw();
    TThreadList<TGIFPainter*>& Painters() { return painters_; }
    TGIFPainter* DrawPainter() const { return drawPainter_; }
    TThreadPriority ThreadPriority = TThreadPriority::tpNormal;
    TGIFPainterEvent OnStartPaint;
    TGIFPainterEvent OnPaint;
    TGIFPainterEvent OnAfterPaint;
    TGIFPainterEvent OnLoop;
    TGIFPainterEvent OnEndPaint;
    // The time source of this image's painters; must outlive them.
    TClock* Clock = &TClock::Monotonic();

private:
    void SetScreenExtent(int value, bool horizontal);
    void AssignImage(const TGIFImage& source);
    // A bitmap is given the image's bitmap; anything else cannot take a GIF image.
    void AssignTo(TPersistent& dest) const override;
    void StopDrawPainter();
    static bool MustWaitFor(const TGIFPainter& painter);
    // Stops the painters and cuts the ties of any still listed to this image (destruction).
    void DetachPainters();
    // Passes a new animation speed on to the painter that Draw started.
    void SpeedChanged();
    void DrawBitmap(TCanvas& canvas, const QRect& rect);
    void StartDrawPainter(TCanvas& canvas, const QRect& rect);

    std::unique_ptr<TGIFHeader> header_;
    std::unique_ptr<TGIFImageList> images_;
    TGIFDrawOptions drawOptions_;
    int animationSpeed_ = 100;
    int reductionBits_ = 8;
    std::unique_ptr<TBitmap> bitmap_;
    std::unique_ptr<TCanvas> bitmapCanvas_;
    std::optional<TPalette> palette_;
    bool loading_ = false;
    bool drawing_ = false;
    bool inGetPalette_ = false;
    std::recursive_mutex renderLock_;
    TThreadList<TGIFPainter*> painters_;
    TGIFPainter* drawPainter_ = nullptr;
};

} // namespace qm
