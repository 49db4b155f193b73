#pragma once
// TCentring: keeps a top-level window centred on its screen by its whole window, frame included.
// A window manager frames a window only after it is shown, so the window is placed by its client
// size first and placed again once it is framed (its first paint).

#include <QObject>

class QWidget;

namespace qm {

class TCentring : public QObject {
    Q_OBJECT
public:
    // Centres within the whole screen, or within what the desktop's panels leave of it.
    enum class TArea { caScreen, caAvailable };

    TCentring(QWidget& window, TArea area);
    void Centre();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    TArea area_;
    bool framed_ = true;
};

} // namespace qm
