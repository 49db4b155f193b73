#include "catalogue/main_window_state.h"

#include "framework/data/query.h"

namespace qm {

void SaveDescription(TMainWindowState& state, TQuery& software, const QString& description) {
    if (!software.Active()) {
        state.DescriptionModified = false;
        return;
    }
    software.Edit(); // with no row at all this starts one, so that the text is kept
    software.SetFieldValue(QStringLiteral("Description"), description);
    state.DescriptionModified = false;
    software.Post();
}

} // namespace qm
