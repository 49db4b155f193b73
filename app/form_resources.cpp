#include "app/form_resources.h"

#include <QFont>
#include <QStringList>

// Resources of a static library are registered by hand, outside any namespace.
static void InitQuillmereResources() {
    Q_INIT_RESOURCE(quillmere);
}

namespace qm {

void PrepareFormResources() {
    static const bool prepared = [] {
        InitQuillmereResources();
        // The form descriptions' face is rarely installed here; take the closest narrow sans faces
        // so that the captions fit the sizes they were laid out for.
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"),
                                    QStringLiteral("Arial"), QStringLiteral("Helvetica")});
        return true;
    }();
    (void)prepared;
}

} // namespace qm
