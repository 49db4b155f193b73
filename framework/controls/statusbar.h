#pragma once
// TStatusBar: a status bar of text panels side by side. Panel 0 is 91 pixels wide and panel 1 takes
// the rest of the width.

#include <QStatusBar>
#include <array>

class QLabel;

namespace qm {

class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 2;
    static constexpr int kFirstPanelWidth = 91;

    explicit TStatusBar(QWidget* parent = nullptr);

    QString PanelText(int panel) const;
    void SetPanelText(int panel, const QString& text);
    QLabel* Panel(int panel) const;

private:
    std::array<QLabel*, kPanelCount> panels_{};
};

} // namespace qm
