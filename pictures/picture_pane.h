#pragma once
// TPicturePane: the handler set of the picture pane of the main window. It shows the picture of
// the Software query's current row, attaches a picture file to the row or detaches it, keeps the
// four display boxes (Stretch, Center, Autosize, Disable) to their rule, and opens the viewer on
// a click on the picture. Status panel 1 shows the current row's path or a picture message.

#include <QObject>
#include <QSize>
#include <QString>

namespace Ui {
class TForm1;
}

namespace qm {

class TForm2;
class TOpenPictureDialog;
class TQuery;

class TPicturePane : public QObject {
    Q_OBJECT
public:
    // The picture control's size in the form description, to which the pane returns.
    static constexpr int kDefaultWidth = 130;
    static constexpr int kDefaultHeight = 169;
    // The open-picture dialog's filter; the first entry is selected.
    static const QString kPictureFilter;

    // `window` owns the open-picture dialog. The pane becomes `software`'s after-scroll handler.
    TPicturePane(Ui::TForm1& ui, TQuery& software, QWidget& window);

    // The viewer that Image1Click opens; created at start-up after the main window.
    void SetViewer(TForm2* viewer) { viewer_ = viewer; }
    TOpenPictureDialog& OpenPictureDialog1() const { return *openPictureDialog1_; }

    void ShowCurrentPicture();
    void ADOQuerySoftwareAfterScroll();
    // The last step of the main window's FormShow: the first row's picture, without clearing
    // first and without a cross for a missing file.
    void ShowStartupPicture();

    void ButtonAddPictureClick();
    void ButtonRemoveClick();
    void CheckBoxStretchClick();
    void CheckBoxCenterClick();
    void CheckBoxAutosizeClick();
    void CheckBoxDisableClick();
    void Image1Click();

    // The message of status panel 1 for a file that does not exist.
    static QString MissingMessage(const QString& path);
    // Enables the display boxes as Disable and Autosize allow, and hides the picture while
    // Disable is checked.
    static void ApplyDisplayBoxRule(Ui::TForm1& ui);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString CurrentPath() const;
    // Steps 3 and 4 of ShowCurrentPicture: the existing file, or the cross for a missing one.
    void ShowExistingOrCross(const QString& path);
    void ShowCross();
    void SetStatus(const QString& text);
    void ClearPicture();
    void SetDefaultSize();
    // The size a JPEG is decoded for: the control's while the picture is stretched into it, else
    // none (the natural size).
    QSize FitSize() const;
    // Decodes the shown JPEG again for the display boxes as they are now.
    void Refit();

    Ui::TForm1& ui_;
    TQuery& software_;
    TOpenPictureDialog* openPictureDialog1_;
    TForm2* viewer_ = nullptr;
    // The path last loaded (or tried) into the picture control; empty once the picture is cleared.
    QString attempted_;
};

} // namespace qm
