// The picture pane and the viewer through the real main window: loading by the path's rule, the
// cross for a missing file, status panel 1, Add Picture and Remove, the display boxes, the viewer.
#include "app/tform1.h"
#include "framework/controls/image.h"
#include "framework/controls/statusbar.h"
#include "framework/core/exceptions.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/jpeg_image.h"
#include "gif/gif_exception.h"
#include "gif/gif_graphic_binding.h"
#include "gif/gif_image.h"
#include "pictures/open_picture_dialog.h"
#include "pictures/tform2.h"
#include "tests/app/app_test_support.h"
#include "tests/gif/animation_builder.h"
#include "tests/support/message_box_recorder.h"
#include "tests/support/peak_memory.h"
#include "tests/support/picture_files.h"
#include "tests/support/tool_run.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <jerror.h>

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

public:
    Ui::TForm1& ui() { return form->Ui(); }
    TQuery& Data() { return software(); }
    void Search(const QString& text) {
        ui().EditSearch->setText(text);
        QTest::keyClick(ui().EditSearch, Qt::Key_Return);
    }
    void DownOnTheLastRow() {
        software().Last();
        QTest::keyClick(ui().DBGridSoftware, Qt::Key_Down);
    }
    void Remove() { form->Pictures.ButtonRemoveClick(); }

protected:
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

TEST_F(PicturePane, AStretchedJPEGIsDecodedForTheControlAndKeptForTheWayBack) {
    const QString large = Write("large.jpg", test::JPEGBytes(ColourfulImage(1200, 900)));
    Open({large, bitmap});
    const auto pixels = [this] { return dynamic_cast<TJPEGImage&>(*Shown()).Bitmap().Image(); };
    // 1/8 would leave 113 rows for the control's 169; 1/4 fills it.
    EXPECT_EQ(pixels().size(), QSize(300, 225));
    EXPECT_EQ(ui().Image1->Picture().Width(), 1200);
    const qint64 decoded = pixels().cacheKey();
    software().Next();
    software().Prior();
    EXPECT_EQ(pixels().cacheKey(), decoded); // from the cache, not decoded again
    ui().CheckBoxStretch->setChecked(false); // the natural size, in all its pixels
    EXPECT_EQ(pixels().size(), QSize(1200, 900));
    EXPECT_EQ(ui().Image1->DestRect(), QRect(0, 0, 1200, 900));
    // A file changed on disk is read again.
    test::WriteFile(large, test::JPEGBytes(ColourfulImage(120, 90)));
    software().Next();
    software().Prior();
    EXPECT_EQ(pixels().size(), QSize(120, 90));
}

TEST_F(PicturePane, TheViewerIsCentredByItsWholeWindowFrameIncluded) {
    Open({jpeg});
    QRect frame, screen;
    QTimer::singleShot(0, [&] {
        screen = viewer.screen()->geometry();
        // The window manager frames the window a moment after it is shown.
        const bool centred = QTest::qWaitFor(
            [&] { return (viewer.frameGeometry().center() - screen.center()).manhattanLength() <= 2; }, 2000);
        EXPECT_TRUE(centred);
        frame = viewer.frameGeometry();
        viewer.close();
    });
    form->Pictures.Image1Click();
    EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1) << frame.x() << "," << frame.y();
    EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1) << frame.x() << "," << frame.y();
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

// What a move or an edit on the Software page leaves in the pane.
struct TRowCase {
    const char* name;
    std::function<void(PicturePane&)> action;
    bool keepsPicture; // the first row's picture and path stay in the pane and status panel 1
};

class RowChange : public PicturePane, public ::testing::WithParamInterface<TRowCase> {};

// Only a row that exists is shown: a new row shows none, and a search without matches or Remove
// on it leave the pane and the catalogue as they were.
TEST_P(RowChange, ShowsOnlyTheCurrentRowsPicture) {
    Open({jpeg, bitmap});
    const int rows = catalogue.Column("SELECT COUNT(*) FROM SOFTWARE").value(0).toInt();
    GetParam().action(*this);
    EXPECT_EQ(Panel1(), GetParam().keepsPicture ? jpeg : QString());
    EXPECT_EQ(ui().Image1->Picture().Empty(), !GetParam().keepsPicture);
    EXPECT_EQ(catalogue.Column("SELECT COUNT(*) FROM SOFTWARE").value(0).toInt(), rows);
    EXPECT_EQ(StoredPath(1), jpeg);
}

void SearchWithoutMatches(PicturePane& pane) {
    pane.Search(QStringLiteral("no such name"));
}

