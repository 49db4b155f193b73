#pragma once
// A small open dataset for the control tests, and a stand-in for the user's answer to the
// delete confirmation that records every question asked.

#include "framework/controls/confirmation.h"
#include "framework/data/query.h"
#include "tests/framework/data/test_database.h"

#include <QStringList>

namespace qm::test {

class OpenTable {
public:
    explicit OpenTable(const QStringList& names) : db(names), query(db.File()) {
        query.setSQL(QStringLiteral("SELECT * FROM T ORDER BY ID ASC"));
        query.Open();
    }
    QString NamesInFile() const {
        return db
            .ReadBack(QStringLiteral("SELECT group_concat(Name, ',') FROM (SELECT Name FROM T ORDER BY ID)"))
            .toString();
    }

    TestDatabase db;
    TQuery query;
};

class ScriptedAnswers {
public:
    explicit ScriptedAnswers(bool answer) : answer_(answer) {
        previous_ = SetConfirmationHandler([this](QWidget*, const QString& text) {
            questions << text;
            return answer_;
        });
    }
    ~ScriptedAnswers() { SetConfirmationHandler(previous_); }
    ScriptedAnswers(const ScriptedAnswers&) = delete;
    ScriptedAnswers& operator=(const ScriptedAnswers&) = delete;

    QStringList questions;

private:
    bool answer_;
    TConfirmationHandler previous_;
};

} // namespace qm::test
