#pragma once
// TImage: the picture control. It shows the graphic of its TPicture at its natural size, stretched
// to the control or centred in it, and can size itself to the picture. A click is a press and a
// release of the left button over the control.

#include "framework/graphics/picture.h"

#include <QWidget>

namespace qm {

// The property setters keep the lower-case `set` that the form compiler calls for a property a form
// description sets; everything else follows the framework's names.
class TImage : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(bool Center READ Center WRITE setCenter)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
public:
    explicit TImage(QWidget* parent = nullptr);

    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }

    bool Stretch() const { return stretch_; }
    void setStretch(bool value);
    bool Center() const { return center_; }
    void setCenter(bool value);
    // On: the control takes the picture's natural size now and whenever the picture changes.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool value);

    // Where the picture is drawn: the whole control when stretched, else the picture's size at
    // the top left corner or centred.
    QRect DestRect() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PictureChanged();
    void FitToPicture();

    TPicture picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool autoSize_ = false;
    bool pressed_ = false;
};

} // namespace qm
