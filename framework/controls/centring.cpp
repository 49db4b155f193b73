#include "framework/controls/centring.h"

#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>

namespace qm {

TCentring::TCentring(QWidget& window, TArea area) : QObject(&window), window_(window), area_(area) {
    window_.installEventFilter(this);
}

void TCentring::Centre() {
    const QScreen* screen = window_.screen();
    if (!screen)
        return;
    const QRect room = area_ == TArea::caScreen ? screen->geometry() : screen->availableGeometry();
    window_.move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window_.frameGeometry().size(), room)
                     .topLeft());
}

bool TCentring::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Show) {
        framed_ = false;
        Centre();
    } else if (watched == &window_ && event->type() == QEvent::Paint && !framed_) {
        // The first paint comes once the window is mapped, that is framed: the frame is known now.
        framed_ = true;
        QTimer::singleShot(0, this, &TCentring::Centre);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qm
