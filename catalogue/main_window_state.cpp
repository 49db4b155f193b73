#include "catalogue/main_window_state.h"

#include "framework/data/query.h"

namespace qm {

void SaveDescription(TMainWindowState& state, TQuery& software, const QString& description) {
    if (!software.Active() || software.RecNo() < 0) {
        state.DescriptionModified = false;
        return;
    }
    software.Edit();
    software.SetFieldValue(QStringLiteral("Description"), description);
    state.DescriptionModified = false;
    software.Post();
}

} // namespace qm