INSTANTIATE_TEST_SUITE_P(
    Pane, RowChange,
    ::testing::Values(TRowCase{"Insert", [](PicturePane& p) { p.Data().Insert(); }, false},
                      TRowCase{"DownOnTheLastRow", [](PicturePane& p) { p.DownOnTheLastRow(); }, false},
                      TRowCase{"SearchWithoutMatches", SearchWithoutMatches, true},
                      TRowCase{"RemoveOnAnEmptyResult",
                               [](PicturePane& p) {
                                   SearchWithoutMatches(p);
                                   p.Remove();
                               },
                               true}),
    [](const auto& info) { return info.param.name; });

TEST_F(PicturePane, StartUpReadsTheFirstPictureOnce) {
    const QString cut = Write("cut.bmp", test::BMPBytes(ColourfulImage(64, 48)).left(60));
    test::TMessageBoxRecorder boxes;
    Open({cut});
    QTest::qWait(50);
    EXPECT_EQ(boxes.Texts(), QStringList{sInvalidBitmap});
    EXPECT_EQ(Panel1(), cut);
}

// The button face where the picture control is, in the pane's visible part as drawn.
bool Covered(Ui::TForm1& ui) {
    QWidget* box = ui.ScrollBoxPicture->viewport();
    const QImage drawn = box->grab().toImage();
    const QPoint origin = ui.Image1->mapTo(box, QPoint(0, 0));
    const QRgb face = ui.PanelHidepicture->palette().color(QPalette::Button).rgb();
    const QRect visible = QRect(origin, ui.Image1->size()).intersected(drawn.rect());
    for (int y = visible.top(); y <= visible.bottom(); ++y)
        for (int x = visible.left(); x <= visible.right(); ++x)
            if (drawn.pixel(x, y) != face)
                return false;
    return !visible.isEmpty();
}

TEST_F(PicturePane, DisableCoversThePictureWithTheButtonFace) {
    Open({jpeg});
    EXPECT_FALSE(Covered(ui()));
    ui().CheckBoxAutosize->setChecked(true); // the control grows to the picture's 200 x 150
    ui().CheckBoxDisable->setChecked(true);
    EXPECT_TRUE(Covered(ui()));
    EXPECT_EQ(ui().PanelHidepicture->geometry(), ui().Image1->geometry());
    ui().TabControl->setCurrentIndex(1); // the CD page covers the pane too
    EXPECT_TRUE(Covered(ui()));
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

// Where a hostile picture file is read.
enum class TPlace { plPane, plViewer, plPreview, plClipboard, plAddPicture, plTool };

struct THostileCase {
    const char* name;
    const char* file; // made by HostileBytes
    TPlace place;
    std::string message;
};

QByteArray CutInHalf(const QByteArray& bytes) {
    return bytes.left(bytes.size() / 2);
}

QByteArray HostileBytes(const QString& file) {
    const QByteArray jpeg = test::JPEGBytes(ColourfulImage(200, 150));
    const QByteArray bmp = test::BMPBytes(ColourfulImage(64, 48));
    if (file == "screen.gif") // 35 bytes naming a 65535 x 65535 screen
        return test::GIFWithScreen(65535, 65535);
    if (file == "claims.jpg") // a few kilobytes claiming 16000 x 16000
        return test::WithDeclaredSize(jpeg, 16000, 16000);
    if (file == "claims.bmp")
        return test::WithDeclaredSize(test::BMPBytes(ColourfulImage(4, 4)), 40000, 40000);
    if (file == "cut.bmp")
        return CutInHalf(bmp);
    if (file == "cut60.bmp")
        return bmp.left(60);
    return CutInHalf(jpeg) + QByteArray("\xFF\xD9", 2); // cut.jpg: its end marker put back
}

// The most memory a file of `bytes` bytes may make the program take: the bound every graphic class
// applies, counted at four bytes per pixel.
std::uint64_t AllowedBytes(qsizetype bytes) {
    return (kPixelsWithoutData + kPixelsPerDataByte * static_cast<std::uint64_t>(bytes)) * 4;
}

// What the command-line tool takes before it reads any picture, besides the bound above.
constexpr std::uint64_t kToolStartBytes = 256ull << 20;

class HostilePicture : public PicturePane, public ::testing::WithParamInterface<THostileCase> {
protected:
    // Reads `path` where the case says, returning the error it raised or showed.
    QString ReadAt(const QString& path) {
        test::TMessageBoxRecorder boxes;
        QString shown;
        switch (GetParam().place) {
        case TPlace::plPane:
            software().Next();
            EXPECT_TRUE(ui().Image1->Picture().Empty());
            EXPECT_EQ(Panel1(), path);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.Texts().isEmpty(); }));
            return boxes.Texts().value(0);
        case TPlace::plViewer:
            software().Next();
            shown = ErrorOf([this] { form->Pictures.Image1Click(); });
            EXPECT_FALSE(viewer.isVisible());
            return shown;
        case TPlace::plPreview: {
            TOpenPictureDialog& dialog = form->Pictures.OpenPictureDialog1();
            emit dialog.currentChanged(path);
            EXPECT_TRUE(dialog.Preview()->pixmap().isNull());
            return dialog.Preview()->text();
        }
        case TPlace::plClipboard: {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            QMimeData data;
            data.setData(CF_GIF, file.readAll());
            TPicture pasted;
            return ErrorOf([&] { pasted.LoadFromClipboard(data); });
        }
        case TPlace::plAddPicture:
            shown = ErrorOf([&] { ChooseInDialog(path); });
            EXPECT_EQ(StoredPath(1), jpeg); // nothing stored
            EXPECT_STREQ(Shown()->ClassName(), "TJPEGImage");
            return shown;
        case TPlace::plTool:
            break;
        }
        const bool gif = path.endsWith(".gif");
        const QString out = catalogue.Path(gif ? "frames" : "reduced.bmp");
        const test::ToolRun run =
            test::RunProgram(QStringLiteral(QM_GIF_TOOL), {gif ? "render" : "reduce", path, out}, 20000);
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo(out).isFile());
        return run.err.trimmed().remove("quillmere-gif: ");
    }
    static QString ErrorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const Exception& e) {
            return QString::fromUtf8(e.what());
        }
        return QStringLiteral("no error");
    }
};

