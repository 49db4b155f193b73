// The open-picture dialog: the filter text becomes the toolkit's name filters with the first
// selected, and the preview shows the picture under the cursor or why it cannot.
#include "pictures/open_picture_dialog.h"
#include "pictures/picture_files.h"
#include "pictures/picture_pane.h"
#include "tests/support/picture_files.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(OpenPictureDialog, FilterKeepsEveryDescriptionAndSelectsTheFirst) {
    EXPECT_EQ(
        NameFiltersOf(TPicturePane::kPictureFilter),
        (QStringList{"All (*.jpg;*.jpeg;*.gif;*.bmp;*.png;*.webp;*.tif;*.tiff) (*.jpg *.jpeg *.gif *.bmp "
                     "*.png *.webp *.tif *.tiff)",
                     "JPEG Image File (*.jpg) (*.jpg)", "JPEG Image File (*.jpeg) (*.jpeg)",
                     "Bitmaps (*.bmp) (*.bmp)", "GIF (*.gif) (*.gif)", "PNG (*.png) (*.png)",
                     "WebP (*.webp) (*.webp)", "TIFF (*.tif;*.tiff) (*.tif *.tiff)"}));
    TOpenPictureDialog dialog;
    dialog.SetFilter(TPicturePane::kPictureFilter);
    // The dialog shows each description as the filter text gives it.
    EXPECT_EQ(dialog.selectedNameFilter(), "All (*.jpg;*.jpeg;*.gif;*.bmp;*.png;*.webp;*.tif;*.tiff)");
}

TEST(OpenPictureDialog, PreviewShowsThePictureOrTheReasonItCannot) {
    QTemporaryDir dir;
    TOpenPictureDialog dialog;
    const QString good = dir.filePath("a.bmp");
    test::WriteFile(good, test::BMPBytes(test::ColourfulImage(40, 20)));
    emit dialog.currentChanged(good);
    EXPECT_FALSE(dialog.Preview()->pixmap().isNull());
    EXPECT_EQ(dialog.Preview()->toolTip(), "40 x 20");
    const QString bad = dir.filePath("b.jpg");
    test::WriteFile(bad, "no");
    emit dialog.currentChanged(bad);
    EXPECT_TRUE(dialog.Preview()->pixmap().isNull());
    EXPECT_TRUE(dialog.Preview()->text().startsWith("JPEG error #"));
}

// The visible pop-up of the dialog's name completion, if any.
QWidget* CompletionPopup(const TOpenPictureDialog& dialog) {
    for (QCompleter* completer : dialog.findChildren<QCompleter*>())
        if (completer->popup() != nullptr && completer->popup()->isVisible())
            return completer->popup();
    return nullptr;
}

TEST(OpenPictureDialog, NoPopUpOutlivesItAndTheNameFieldOpensSelected) {
    QTemporaryDir dir;
    for (const char* name : {"box.bmp", "boxes.bmp"})
        test::WriteFile(dir.filePath(name), test::BMPBytes(test::ColourfulImage(4, 4)));
    TOpenPictureDialog dialog;
    dialog.setDirectory(dir.path());
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    bool popupShown = false;
    QTimer::singleShot(0, [&] {
        QTest::keyClicks(edit, QStringLiteral("box"));
        // The file list loads in the background; completion is asked for until it has the names.
        popupShown = QTest::qWaitFor(
            [&] {
                if (CompletionPopup(dialog) == nullptr && edit->completer() != nullptr)
                    edit->completer()->complete();
                return CompletionPopup(dialog) != nullptr;
            },
            5000);
        edit->setText(dir.filePath("box.bmp"));
        QMetaObject::invokeMethod(&dialog, "accept"); // what Enter does
    });
    ASSERT_TRUE(dialog.Execute());
    ASSERT_TRUE(popupShown);
    EXPECT_EQ(CompletionPopup(dialog), nullptr);
    QString text, selected;
    QTimer::singleShot(0, [&] {
        text = edit->text();
        selected = edit->selectedText();
        dialog.reject();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(selected, text); // typing replaces the last path
}

TEST(PicturePaths, JpgAnywhereInTheLowerCasedPathMeansJPEG) {
    for (const char* path : {"/a/b.jpg", "/a/B.JPEG", "/my.jpgs/x.bmp", "/a.JPG.bak/pic.gif"})
        EXPECT_TRUE(DecodesAsJPEG(path)) << path;
    for (const char* path : {"/a/b.jpe", "/a/jpg/b.bmp", "/a/b.gif", ""})
        EXPECT_FALSE(DecodesAsJPEG(path)) << path;
}

} // namespace
} // namespace qm
