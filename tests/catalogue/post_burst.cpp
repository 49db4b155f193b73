// Helper of the crash-safety test: posts rows and edits through the catalogue's data module as
// fast as it can until it is killed, reporting each finished post on its own output line.
#include "catalogue/catalogue_data.h"
#include "tests/catalogue/burst_rows.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <catalogue file>\n", argv[0]);
        return 2;
    }
    qm::TCatalogueData data(QString::fromLocal8Bit(argv[1]));
    qm::TQuery& software = data.ADOQuerySoftware;
    software.SetUpdateCriteria(qm::TUpdateCriteria::ucKeyOnly);
    for (int i = 0;; ++i) {
        if (i % 3 == 2 && software.RecordCount() > 0) {
            software.MoveTo(i % software.RecordCount()); // rewrite an earlier row in full
            software.Edit();
        } else {
            software.Append();
        }
        const QString name = QStringLiteral("row %1").arg(i);
        software.SetFieldValue(QStringLiteral("Name"), name);
        software.SetFieldValue(QStringLiteral("Keywords"), qm::test::BurstKeywords(name));
        software.SetFieldValue(QStringLiteral("Description"), qm::test::BurstDescription(name));
        software.Post();
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
}
