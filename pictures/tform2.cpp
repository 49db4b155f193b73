#include "pictures/tform2.h"

#include "framework/controls/image.h"
#include "ui_Unit2.h"

#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace qm {

TForm2::TForm2(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm2>()) {
    ui_->setupUi(this);
}

TForm2::~TForm2() = default;

TImage* TForm2::Image1() const {
    return ui_->Image1;
}

void TForm2::Prepare(int width, int height, const QString& path) {
    resize(width, height);
    setWindowTitle(path);
    Centre();
    ui_->Image1->Picture().LoadFromFile(path);
}

void TForm2::Centre() {
    // The whole window, frame included, is centred. Before the window manager has framed the
    // window, the frame is not known and the client size stands in for it.
    if (const QScreen* screen = this->screen())
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frameGeometry().size(), screen->geometry())
                 .topLeft());
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    framed_ = false;
}

void TForm2::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The first paint comes once the window is mapped, that is framed: the frame is known now.
    if (!framed_) {
        framed_ = true;
        QTimer::singleShot(0, this, &TForm2::Centre);
    }
}

void TForm2::ShowPicture(int width, int height, const QString& path) {
    Prepare(width, height, path);
    exec();
}

} // namespace qm
