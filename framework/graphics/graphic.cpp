#include "framework/graphics/graphic.h"

#include "framework/core/exceptions.h"
#include "framework/graphics/thread.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace qm {

void TPersistent::Assign(const TPersistent& source) {
    source.AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) const {
    dest.AssignError(*this);
}

void TPersistent::AssignError(const TPersistent& source) const {
    throw EConvertError(std::string("Cannot assign a ") + source.ClassName() + " to a " + ClassName());
}

namespace {

void OpenFileOrThrow(QFileDevice& file, QIODevice::OpenMode mode) {
    if (!file.open(mode))
        throw EInvalidGraphic("Cannot open file \"" + file.fileName().toStdString() +
                              "\": " + file.errorString().toStdString());
}

} // namespace

void LoadFromFileWith(const QString& fileName, const std::function<void(QIODevice&)>& load) {
    QFile file(fileName);
    OpenFileOrThrow(file, QIODevice::ReadOnly);
    load(file);
}

void SaveToFileWith(const QString& fileName, const std::function<void(QIODevice&)>& save) {
    QSaveFile file(fileName);
    OpenFileOrThrow(file, QIODevice::WriteOnly);
    save(file);
    if (!file.commit())
        throw EInvalidGraphic("Cannot write file \"" + fileName.toStdString() +
                              "\": " + file.errorString().toStdString());
}

bool FitsDataBytes(std::uint64_t width, std::uint64_t height, std::uint64_t dataBytes) {
    // Each factor fits 32 bits, so the product cannot overflow; the data side is capped for the
    // same reason.
    const std::uint64_t pixels = (width & 0xFFFFFFFFu) * (height & 0xFFFFFFFFu);
    const std::uint64_t bytes = std::min<std::uint64_t>(dataBytes, 1ull << 40);
    return width <= 0xFFFFFFFFu && height <= 0xFFFFFFFFu &&
           pixels <= kPixelsWithoutData + kPixelsPerDataByte * bytes;
}

std::uint64_t BytesToEnd(const QIODevice& stream) {
    const qint64 bytes = stream.isSequential() ? stream.bytesAvailable() : stream.size() - stream.pos();
    return static_cast<std::uint64_t>(std::max<qint64>(bytes, 0));
}

void TGraphic::LoadFromFile(const QString& fileName) {
    LoadFromFileWith(fileName, [this](QIODevice& stream) { LoadFromStream(stream); });
}

void TGraphic::SaveToFile(const QString& fileName) {
    SaveToFileWith(fileName, [this](QIODevice& stream) { SaveToStream(stream); });
}

void TGraphic::Draw(TCanvas&, const QRect&) {}

void TGraphic::SaveToClipboardFormat(QMimeData&) {}

void TGraphic::LoadFromClipboardFormat(const QMimeData&, const QString& format) {
    throw EInvalidGraphic("Unsupported clipboard format " + format.toStdString() + " for a " + ClassName());
}

void TGraphic::SetTransparent(bool value) {
    if (value == transparent_)
        return;
    transparent_ = value;
    Changed();
}

void TGraphic::SetModified(bool value) {
    if (value)
        Changed();
    else
        modified_ = false;
}

void TGraphic::Changed() {
    modified_ = true;
    if (OnChange)
        OnChange(*this);
}

void TGraphic::Progress(TProgressStage stage, int percentDone, bool redrawNow, const QRect& rect,
                        const std::string& message) {
    if (!OnProgress)
        return;
    // Handlers are GUI code; a framework thread rendering ahead hands its reports over.
    const auto report = [&] { OnProgress(*this, stage, percentDone, redrawNow, rect, message); };
    if (IsFrameworkThread())
        Synchronize(report);
    else
        report();
}

} // namespace qm