// Every place that reads a picture file refuses a hostile one with its class's error, leaves
// nothing behind and takes no more memory than the file's bound allows.
TEST_P(HostilePicture, IsRefusedWithItsClassErrorWithinTheFileBound) {
    const QByteArray bytes = HostileBytes(GetParam().file);
    const QString path = Write(GetParam().file, bytes);
    Open({jpeg, path});
    QString shown;
    const std::uint64_t growth = test::PeakGrowthOf([&] { shown = ReadAt(path); });
    EXPECT_EQ(shown.toStdString(), GetParam().message);
    if (GetParam().place == TPlace::plTool)
        EXPECT_LE(test::LargestChildPeak(), kToolStartBytes + AllowedBytes(bytes.size()));
    else
        EXPECT_LE(growth, AllowedBytes(bytes.size()));
}

const std::string kCutJPEG = "JPEG error #" + std::to_string(JWRN_HIT_MARKER);

INSTANTIATE_TEST_SUITE_P(
    Bounds, HostilePicture,
    ::testing::Values(
        THostileCase{"ScreenGIFInPane", "screen.gif", TPlace::plPane, sScreenExceedsData},
        THostileCase{"ScreenGIFInViewer", "screen.gif", TPlace::plViewer, sScreenExceedsData},
        THostileCase{"ScreenGIFInPreview", "screen.gif", TPlace::plPreview, sScreenExceedsData},
        THostileCase{"ScreenGIFOnClipboard", "screen.gif", TPlace::plClipboard, sScreenExceedsData},
        THostileCase{"ScreenGIFInToolRender", "screen.gif", TPlace::plTool, sScreenExceedsData},
        THostileCase{"ClaimingJPEGInPane", "claims.jpg", TPlace::plPane, sJPEGExceedsData},
        THostileCase{"ClaimingJPEGInViewer", "claims.jpg", TPlace::plViewer, sJPEGExceedsData},
        THostileCase{"ClaimingJPEGInPreview", "claims.jpg", TPlace::plPreview, sJPEGExceedsData},
        THostileCase{"ClaimingJPEGInToolReduce", "claims.jpg", TPlace::plTool, sJPEGExceedsData},
        THostileCase{"ClaimingBMPInViewer", "claims.bmp", TPlace::plViewer, sBitmapExceedsData},
        THostileCase{"CutBMPInPane", "cut.bmp", TPlace::plPane, sInvalidBitmap},
        THostileCase{"CutBMPNotStored", "cut.bmp", TPlace::plAddPicture, sInvalidBitmap},
        THostileCase{"CutBMPInToolReduce", "cut.bmp", TPlace::plTool, sInvalidBitmap},
        THostileCase{"BMPCutTo60BytesInPane", "cut60.bmp", TPlace::plPane, sInvalidBitmap},
        THostileCase{"CutJPEGInPane", "cut.jpg", TPlace::plPane, kCutJPEG},
        THostileCase{"CutJPEGNotStored", "cut.jpg", TPlace::plAddPicture, kCutJPEG},
        THostileCase{"CutJPEGInToolReduce", "cut.jpg", TPlace::plTool, kCutJPEG}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace qm
