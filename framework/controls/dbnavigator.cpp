#include "framework/controls/dbnavigator.h"

#include "framework/controls/application.h"
#include "framework/controls/confirmation.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace qm {

namespace {

struct TButtonText {
    const char* name;
    const char* glyph;
    const char* hint;
};

constexpr std::array<TButtonText, 9> kButtons{{
    {"First", "|<", "First record"},
    {"Prior", "<", "Prior record"},
    {"Next", ">", "Next record"},
    {"Last", ">|", "Last record"},
    {"Insert", "+", "Insert record"},
    {"Delete", "-", "Delete record"},
    {"Edit", "^", "Edit record"},
    {"Post", "\u2713", "Post edit"},
    {"Cancel", "x", "Cancel edit"},
}};

} // namespace

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (size_t i = 0; i < kButtons.size(); ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(kButtons[i].name));
        button->setText(QString::fromUtf8(kButtons[i].glyph));
        button->setToolTip(QLatin1String(kButtons[i].hint));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        const auto which = static_cast<TNavigateBtn>(i);
        connect(button, &QToolButton::clicked, this, [this, which] { RunGuarded([&] { BtnClick(which); }); });
        layout->addWidget(button);
        buttons_[i] = button;
    }
    UpdateButtons();
}

void TDBNavigator::SetDataSet(TQuery* dataSet) {
    if (dataSet_)
        disconnect(dataSet_, nullptr, this, nullptr);
    dataSet_ = dataSet;
    if (dataSet_) {
        for (auto signal : {&TQuery::dataReset, &TQuery::rowCountChanged, &TQuery::stateChanged})
            connect(dataSet_, signal, this, &TDBNavigator::UpdateButtons);
        connect(dataSet_, &TQuery::currentRowChanged, this, &TDBNavigator::UpdateButtons);
    }
    UpdateButtons();
}

void TDBNavigator::SetShowHint(bool show) {
    showHint_ = show;
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setToolTip(show ? QLatin1String(kButtons[i].hint) : QString());
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
    if (!dataSet_ || !dataSet_->Active())
        return;
    switch (button) {
    case nbFirst:
        return dataSet_->First();
    case nbPrior:
        return dataSet_->Prior();
    case nbNext:
        return dataSet_->Next();
    case nbLast:
        return dataSet_->Last();
    case nbInsert:
        dataSet_->Insert();
        emit Inserted();
        return;
    case nbDelete:
        if (Confirm(this, QStringLiteral("Delete record?")))
            dataSet_->Delete();
        return;
    case nbEdit:
        return dataSet_->Edit();
    case nbPost:
        return dataSet_->Post();
    case nbCancel:
        return dataSet_->Cancel();
    }
}

// Buttons that would do nothing are disabled, as the user expects of a navigator.
void TDBNavigator::UpdateButtons() {
    const bool active = dataSet_ && dataSet_->Active();
    const bool browsing = active && dataSet_->State() == TDataSetState::dsBrowse;
    const bool editing = active && !browsing;
    const bool modifiable = active && dataSet_->CanModify();
    const int row = active ? dataSet_->RecNo() : -1;
    const int count = active ? dataSet_->RecordCount() : 0;
    const bool notFirst = active && (editing || row > 0);
    const bool notLast = active && (editing || (row >= 0 && row < count - 1));
    buttons_[nbFirst]->setEnabled(notFirst);
    buttons_[nbPrior]->setEnabled(notFirst);
    buttons_[nbNext]->setEnabled(notLast);
    buttons_[nbLast]->setEnabled(notLast);
    buttons_[nbInsert]->setEnabled(modifiable);
    buttons_[nbDelete]->setEnabled(modifiable && count > 0);
    buttons_[nbEdit]->setEnabled(modifiable && browsing);
    buttons_[nbPost]->setEnabled(editing);
    buttons_[nbCancel]->setEnabled(editing);
}

} // namespace qm
