#pragma once
// The walk both writers make: every group, then each of its entries read anew, with the progress
// told after each entry and the report stopped when it answers no.

#include "catalogue/report/report_writers.h"
#include "framework/core/exceptions.h"

namespace qm {

template <class Group, class Entry>
void WalkReport(TReportModel& model, const TReportOptions& options, Group onGroup, Entry onEntry) {
    const qint64 total = model.Totals().entries;
    qint64 done = 0;
    for (const TReportGroup& group : model.Groups()) {
        onGroup(group);
        for (const qint64 id : group.entryIds) {
            onEntry(model.Entry(id));
            ++done;
            if (options.progress && !options.progress(done, total))
                throw EAbort("The report was cancelled");
        }
    }
}

} // namespace qm
