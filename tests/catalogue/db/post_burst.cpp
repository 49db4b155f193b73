// Helper of the crash-safety test: posts rows and edits through the catalogue's data module as
// fast as it can until it is killed. Each finished post is reported on its own output line as the
// name the row had before (empty for a new row), a tab and the name it has now; names carry the
// run's tag, so that every run writes names of its own.
#include "catalogue/db/catalogue_data.h"
#include "tests/catalogue/db/burst_rows.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <catalogue file> <tag>\n", argv[0]);
        return 2;
    }
    qm::TCatalogueData data(QString::fromLocal8Bit(argv[1]));
    const QString tag = QString::fromLocal8Bit(argv[2]);
    qm::TQuery& software = data.ADOQuerySoftware;
    software.SetUpdateCriteria(qm::TUpdateCriteria::ucKeyOnly);
    for (int i = 0;; ++i) {
        QString before;
        if (i % 3 == 2 && software.RecordCount() > 0) {
            software.MoveTo(i % software.RecordCount()); // rewrite an earlier row in full
            before = software.FieldByName(QStringLiteral("Name")).toString();
            software.Edit();
        } else {
            software.Append();
        }
        const QString name = qm::test::BurstName(tag, i);
        software.SetFieldValue(QStringLiteral("Name"), name);
        software.SetFieldValue(QStringLiteral("Keywords"), qm::test::BurstKeywords(name));
        software.SetFieldValue(QStringLiteral("Description"), qm::test::BurstDescription(name));
        software.Post();
        std::printf("%s\t%s\n", before.toUtf8().constData(), name.toUtf8().constData());
        std::fflush(stdout);
    }
}
