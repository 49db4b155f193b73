#pragma once
// The walk both writers make: every group, then each of its entries read anew with its thumbnail,
// the progress told after each entry and the report stopped when it answers no.

#include "catalogue/report/report_thumbnail.h"
#include "catalogue/report/report_writers.h"
#include "framework/core/exceptions.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace qm {

namespace report_walk {

// An entry read from the catalogue and, once a worker has made it, its thumbnail.
struct TPendingEntry {
    const TReportGroup* group;
    TReportEntry entry;
    std::optional<TThumbnail> thumbnail;
};

// Decoding pictures is most of a report's time, and the writer can only use one core: the
// thumbnails of the next few entries are made on the other cores while the writer works. The
// entries themselves are read here, as the catalogue's connection belongs to this thread. At most
// kAhead thumbnails are held, so memory stays bounded however large the catalogue. The hand-over
// uses the standard library's mutex and threads, which ThreadSanitizer follows.
class TThumbnailsAhead {
public:
    TThumbnailsAhead() {
        const unsigned workers = std::max(1u, std::thread::hardware_concurrency());
        for (unsigned i = 0; i < workers; ++i)
            workers_.emplace_back([this] { Work(); });
    }
    // Workers stop after the thumbnail they are making when the walk ends early.
    ~TThumbnailsAhead() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        toMakeChanged_.notify_all();
        for (std::thread& worker : workers_)
            worker.join();
    }
    TThumbnailsAhead(const TThumbnailsAhead&) = delete;
    TThumbnailsAhead& operator=(const TThumbnailsAhead&) = delete;

    bool Full() const { return pending_.size() >= kAhead; }
    bool Empty() const { return pending_.empty(); }

    void Add(const TReportGroup& group, TReportEntry entry) {
        pending_.push_back(std::make_unique<TPendingEntry>(TPendingEntry{&group, std::move(entry), {}}));
        {
            const std::lock_guard lock(mutex_);
            toMake_.push_back(pending_.back().get());
        }
        toMakeChanged_.notify_one();
    }

    // The oldest entry, once its thumbnail is made.
    TPendingEntry Take() {
        std::unique_ptr<TPendingEntry> next = std::move(pending_.front());
        pending_.pop_front();
        std::unique_lock lock(mutex_);
        made_.wait(lock, [&] { return next->thumbnail.has_value(); });
        return std::move(*next);
    }

private:
    void Work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            toMakeChanged_.wait(lock, [this] { return stopping_ || !toMake_.empty(); });
            if (stopping_)
                return;
            TPendingEntry* slot = toMake_.front();
            toMake_.pop_front();
            const QString path = slot->entry.path;
            lock.unlock();
            TThumbnail thumbnail = MakeThumbnail(path);
            lock.lock();
            slot->thumbnail = std::move(thumbnail);
            made_.notify_all();
        }
    }

    static constexpr std::size_t kAhead = 16;
    // Owned by the walking thread; a worker reaches an entry only through toMake_ and mutex_.
    std::deque<std::unique_ptr<TPendingEntry>> pending_;
    std::mutex mutex_;
    std::condition_variable toMakeChanged_;
    std::condition_variable made_;
    std::deque<TPendingEntry*> toMake_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
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
        onEntry(next.entry, *next.thumbnail);
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
