// The open-picture dialog: the filter text becomes the toolkit's name filters with the first
// selected, and the preview shows the picture under the cursor or why it cannot.
#include "pictures/open_picture_dialog.h"
#include "pictures/picture_files.h"
#include "pictures/picture_pane.h"
#include "tests/support/picture_files.h"

#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(OpenPictureDialog, FilterKeepsEveryDescriptionAndSelectsTheFirst) {
    EXPECT_EQ(NameFiltersOf(TPicturePane::kPictureFilter),
              (QStringList{"All (*.jpg;*.jpeg;*.gif;*.bmp) (*.jpg *.jpeg *.gif *.bmp)",
                           "JPEG Image File (*.jpg) (*.jpg)", "JPEG Image File (*.jpeg) (*.jpeg)",
                           "Bitmaps (*.bmp) (*.bmp)", "GIF (*.gif) (*.gif)"}));
    TOpenPictureDialog dialog;
    dialog.SetFilter(TPicturePane::kPictureFilter);
    // The dialog shows each description as the filter text gives it.
    EXPECT_EQ(dialog.selectedNameFilter(), "All (*.jpg;*.jpeg;*.gif;*.bmp)");
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

TEST(PicturePaths, JpgAnywhereInTheLowerCasedPathMeansJPEG) {
    for (const char* path : {"/a/b.jpg", "/a/B.JPEG", "/my.jpgs/x.bmp", "/a.JPG.bak/pic.gif"})
        EXPECT_TRUE(DecodesAsJPEG(path)) << path;
    for (const char* path : {"/a/b.jpe", "/a/jpg/b.bmp", "/a/b.gif", ""})
        EXPECT_FALSE(DecodesAsJPEG(path)) << path;
}

} // namespace
} // namespace qm
