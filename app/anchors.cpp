#include "app/anchors.h"

#include <QEvent>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <map>
#include <vector>

namespace qm {

namespace {

struct TAnchoredChild {
    QPointer<QWidget> widget;
    QRect design;
    bool left, top, right, bottom;
};

// One span (x and width, or y and height) of a child whose parent grew by `growth` pixels.
std::pair<int, int> Place(int start, int length, bool nearEdge, bool farEdge, int growth) {
    if (nearEdge && farEdge)
        return {start, std::max(0, length + growth)};
    if (farEdge)
        return {start + growth, length};
    return {start, length};
}

// Watches one parent and places its anchored children after every resize.
class TAnchorKeeper : public QObject {
public:
    TAnchorKeeper(QWidget* parent, QSize designSize) : QObject(parent), parent_(parent), design_(designSize) {
        parent->installEventFilter(this);
    }

    void Add(QWidget* child, const QString& anchors) {
        const QStringList edges = anchors.split(QLatin1Char(','), Qt::SkipEmptyParts);
        children_.push_back({child, child->geometry(), edges.contains(QLatin1String("left")),
                             edges.contains(QLatin1String("top")), edges.contains(QLatin1String("right")),
                             edges.contains(QLatin1String("bottom"))});
    }

    void Apply() {
        const int dx = parent_->width() - design_.width();
        const int dy = parent_->height() - design_.height();
        for (const TAnchoredChild& child : children_) {
            if (!child.widget)
                continue;
            const auto [x, width] =
                Place(child.design.x(), child.design.width(), child.left, child.right, dx);
            const auto [y, height] =
                Place(child.design.y(), child.design.height(), child.top, child.bottom, dy);
            child.widget->setGeometry(x, y, width, height);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parent_ && event->type() == QEvent::Resize)
            Apply();
        return false;
    }

private:
    QWidget* parent_;
    QSize design_;
    std::vector<TAnchoredChild> children_;
};

} // namespace

void InstallAnchors(QWidget* root) {
    std::map<QWidget*, TAnchorKeeper*> keepers;
    const QList<QWidget*> widgets = root->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        const QString anchors = widget->property("Anchors").toString();
        QWidget* parent = widget->parentWidget();
        if (anchors.isEmpty() || parent == nullptr)
            continue;
        TAnchorKeeper*& keeper = keepers[parent];
        if (keeper == nullptr) {
            QSize design = parent->property("DesignSize").toSize();
            keeper = new TAnchorKeeper(parent, design.isValid() ? design : parent->size());
        }
        keeper->Add(widget, anchors);
    }
}

} // namespace qm
