#pragma once
// The data module of the main window: the catalogue file and its seven queries, each with a
// connection of its own, opened with their first statements when the module is built.

#include "framework/data/change_history.h"
#include "framework/data/query.h"

#include <QObject>
#include <QString>

namespace qm {

class TCatalogueData : public QObject {
    Q_OBJECT
public:
    // Creates a missing file as an empty catalogue; a file that is not a catalogue raises
    // qm::Exception naming the file and stays as it was. Engine errors raise EDatabaseError.
    explicit TCatalogueData(const QString& databaseFile, QObject* parent = nullptr);

    QString DatabaseFile() const { return databaseFile_; }

    // Member order matters: the file is prepared before any query opens it.
    const QString databaseFile_;
    // The steps the window made to the four tables, for Undo and Redo; kept for the run only.
    TChangeHistory History;
    TQuery ADOQuerySoftware;
    TQuery ADOQueryCD;
    TQuery ADOQueryCategory;
    TQuery ADOQueryType;
    TQuery ADOQueryCD2;
    TQuery ADOQueryCategory2;
    TQuery ADOQueryType2;
};

} // namespace qm
