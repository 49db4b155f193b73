#include "pictures/open_picture_dialog.h"

#include "framework/graphics/canvas.h"
#include "framework/graphics/picture.h"
#include "pictures/picture_files.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>

namespace qm {

namespace {

constexpr int kPreviewSize = 160;

} // namespace

QStringList NameFiltersOf(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns =
            parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        result.append(parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return result;
}

TOpenPictureDialog::TOpenPictureDialog(QWidget* parent) : QFileDialog(parent), preview_(new QLabel(this)) {
    setObjectName(QStringLiteral("OpenPictureDialog1"));
    // The toolkit's own dialog, so that the preview can sit beside the file list.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::HideNameFilterDetails, true);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    preview_->setObjectName(QStringLiteral("Preview"));
    preview_->setFixedSize(kPreviewSize, kPreviewSize);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(preview_, 1, grid->columnCount(), 1, 1);
    connect(this, &QFileDialog::currentChanged, this, &TOpenPictureDialog::ShowPreview);
}

void TOpenPictureDialog::SetFilter(const QString& filter) {
    const QStringList filters = NameFiltersOf(filter);
    setNameFilters(filters);
    if (!filters.isEmpty())
        selectNameFilter(filters.first());
}

bool TOpenPictureDialog::Execute() {
    fileName_.clear();
    if (exec() != QDialog::Accepted || selectedFiles().isEmpty())
        return false;
    fileName_ = selectedFiles().first();
    return true;
}

void TOpenPictureDialog::showEvent(QShowEvent* event) {
    QFileDialog::showEvent(event);
    if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        edit->selectAll();
}

void TOpenPictureDialog::done(int result) {
    for (QCompleter* completer : findChildren<QCompleter*>())
        if (completer->popup() != nullptr)
            completer->popup()->hide();
    QFileDialog::done(result);
}

void TOpenPictureDialog::ShowPreview(const QString& path) {
    preview_->clear();
    if (!QFileInfo(path).isFile())
        return;
    // A picture that cannot be read has no preview; the dialog goes on.
    try {
        TPicture picture;
        LoadPanePicture(picture, path, preview_->size());
        // Drawn straight at the preview's size: a picture at its natural size may be large.
        const QSize shown =
            QSize(picture.Width(), picture.Height()).scaled(preview_->size(), Qt::KeepAspectRatio);
        QImage image(shown.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            TCanvas canvas(image);
            picture.Graphic()->Draw(canvas, image.rect());
        }
        preview_->setPixmap(QPixmap::fromImage(image));
        preview_->setToolTip(QStringLiteral("%1 x %2").arg(picture.Width()).arg(picture.Height()));
    } catch (const std::exception& e) {
        preview_->setText(QString::fromUtf8(e.what()));
        preview_->setWordWrap(true);
    }
}

} // namespace qm
