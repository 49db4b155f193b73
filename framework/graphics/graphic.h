#pragma once
// The abstract graphic of the picture system and the persistent base it shares with the objects
// of the image formats: stream and file storage, size, emptiness, transparency, and the change
// and progress events that the picture controls listen to.

#include <QIODevice>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

class QMimeData;

namespace qm {

class TCanvas;

// Objects that can copy their state from another object of a compatible class. An unsupported
// pairing raises EConvertError.
class TPersistent {
public:
    virtual ~TPersistent() = default;
    // Copies `source` into this object; the default asks the source to do it (AssignTo).
    virtual void Assign(const TPersistent& source);
    // A human-readable class name, used in the message of an unsupported assignment.
    virtual const char* ClassName() const { return "TPersistent"; }

protected:
    TPersistent() = default;
    TPersistent(const TPersistent&) = default;
    TPersistent& operator=(const TPersistent&) = default;
    // Copies this object into `dest`; the default raises the unsupported-assignment error.
    virtual void AssignTo(TPersistent& dest) const;
    [[noreturn]] void AssignError(const TPersistent& source) const;
};

// Opens the file for reading and runs `load` on it; the file is closed on every path.
void LoadFromFileWith(const QString& fileName, const std::function<void(QIODevice&)>& load);
// Writes the file through `save`; an existing file is replaced only when all of it was written.
// A file that cannot be opened or written raises EInvalidGraphic naming it.
void SaveToFileWith(const QString& fileName, const std::function<void(QIODevice&)>& save);

// The bound every graphic class applies at load, before it allocates: a picture may declare as many
// pixels as 64 MiB hold at 32 bits per pixel, plus 4,096 pixels for every byte of its file. Honest
// pictures compress far less than that, while a few hostile bytes claiming a huge picture are
// refused at once instead of taking gigabytes and freezing the window.
inline constexpr std::uint64_t kPixelsWithoutData = 16ull << 20;
inline constexpr std::uint64_t kPixelsPerDataByte = 4096;
// True when a picture of width × height pixels stays within the bound for `dataBytes` bytes.
bool FitsDataBytes(std::uint64_t width, std::uint64_t height, std::uint64_t dataBytes);
// The bytes from the stream's position to its end, also for a stream that cannot tell its size.
std::uint64_t BytesToEnd(const QIODevice& stream);

enum class TProgressStage { psStarting, psRunning, psEnding };

class TGraphic;
using TNotifyEvent = std::function<void(TGraphic& sender)>;
using TProgressEvent = std::function<void(TGraphic& sender, TProgressStage stage, int percentDone,
                                          bool redrawNow, const QRect& rect, const std::string& message)>;

class TGraphic : public TPersistent {
public:
    ~TGraphic() override = default;

    virtual void LoadFromStream(QIODevice& stream) = 0;
    virtual void SaveToStream(QIODevice& stream) = 0;
    // Open the file, run the stream operation and close the file on every path. A file that
    // cannot be opened raises EInvalidGraphic naming the file; saving replaces the file only
    // when the whole graphic was written.
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName);
    // How a form description stores the graphic after its class name; the base writes and reads
    // the plain stream.
    virtual void WriteData(QIODevice& stream) { SaveToStream(stream); }
    virtual void ReadData(QIODevice& stream) { LoadFromStream(stream); }

    // Paints the graphic scaled into `rect`. A graphic that has nothing to show leaves the
    // painter's device as it was.
    virtual void Draw(TCanvas& canvas, const QRect& rect);

    // The clipboard exchange: offers the graphic in every format it has, and reads it back from
    // `format` (a MIME type) of `data`. The base offers nothing and reads nothing.
    virtual void SaveToClipboardFormat(QMimeData& data);
    virtual void LoadFromClipboardFormat(const QMimeData& data, const QString& format);

    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
    virtual bool GetEmpty() const = 0;
    virtual bool GetTransparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    bool GetModified() const { return modified_; }
    void SetModified(bool value);

    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

protected:
    TGraphic() = default;
    // Marks the graphic modified and tells OnChange.
    virtual void Changed();
    void Progress(TProgressStage stage, int percentDone, bool redrawNow, const QRect& rect,
                  const std::string& message);

private:
    bool transparent_ = false;
    bool modified_ = false;
};

} // namespace qm
