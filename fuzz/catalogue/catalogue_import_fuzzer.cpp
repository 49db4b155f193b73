// Feeds arbitrary bytes to the import readers. The first byte chooses: odd, a JSON document of the
// whole catalogue; even, a CSV file of the table (byte >> 1) & 3 in the order of CatalogueTables().
// The rest is the file. Rows go into an in-memory catalogue whose transaction is undone after
// every input. Anything may be refused with qm::Exception; nothing may crash, hang, leak or escape
// as another exception.
#include "catalogue/db/catalogue_schema.h"
#include "catalogue/transfer/catalogue_transfer.h"
#include "framework/core/exceptions.h"

#include <cstddef>
#include <cstdint>

namespace {

qm::TSQLiteConnection& EmptyCatalogue() {
    static qm::TSQLiteConnection connection(QStringLiteral(":memory:"), qm::TOpenMode::omCreate);
    static const bool made = [] {
        qm::CreateCatalogueSchema(connection);
        return true;
    }();
    (void)made;
    return connection;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    qm::TSQLiteConnection& connection = EmptyCatalogue();
    QByteArray bytes(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    connection.Execute(QStringLiteral("BEGIN"));
    try {
        if ((data[0] & 1) != 0)
            qm::ImportJsonCatalogue(connection, bytes, QStringLiteral("catalogue.json"));
        else
            qm::ImportCsvTable(connection, qm::CatalogueTables()[(data[0] >> 1) & 3], std::move(bytes),
                               QStringLiteral("table.csv"));
    } catch (const qm::Exception&) {
    }
    connection.Execute(QStringLiteral("ROLLBACK"));
    return 0;
}
