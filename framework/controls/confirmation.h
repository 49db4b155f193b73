#pragma once
// The question the data controls ask before they delete rows. A modal box with OK and Cancel by
// default; tests install their own answer with SetConfirmationHandler.

#include <QString>
#include <functional>

class QWidget;

namespace qm {

using TConfirmationHandler = std::function<bool(QWidget* parent, const QString& text)>;

// True when the user chose OK.
bool Confirm(QWidget* parent, const QString& text);
// Replaces the handler; an empty function restores the message box. Returns the previous one.
TConfirmationHandler SetConfirmationHandler(TConfirmationHandler handler);

} // namespace qm
