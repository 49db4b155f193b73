#pragma once
// The walk both writers make: every group, then each of its entries read anew with its thumbnail,
// the progress told after each entry and the report stopped when it answers no.

#include "catalogue/report/report_thumbnail.h"
#include "catalogue/report/report_writers.h"
#include "framework/core/exceptions.h"

#include <QThreadPool>
#include <deque>
#include <future>
#include <memory>

namespace qm {

namespace report_walk {

// An entry read from the catalogue, its thumbnail being made on a worker.
struct TPendingEntry {
    const TReportGroup* group;
    TReportEntry entry;
    std::future<TThumbnail> thumbnail;
};

// Decoding pictures is most of a report's time, and the writer can only use one core: the
// thumbnails of the next few entries are made on the other cores while the writer works. The
// entries themselves are read here, as the catalogue's connection belongs to this thread. At most
// kAhead thumbnails are held, so memory stays bounded however large the catalogue.
class TThumbnailsAhead {
public:
    TThumbnailsAhead() { pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount())); }
    // Waits for the thumbnails still being made when the walk stops early.
    ~TThumbnailsAhead() { pool_.waitForDone(); }
    TThumbnailsAhead(const TThumbnailsAhead&) = delete;
    TThumbnailsAhead& operator=(const TThumbnailsAhead&) = delete;

    bool Full() const { return pending_.size() >= kAhead; }
    bool Empty() const { return pending_.empty(); }

    void Add(const TReportGroup& group, TReportEntry entry) {
        auto task = std::make_shared<std::packaged_task<TThumbnail()>>(
            [path = entry.path] { return MakeThumbnail(path); });
        pending_.push_back({&group, std::move(entry), task->get_future()});
        pool_.start([task] { (*task)(); });
    }

    TPendingEntry Take() {
        TPendingEntry next = std::move(pending_.front());
        pending_.pop_front();
        return next;
    }

private:
    static constexpr std::size_t kAhead = 16;
    QThreadPool pool_;
    std::deque<TPendingEntry> pending_;
};

} // namespace report_walk

template <class Group, class Entry>
void WalkReport(TReportModel& model, const TReportOptions& options, Group onGroup, Entry onEntry) {
    const qint64 total = model.Totals().entries;
    qint64 done = 0;
    const TReportGroup* current = nullptr;
    report_walk::TThumbnailsAhead ahead;
    const auto writeOne = [&] {
        report_walk::TPendingEntry next = ahead.Take();
        if (next.group != current)
            onGroup(*(current = next.group));
        onEntry(next.entry, next.thumbnail.get());
        ++done;
        if (options.progress && !options.progress(done, total))
            throw EAbort("The report was cancelled");
    };
    for (const TReportGroup& group : model.Groups())
        for (const qint64 id : group.entryIds) {
            if (ahead.Full())
                writeOne();
            ahead.Add(group, model.Entry(id));
        }
    while (!ahead.Empty())
        writeOne();
}

} // namespace qm
