#include "framework/controls/confirmation.h"

#include <QMessageBox>

namespace qm {

namespace {

bool AskWithMessageBox(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, QStringLiteral("Confirm"), text,
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

TConfirmationHandler& Handler() {
    static TConfirmationHandler handler = AskWithMessageBox;
    return handler;
}

} // namespace

bool Confirm(QWidget* parent, const QString& text) {
    return Handler()(parent, text);
}

TConfirmationHandler SetConfirmationHandler(TConfirmationHandler handler) {
    TConfirmationHandler previous = std::move(Handler());
    Handler() = handler ? std::move(handler) : TConfirmationHandler(AskWithMessageBox);
    return previous;
}

} // namespace qm
