#include "framework/controls/statusbar.h"

#include <QLabel>

namespace qm {

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent) {
    for (int i = 0; i < kPanelCount; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels_[static_cast<size_t>(i)] = panel;
    }
    panels_[0]->setFixedWidth(kFirstPanelWidth);
    addWidget(panels_[0]);
    addWidget(panels_[1], 1);
}

QLabel* TStatusBar::Panel(int panel) const {
    return panels_.at(static_cast<size_t>(panel));
}

QString TStatusBar::PanelText(int panel) const {
    return Panel(panel)->text();
}

void TStatusBar::SetPanelText(int panel, const QString& text) {
    Panel(panel)->setText(text);
}

} // namespace qm
