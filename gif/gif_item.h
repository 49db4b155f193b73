#pragma once
// Base classes of the GIF document model: an item is one block of the file that knows its image;
// a list owns items of one kind in file order.

#include "framework/graphics/graphic.h"
#include "gif/gif_settings.h"

#include <QIODevice>
#include <QString>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qm {

class TGIFImage;

// Forwards a warning to `image` (when there is one) with `sender` as its origin.
void GIFImageWarning(TGIFImage* image, const TPersistent& sender, TGIFSeverity severity,
                     const std::string& message);

class TGIFItem : public TPersistent {
public:
    explicit TGIFItem(TGIFImage* image) : image_(image) {}
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    virtual TGIFVersion GetVersion() const { return TGIFVersion::gv87a; }
    virtual void Warning(TGIFSeverity severity, const std::string& message) {
        GIFImageWarning(image_, *this, severity, message);
    }
    virtual void SaveToStream(QIODevice& stream) = 0;
    virtual void LoadFromStream(QIODevice& stream) = 0;
    void SaveToFile(const QString& fileName);
    void LoadFromFile(const QString& fileName);

    TGIFImage* Image() const { return image_; }

protected:
    TGIFImage* image_;
};

template <class T> class TGIFList : public TPersistent {
public:
    explicit TGIFList(TGIFImage* image) : image_(image) {}
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;

    void Warning(TGIFSeverity severity, const std::string& message) {
        GIFImageWarning(image_, *this, severity, message);
    }
    virtual void SaveToStream(QIODevice& stream) {
        for (auto& item : items_)
            item->SaveToStream(stream);
    }

    int Add(std::unique_ptr<T> item) {
        items_.push_back(std::move(item));
        return Count() - 1;
    }
    void Insert(int index, std::unique_ptr<T> item) {
        items_.insert(items_.begin() + index, std::move(item));
    }
    // Frees the item.
    void Delete(int index) { Remove(Items(index)); }
    // Hands the item back to the caller without freeing it; null when it is not in the list.
    std::unique_ptr<T> Remove(T* item) {
        const int index = IndexOf(item);
        if (index < 0)
            return nullptr;
        auto owned = std::move(items_[static_cast<std::size_t>(index)]);
        items_.erase(items_.begin() + index);
        return owned;
    }
    void Clear() {
        while (!items_.empty())
            Delete(0);
    }
    void Exchange(int a, int b) {
        std::swap(items_.at(static_cast<std::size_t>(a)), items_.at(static_cast<std::size_t>(b)));
    }
    void Move(int from, int to) {
        auto item = std::move(items_.at(static_cast<std::size_t>(from)));
        items_.erase(items_.begin() + from);
        items_.insert(items_.begin() + to, std::move(item));
    }
    int IndexOf(const T* item) const {
        const auto found =
            std::find_if(items_.begin(), items_.end(), [item](const auto& p) { return p.get() == item; });
        return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
    }
    T* First() const { return items_.empty() ? nullptr : items_.front().get(); }
    T* Last() const { return items_.empty() ? nullptr : items_.back().get(); }
    int Count() const { return static_cast<int>(items_.size()); }
    T* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
    // Replaces (and frees) the item at `index`.
    void SetItems(int index, std::unique_ptr<T> item) {
        items_.at(static_cast<std::size_t>(index)) = std::move(item);
    }
    TGIFImage* Image() const { return image_; }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

protected:
    TGIFImage* image_;
    std::vector<std::unique_ptr<T>> items_;
};

} // namespace qm
