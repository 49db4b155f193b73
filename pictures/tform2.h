#pragma once
// TForm2: the picture viewer. A window whose client area is one picture control at the picture's
// natural size; the main window sets it up and shows it modally for each picture.

#include <QDialog>
#include <memory>

namespace Ui {
class TForm2;
}

namespace qm {

class TImage;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    TImage* Image1() const;

    // Sets the client area to width × height, the caption to `path`, centres the window on the
    // desktop and loads `path` by its extension (a JPEG in full colour). A file that cannot be
    // read raises its error and the window is not shown.
    void Prepare(int width, int height, const QString& path);
    // Prepare, then show modally until the user closes the window.
    void ShowPicture(int width, int height, const QString& path);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Places the window, frame included, in the middle of its screen.
    void Centre();

    std::unique_ptr<Ui::TForm2> ui_;
    bool framed_ = true; // centred with its frame since it was last shown
};

} // namespace qm
