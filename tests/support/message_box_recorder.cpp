#include "tests/support/message_box_recorder.h"

#include <QApplication>

namespace qm::test {

TMessageBoxRecorder::TMessageBoxRecorder() {
    connect(&timer_, &QTimer::timeout, this, &TMessageBoxRecorder::Answer);
    timer_.start(5);
}

QStringList TMessageBoxRecorder::Texts() const {
    QStringList texts;
    for (const TShownBox& box : boxes_)
        texts << box.text;
    return texts;
}

void TMessageBoxRecorder::Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible())
        return;
    boxes_.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
    box->accept();
}

} // namespace qm::test
