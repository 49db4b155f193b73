// The picture pane and the viewer through the real main window: loading by the path's rule, the
// cross for a missing file, status panel 1, Add Picture and Remove, the display boxes, the viewer.
#include "app/tform1.h"
#include "framework/controls/image.h"
#include "framework/controls/statusbar.h"
#include "framework/core/exceptions.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/jpeg_image.h"
#include "gif/gif_graphic_binding.h"
#include "gif/gif_image.h"
#include "pictures/open_picture_dialog.h"
#include "pictures/tform2.h"
#include "tests/app/app_test_support.h"
#include "tests/gif/animation_builder.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/picture_files.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::ColourfulImage;

// A main window over a catalogue whose three rows (IDs 1, 2, 3) name the given paths.
class PicturePane : public ::testing::Test {
protected:
    test::TTempCatalogue catalogue;
    std::unique_ptr<TForm1> form;
    TForm2 viewer;
    QString jpeg, bitmap, jpegInCapitals, bitmapInJpgFolder, missing;

    void SetUp() override {
        InitializeGIFImage();
        jpeg = Write("photo.jpg", test::JPEGBytes(ColourfulImage(200, 150)));
        jpegInCapitals = Write("PHOTO2.JPG", test::JPEGBytes(ColourfulImage(60, 40)));
        bitmap = Write("plain.bmp", test::BMPBytes(ColourfulImage(64, 48)));
        ASSERT_TRUE(QDir(catalogue.Path("")).mkpath("my.jpgs"));
        bitmapInJpgFolder = Write("my.jpgs/inside.bmp", test::BMPBytes(ColourfulImage(8, 8)));
        missing = catalogue.Path("gone.bmp");
        catalogue.Create();
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        test::WriteFile(catalogue.Path(name), bytes);
        return catalogue.Path(name);
    }
    void Open(const QStringList& paths) {
        QString rows;
        for (int i = 0; i < paths.size(); ++i)
            rows += QStringLiteral("%1(%2, 'Row %2', '%3')").arg(i ? "," : "").arg(i + 1).arg(paths[i]);
        if (!rows.isEmpty())
            catalogue.Execute("INSERT INTO SOFTWARE (ID, Name, Path) VALUES " + rows);
        form = std::make_unique<TForm1>(catalogue.FileName());
        form->Pictures.SetViewer(&viewer);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    Ui::TForm1& ui() { return form->Ui(); }
    TQuery& software() { return form->Data().ADOQuerySoftware; }
    QString Panel1() { return ui().StatusBar1->PanelText(1); }
    TGraphic* Shown() { return ui().Image1->Picture().Graphic(); }
    QString StoredPath(int id) {
        return catalogue.Column(QStringLiteral("SELECT Path FROM SOFTWARE WHERE ID = %1").arg(id)).value(0);
    }
    // Runs `click` while choosing `file` in the open-picture dialog (none: cancel).
    void ChooseInDialog(const QString& file) {
        QTimer::singleShot(0, [file] {
            auto* dialog = qobject_cast<TOpenPictureDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (file.isEmpty())
                return static_cast<QDialog*>(dialog)->reject();
            dialog->selectFile(file);
            // The dialog's list may not know a file written a moment ago; the typed name counts.
            if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit"))
                edit->setText(file);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        form->Pictures.ButtonAddPictureClick();
    }
};

TEST_F(PicturePane, StartUpShowsTheFirstPictureAndMovesFollowTheRows) {
    Open({jpeg, bitmap, missing});
    EXPECT_EQ(Panel1(), jpeg);
    ASSERT_NE(Shown(), nullptr);
    EXPECT_STREQ(Shown()->ClassName(), "TJPEGImage");
    software().Next();
    EXPECT_EQ(Panel1(), bitmap);
    EXPECT_STREQ(Shown()->ClassName(), "TBitmap");
    software().Next();
    EXPECT_EQ(Panel1(), "Picture '" + missing + "' doesn't exist!");
    // The cross: a blank 130 x 169 bitmap with its two diagonals.
    EXPECT_EQ(ui().Image1->size(), QSize(130, 169));
    const QImage cross = dynamic_cast<TBitmap&>(*Shown()).Image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(cross.size(), QSize(130, 169));
    EXPECT_EQ(cross.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(cross.pixel(0, 168), qRgb(0, 0, 0));
    EXPECT_EQ(cross.pixel(65, 84), qRgb(0, 0, 0));
    EXPECT_EQ(cross.pixel(65, 20), qRgb(255, 255, 255));
    // Clicking the cross opens nothing.
    QTest::mouseClick(ui().Image1, Qt::LeftButton);
    EXPECT_EQ(viewer.windowTitle(), "Form2");
}

TEST_F(PicturePane, StartUpWithAMissingFileShowsTheMessageWithoutACross) {
    Open({missing, jpeg});
    EXPECT_EQ(Panel1(), "Picture '" + missing + "' doesn't exist!");
    EXPECT_TRUE(ui().Image1->Picture().Empty());
}

TEST_F(PicturePane, JPEGPathsDecodeWithThePaneSettingsWhereverJpgAppears) {
    Open({jpegInCapitals, bitmapInJpgFolder});
    auto& shown = dynamic_cast<TJPEGImage&>(*Shown());
    EXPECT_EQ(shown.PixelFormat(), TJPEGPixelFormat::jf8Bit);
    EXPECT_FALSE(shown.Smoothing());
    EXPECT_LE(test::DistinctColours(shown.Bitmap().Image()), 236);
    // A bitmap in a folder named my.jpgs is taken for a JPEG and fails; the pane stays empty and
    // the panel names the row's file.
    test::TMessageBoxRecorder boxes;
    software().Next();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.Texts().isEmpty(); }));
    EXPECT_EQ(boxes.Texts().value(0).left(12), "JPEG error #");
    EXPECT_TRUE(ui().Image1->Picture().Empty());
    EXPECT_EQ(Panel1(), bitmapInJpgFolder);
}

TEST_F(PicturePane, TheViewerShowsTheNaturalSizeInFullColourAndLeavesThePaneAsItWas) {
    Open({jpeg, missing});
    QTimer::singleShot(0, [this] {
        EXPECT_TRUE(viewer.isVisible());
        viewer.close();
    });
    QTest::mouseClick(ui().Image1, Qt::LeftButton);
    EXPECT_EQ(viewer.windowTitle(), jpeg);
    EXPECT_EQ(viewer.size(), QSize(200, 150));
    auto& full = dynamic_cast<TJPEGImage&>(*viewer.Image1()->Picture().Graphic());
    EXPECT_EQ(full.PixelFormat(), TJPEGPixelFormat::jf24Bit);
    EXPECT_TRUE(full.Smoothing());
    EXPECT_GT(test::DistinctColours(full.Bitmap().Image()), 236);
    EXPECT_EQ(ui().Image1->size(), QSize(130, 169));
    EXPECT_FALSE(ui().Image1->AutoSize());

    // With Autosize checked the pane stays auto-sized after the viewer closes.
    ui().CheckBoxAutosize->setChecked(true);
    EXPECT_EQ(ui().Image1->size(), QSize(200, 150));
    EXPECT_FALSE(ui().CheckBoxStretch->isEnabled());
    QTimer::singleShot(0, &viewer, &QDialog::close);
    form->Pictures.Image1Click();
    EXPECT_TRUE(ui().Image1->AutoSize());
    EXPECT_EQ(ui().ScrollBoxPictureClient->size(), QSize(200, 150));
    ui().CheckBoxAutosize->setChecked(false);
    EXPECT_EQ(ui().Image1->size(), QSize(130, 169));
    EXPECT_TRUE(ui().CheckBoxStretch->isEnabled());
}

TEST_F(PicturePane, AViewerFileThatCannotBeReadIsReportedAndNotShown) {
    Open({bitmap});
    test::WriteFile(bitmap, "BM damaged");
    EXPECT_THROW(form->Pictures.Image1Click(), EInvalidGraphic);
    EXPECT_FALSE(viewer.isVisible());
}

TEST_F(PicturePane, AddPictureStoresThePathOnlyAfterTheFileLoaded) {
    const QString damaged = Write("damaged.gif", "GIF89a\x01");
    Open({jpeg});
    ChooseInDialog(bitmap);
    EXPECT_EQ(StoredPath(1), bitmap);
    EXPECT_EQ(Panel1(), bitmap);
    EXPECT_STREQ(Shown()->ClassName(), "TBitmap");

    EXPECT_THROW(ChooseInDialog(damaged), Exception);
    EXPECT_EQ(StoredPath(1), bitmap);
    EXPECT_STREQ(Shown()->ClassName(), "TBitmap"); // the pane keeps the picture it had

    ChooseInDialog(QString());
    EXPECT_EQ(StoredPath(1), bitmap);

    form->Pictures.ButtonRemoveClick();
    EXPECT_EQ(StoredPath(1), "");
    EXPECT_EQ(Panel1(), "");
    EXPECT_TRUE(ui().Image1->Picture().Empty());
}

TEST_F(PicturePane, AddPictureOnAnEmptyTableInsertsARow) {
    Open({});
    ASSERT_EQ(software().RecordCount(), 0);
    ChooseInDialog(jpeg);
    EXPECT_EQ(software().RecordCount(), 1);
    EXPECT_EQ(catalogue.Column("SELECT Path FROM SOFTWARE"), QStringList{jpeg});
}

TEST_F(PicturePane, DisableStopsLoadingOnMovesButEmptiesThePaneForARowWithoutPicture) {
    Open({jpeg, bitmap, "", missing});
    ui().CheckBoxDisable->setChecked(true);
    EXPECT_TRUE(ui().PanelHidepicture->isVisible());
    EXPECT_FALSE(ui().CheckBoxAutosize->isEnabled());
    EXPECT_FALSE(ui().CheckBoxStretch->isEnabled());
    software().Next(); // a picture: nothing changes
    EXPECT_EQ(Panel1(), jpeg);
    EXPECT_STREQ(Shown()->ClassName(), "TJPEGImage");
    software().Next(); // no picture: emptied
    EXPECT_EQ(Panel1(), "");
    EXPECT_TRUE(ui().Image1->Picture().Empty());
    software().Next(); // a missing file: still nothing
    EXPECT_EQ(Panel1(), "");

    // Another page and back: still covered. Un-checking shows the current row again.
    ui().TabControl->setCurrentIndex(1);
    ui().TabControl->setCurrentIndex(0);
    EXPECT_TRUE(ui().PanelHidepicture->isVisible());
    ui().CheckBoxDisable->setChecked(false);
    EXPECT_FALSE(ui().PanelHidepicture->isVisible());
    EXPECT_EQ(Panel1(), "Picture '" + missing + "' doesn't exist!");
    EXPECT_TRUE(ui().CheckBoxStretch->isEnabled());
}

TEST_F(PicturePane, StretchAndCenterPlaceThePicture) {
    Open({bitmap});
    TImage& image = *ui().Image1;
    EXPECT_TRUE(image.Stretch());
    EXPECT_EQ(image.DestRect(), QRect(0, 0, 130, 169));
    ui().CheckBoxStretch->setChecked(false);
    EXPECT_EQ(image.DestRect(), QRect(0, 0, 64, 48));
    ui().CheckBoxCenter->setChecked(true);
    EXPECT_EQ(image.DestRect(), QRect(33, 60, 64, 48));
    const QImage shown = image.grab().toImage();
    EXPECT_EQ(shown.pixel(33, 60), ColourfulImage(64, 48).pixel(0, 0));
}

// True once the middle of the picture box shows `colour`, waiting up to two seconds.
bool ShowsWithin(QWidget& box, QRgb colour) {
    for (int waited = 0; waited < 2000; waited += 10) {
        if (box.grab().toImage().pixel(box.width() / 2, box.height() / 2) == colour)
            return true;
        QTest::qWait(10);
    }
    return false;
}

TEST_F(PicturePane, AnAnimatedGIFPlaysInThePane) {
    const auto animation = test::MakeAnimation(4, 4,
                                               {{.width = 4, .height = 4, .fill = test::tcRed, .delay = 5},
                                                {.width = 4, .height = 4, .fill = test::tcBlue, .delay = 5}},
                                               0);
    const QString gif = catalogue.Path("anim.gif");
    animation->SaveToFile(gif);
    Open({gif});
    ASSERT_NE(Shown(), nullptr);
    EXPECT_STREQ(Shown()->ClassName(), "TGIFImage");
    EXPECT_TRUE(ShowsWithin(*ui().Image1, qRgb(255, 0, 0)));
    EXPECT_TRUE(ShowsWithin(*ui().Image1, qRgb(0, 0, 255)));
    EXPECT_TRUE(ShowsWithin(*ui().Image1, qRgb(255, 0, 0)));
}

TEST_F(PicturePane, APastedGIFIsTheImageThatWasCopied) {
    Open({});
    const QString gif = Write("a.gif", "");
    {
        TGIFImage image;
        image.Assign(TBitmap(12, 9, TPixelFormat::pf8bit));
        image.SaveToFile(gif);
    }
    TPicture copied;
    copied.LoadFromFile(gif);
    auto* data = new QMimeData;
    copied.SaveToClipboard(*data);
    QApplication::clipboard()->setMimeData(data);
    TPicture pasted;
    pasted.LoadFromClipboard(*QApplication::clipboard()->mimeData());
    ASSERT_STREQ(pasted.Graphic()->ClassName(), "TGIFImage");
    QBuffer a, b;
    a.open(QIODevice::WriteOnly);
    b.open(QIODevice::WriteOnly);
    copied.Graphic()->SaveToStream(a);
    pasted.Graphic()->SaveToStream(b);
    EXPECT_EQ(a.data(), b.data());
}

} // namespace
} // namespace qm
