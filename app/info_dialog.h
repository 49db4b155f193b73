#pragma once
// TInfo: the About dialog. Built from its form description Infodialog, it shows the GIF logo, the
// version, the contact lines (the web address and the e-mail address open in the desktop's
// programs) and the plasma, which runs from the dialog's creation at start-up whether or not the
// dialog is on screen. HelpAbout of the main window shows it modally.

#include "app/plasma.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/picture.h"
#include "gif/gif_image.h"

#include <QDialog>
#include <memory>

class QTimer;

namespace Ui {
class TInfo;
}

namespace qm {

class TInfo : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPlasmaInterval = 40; // milliseconds

    explicit TInfo(QWidget* parent = nullptr);
    ~TInfo() override;

    Ui::TInfo& Ui() { return *ui_; }
    QTimer* PlasmaTimer() const { return plasmaTimer_; }
    const TBitmap& PlasmaBitmap() const { return *plasmaBitmap_; }
    const TPlasmaTable& PlasmaTable() const { return plasmaTable_; }
    // The picture of Image1, read from its form description through the picture system.
    TGIFImage& Logo() { return *logo_; }

    void FormCreate();
    void FormDestroy();
    void DrawPlasma();
    void Button1Click();
    void lblWebSiteClick();
    void lblEmailClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitLabels();
    void ShowLogo();
    void LoadPicture();

    std::unique_ptr<Ui::TInfo> ui_;
    QTimer* plasmaTimer_;
    TPicture logoPicture_;
    TGIFImage* logo_ = nullptr; // the graphic of logoPicture_
    TPlasmaTable plasmaTable_{};
    std::unique_ptr<TBitmap> plasmaBitmap_;
};

} // namespace qm
