#include "framework/graphics/graphic.h"

#include "framework/core/exceptions.h"

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

void openOrThrow(QFileDevice& file, QIODevice::OpenMode mode) {
    if (!file.open(mode))
        throw EInvalidGraphic("Cannot open file \"" + file.fileName().toStdString() +
                              "\": " + file.errorString().toStdString());
}

} // namespace

void TGraphic::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    openOrThrow(file, QIODevice::ReadOnly);
    LoadFromStream(file);
}

void TGraphic::SaveToFile(const QString& fileName) {
    // The file is replaced only when the whole graphic was written: a failed save leaves the old
    // file as it was.
    QSaveFile file(fileName);
    openOrThrow(file, QIODevice::WriteOnly);
    SaveToStream(file);
    if (!file.commit())
        throw EInvalidGraphic("Cannot write file \"" + fileName.toStdString() +
                              "\": " + file.errorString().toStdString());
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
    if (OnProgress)
        OnProgress(*this, stage, percentDone, redrawNow, rect, message);
}

} // namespace qm
