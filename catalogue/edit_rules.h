#pragma once
// TEditRules: the rules the program adds to every write of the seven queries. Before each post
// and each delete a query is set to find its row by the key column ID alone, whatever the other
// columns hold in the file by then; after an insert or a delete the page's status panel shows the
// row count again, and so does a post. Deleting itself, with its confirmations, is done by the grids and
// navigators.

#include "catalogue/db/catalogue_data.h"
#include "catalogue/main_window_state.h"

#include <QObject>
#include <functional>
#include <vector>

namespace Ui {
class TForm1;
}

namespace qm {

class TEditRules : public QObject {
    Q_OBJECT
public:
    TEditRules(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state);
    // The queries outlive the window's handler sets: they must not call into a destroyed set.
    ~TEditRules() override;

    // Before post and before delete: update criteria by key.
    void ADOQuerySoftwareBeforePost(TQuery& query) { UseKeyCriteria(query); }
    void ADOQuerySoftwareBeforeDelete(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryCDBeforePost(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryCDBeforeDelete(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryCategoryBeforePost(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryCategoryBeforeDelete(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryTypeBeforePost(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryTypeBeforeDelete(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryCD2BeforePost(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryCD2BeforeDelete(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryCategory2BeforePost(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryCategory2BeforeDelete(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryType2BeforePost(TQuery& query) { UseKeyCriteria(query); }
    void ADOQueryType2BeforeDelete(TQuery& query) { UseKeyCriteria(query); }

    // After insert, post and delete: status panel 0 is set to the row count of the query the handler's
    // grid shows. A new row counts once it is posted, so the count is right again after the post.
    void ADOQuerySoftwareAfterInsert(TQuery&) { ShowRowCountOf(data_.ADOQuerySoftware); }
    void ADOQuerySoftwareAfterPost(TQuery&) { ShowRowCountOf(data_.ADOQuerySoftware); }
    void ADOQueryCDAfterPost(TQuery&) { ShowRowCountOf(data_.ADOQueryCD); }
    void ADOQueryCategoryAfterPost(TQuery&) { ShowRowCountOf(data_.ADOQueryCategory); }
    void ADOQueryTypeAfterPost(TQuery&) { ShowRowCountOf(data_.ADOQueryType); }
    void ADOQuerySoftwareAfterDelete(TQuery&) { ShowRowCountOf(data_.ADOQuerySoftware); }
    void ADOQueryCDAfterInsert(TQuery&) { ShowRowCountOf(data_.ADOQueryCD); }
    void ADOQueryCDAfterDelete(TQuery&) { ShowRowCountOf(data_.ADOQueryCD); }
    void ADOQueryCategoryAfterInsert(TQuery&) { ShowRowCountOf(data_.ADOQueryCategory); }
    void ADOQueryCategoryAfterDelete(TQuery&) { ShowRowCountOf(data_.ADOQueryCategory); }
    void ADOQueryTypeAfterInsert(TQuery&) { ShowRowCountOf(data_.ADOQueryType); }
    void ADOQueryTypeAfterDelete(TQuery&) { ShowRowCountOf(data_.ADOQueryType); }

private:
    using THandler = void (TEditRules::*)(TQuery&);
    void Bind(std::function<void(TQuery&)>& hook, THandler handler);
    static void UseKeyCriteria(TQuery& query);
    void ShowRowCountOf(const TQuery& query);

    Ui::TForm1& ui_;
    TCatalogueData& data_;
    std::vector<std::function<void(TQuery&)>*> hooks_;
};

} // namespace qm
