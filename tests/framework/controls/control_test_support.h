#pragma once
// A stand-in for the user's answer to the delete confirmation that records every question asked.

#include "framework/controls/confirmation.h"
#include "tests/framework/data/test_database.h"

#include <QStringList>

namespace qm::test {

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
