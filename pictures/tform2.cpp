#include "pictures/tform2.h"

#include "framework/controls/centring.h"
#include "framework/controls/image.h"
#include "ui_Unit2.h"

namespace qm {

TForm2::TForm2(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm2>()),
      centring_(new TCentring(*this, TCentring::TArea::caScreen)) {
    ui_->setupUi(this);
}

TForm2::~TForm2() = default;

TImage* TForm2::Image1() const {
    return ui_->Image1;
}

void TForm2::Prepare(int width, int height, const QString& path) {
    resize(width, height);
    setWindowTitle(path);
    centring_->Centre();
    ui_->Image1->Picture().LoadFromFile(path);
}

void TForm2::ShowPicture(int width, int height, const QString& path) {
    Prepare(width, height, path);
    exec();
}

} // namespace qm
