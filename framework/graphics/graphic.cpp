#include "framework/graphics/graphic.h"

#include "framework/core/exceptions.h"
#include "framework/graphics/thread.h"

#include <QFile>
#include <QSaveFile>

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
