#include "catalogue/edit_rules.h"

#include "catalogue/table_pages.h"
#include "ui_Unit1.h"

namespace qm {

TEditRules::TEditRules(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState&) : ui_(ui), data_(data) {
    TCatalogueData& d = data_;
    Bind(d.ADOQuerySoftware.BeforePost, &TEditRules::ADOQuerySoftwareBeforePost);
    Bind(d.ADOQuerySoftware.BeforeDelete, &TEditRules::ADOQuerySoftwareBeforeDelete);
    Bind(d.ADOQueryCD.BeforePost, &TEditRules::ADOQueryCDBeforePost);
    Bind(d.ADOQueryCD.BeforeDelete, &TEditRules::ADOQueryCDBeforeDelete);
    Bind(d.ADOQueryCategory.BeforePost, &TEditRules::ADOQueryCategoryBeforePost);
    Bind(d.ADOQueryCategory.BeforeDelete, &TEditRules::ADOQueryCategoryBeforeDelete);
    Bind(d.ADOQueryType.BeforePost, &TEditRules::ADOQueryTypeBeforePost);
    Bind(d.ADOQueryType.BeforeDelete, &TEditRules::ADOQueryTypeBeforeDelete);
    Bind(d.ADOQueryCD2.BeforePost, &TEditRules::ADOQueryCD2BeforePost);
    Bind(d.ADOQueryCD2.BeforeDelete, &TEditRules::ADOQueryCD2BeforeDelete);
    Bind(d.ADOQueryCategory2.BeforePost, &TEditRules::ADOQueryCategory2BeforePost);
    Bind(d.ADOQueryCategory2.BeforeDelete, &TEditRules::ADOQueryCategory2BeforeDelete);
    Bind(d.ADOQueryType2.BeforePost, &TEditRules::ADOQueryType2BeforePost);
    Bind(d.ADOQueryType2.BeforeDelete, &TEditRules::ADOQueryType2BeforeDelete);
    Bind(d.ADOQuerySoftware.AfterInsert, &TEditRules::ADOQuerySoftwareAfterInsert);
    Bind(d.ADOQuerySoftware.AfterDelete, &TEditRules::ADOQuerySoftwareAfterDelete);
    Bind(d.ADOQueryCD.AfterInsert, &TEditRules::ADOQueryCDAfterInsert);
    Bind(d.ADOQueryCD.AfterDelete, &TEditRules::ADOQueryCDAfterDelete);
    Bind(d.ADOQueryCategory.AfterInsert, &TEditRules::ADOQueryCategoryAfterInsert);
    Bind(d.ADOQueryCategory.AfterDelete, &TEditRules::ADOQueryCategoryAfterDelete);
    Bind(d.ADOQueryType.AfterInsert, &TEditRules::ADOQueryTypeAfterInsert);
    Bind(d.ADOQueryType.AfterDelete, &TEditRules::ADOQueryTypeAfterDelete);
    Bind(d.ADOQuerySoftware.AfterPost, &TEditRules::ADOQuerySoftwareAfterPost);
    Bind(d.ADOQueryCD.AfterPost, &TEditRules::ADOQueryCDAfterPost);
    Bind(d.ADOQueryCategory.AfterPost, &TEditRules::ADOQueryCategoryAfterPost);
    Bind(d.ADOQueryType.AfterPost, &TEditRules::ADOQueryTypeAfterPost);
}

TEditRules::~TEditRules() {
    for (std::function<void(TQuery&)>* hook : hooks_)
        *hook = nullptr;
}

void TEditRules::Bind(std::function<void(TQuery&)>& hook, THandler handler) {
    hook = [this, handler](TQuery& query) { (this->*handler)(query); };
    hooks_.push_back(&hook);
}

void TEditRules::UseKeyCriteria(TQuery& query) {
    query.SetUpdateCriteria(TUpdateCriteria::ucKeyOnly);
}

void TEditRules::ShowRowCountOf(const TQuery& query) {
    ShowRowCount(ui_, query);
}

} // namespace qm
