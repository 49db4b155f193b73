#include "catalogue/db/catalogue_data.h"

#include "catalogue/db/catalogue_schema.h"
#include "catalogue/db/software_keys.h"

namespace qm {

namespace {

QString PreparedCatalogue(const QString& fileName) {
    PrepareCatalogueFile(fileName);
    return fileName;
}

} // namespace

TCatalogueData::TCatalogueData(const QString& databaseFile, QObject* parent)
    : QObject(parent), databaseFile_(PreparedCatalogue(databaseFile)),
      History(databaseFile_, {QStringLiteral("SOFTWARE"), QStringLiteral("CD"), QStringLiteral("Category"),
                              QStringLiteral("Type")}),
      ADOQuerySoftware(databaseFile_), ADOQueryCD(databaseFile_), ADOQueryCategory(databaseFile_),
      ADOQueryType(databaseFile_), ADOQueryCD2(databaseFile_), ADOQueryCategory2(databaseFile_),
      ADOQueryType2(databaseFile_) {
    ADOQuerySoftware.FasterKeys = FasterSoftwareKeys;
    const std::pair<TQuery*, const char*> initial[] = {
        {&ADOQuerySoftware, "SELECT * FROM SOFTWARE"},
        {&ADOQueryCD, "SELECT * FROM CD"},
        {&ADOQueryCategory, "SELECT * FROM Category"},
        {&ADOQueryType, "SELECT * FROM Type"},
        {&ADOQueryCD2, "SELECT * FROM CD"},
        {&ADOQueryCategory2, "SELECT * FROM CATEGORY"},
        {&ADOQueryType2, "SELECT * FROM TYPE"},
    };
    for (const auto& [query, sql] : initial) {
        query->SetSQL(QLatin1String(sql));
        query->Open();
    }
    for (TQuery* query : {&ADOQuerySoftware, &ADOQueryCD, &ADOQueryCategory, &ADOQueryType})
        query->History = &History;
}

} // namespace qm
