// The About dialog: the plasma's table and ticks against their closed form, the timer that runs
// from the dialog's creation, the dialog as its form description builds it, its links and ways to
// close, the ways to open it from the main window, and the logo's bytes as giflib reads them.
#include "app/info_dialog.h"
#include "app/plasma.h"
#include "app/startup.h"
#include "app/tform1.h"
#include "framework/controls/application.h"
#include "framework/core/exceptions.h"
#include "tests/app/app_test_support.h"
#include "tests/support/gif_peers.h"
#include "ui_Infodialog.h"

#include <QDesktopServices>
#include <QFile>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

namespace qm {
namespace {

// The red of pixel (x, y) on tick n of a plasma that started from `start`.
int ClosedFormRed(const TPlasmaTable& T, const TPlasmaPhases& start, int n, int x, int y) {
    const auto at = [&T](int i) { return T[static_cast<std::size_t>(i & 255)]; };
    return at(start.P0 + 2 * n + 2 * y) + at(start.P1 - 4 * n + y) + at(start.P2 + 6 * n + x) +
           at(start.P3 - 8 * n + 2 * x);
}

TPlasmaPhases PhasesAfter(const TPlasmaPhases& start, int ticks) {
    return {static_cast<std::uint8_t>(start.P0 + 2 * ticks), static_cast<std::uint8_t>(start.P1 - 4 * ticks),
            static_cast<std::uint8_t>(start.P2 + 6 * ticks), static_cast<std::uint8_t>(start.P3 - 8 * ticks)};
}

std::uint32_t Pixel(const TBitmap& bitmap, int x, int y) {
    return reinterpret_cast<const std::uint32_t*>(bitmap.ScanLine(y))[x];
}

// The first pixel that differs from tick n of the closed form, as text; empty when none does.
std::string FirstDifference(const TBitmap& bitmap, const TPlasmaTable& T, const TPlasmaPhases& start, int n) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const std::uint32_t expected = static_cast<std::uint32_t>(ClosedFormRed(T, start, n, x, y)) << 16;
            if (Pixel(bitmap, x, y) != expected)
                return "tick " + std::to_string(n) + " pixel (" + std::to_string(x) + ", " +
                       std::to_string(y) + "): " + std::to_string(Pixel(bitmap, x, y)) + " instead of " +
                       std::to_string(expected);
        }
    return {};
}

// Table

class PlasmaTableValue : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(PlasmaTableValue, IsTheTruncatedSineWithThePlainConstant) {
    EXPECT_EQ(MakePlasmaTable()[static_cast<std::size_t>(GetParam().first)], GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Plasma, PlasmaTableValue,
                         ::testing::Values(std::pair{0, 30}, std::pair{64, 59}, std::pair{128, 30},
                                           std::pair{192, 0}, std::pair{10, 37}, std::pair{5, 33},
                                           std::pair{20, 44}));

TEST(Plasma, TableRunsFrom0To59WithItsExtremesOnTheirSpans) {
    const TPlasmaTable T = MakePlasmaTable();
    for (int i = 0; i < 256; ++i) {
        const int value = T[static_cast<std::size_t>(i)];
        EXPECT_EQ(value == 59, i >= 54 && i <= 74) << i;
        EXPECT_EQ(value == 0, i >= 182 && i <= 202) << i;
        EXPECT_LE(value, 59) << i;
    }
}

// Ticks

TEST(Plasma, FirstAndSecondTicksFromZeroPhases) {
    const TPlasmaTable T = MakePlasmaTable();
    TPlasmaPhases phases;
    TBitmap bitmap(198, 95, TPixelFormat::pf32bit);
    DrawPlasmaTick(T, phases, bitmap);
    EXPECT_EQ(Pixel(bitmap, 0, 0), 120u << 16);
    EXPECT_EQ(Pixel(bitmap, 10, 5), 151u << 16);
    EXPECT_EQ(phases, (TPlasmaPhases{2, 252, 6, 248}));
    DrawPlasmaTick(T, phases, bitmap);
    EXPECT_EQ(Pixel(bitmap, 0, 0), 116u << 16);
}

// A whole cycle of ticks on bitmaps of several shapes, wider than 256 columns among them, from an
// arbitrary start: every pixel is the closed form's red alone, and the phases come back.
class PlasmaCycle : public ::testing::TestWithParam<QSize> {};

TEST_P(PlasmaCycle, EveryPixelOfEveryTickIsTheClosedFormsRedAndNothingElse) {
    const TPlasmaTable T = MakePlasmaTable();
    const TPlasmaPhases start{7, 200, 13, 99};
    TPlasmaPhases phases = start;
    TBitmap bitmap(GetParam().width(), GetParam().height(), TPixelFormat::pf32bit);
    int highest = 0;
    for (int n = 0; n < 128; ++n) {
        DrawPlasmaTick(T, phases, bitmap);
        ASSERT_EQ(FirstDifference(bitmap, T, start, n), "");
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                highest = std::max(highest, static_cast<int>(Pixel(bitmap, x, y) >> 16));
    }
    EXPECT_LE(highest, 236);
    EXPECT_EQ(phases, start);
}

INSTANTIATE_TEST_SUITE_P(Plasma, PlasmaCycle, ::testing::Values(QSize(198, 95), QSize(300, 3), QSize(1, 1)),
                         [](const auto& info) {
                             return std::to_string(info.param.width()) + "x" +
                                    std::to_string(info.param.height());
                         });

TEST(Plasma, OnlyA32BitBitmapIsDrawn) {
    TPlasmaPhases phases;
    TBitmap bitmap(4, 4, TPixelFormat::pf24bit);
    EXPECT_THROW(DrawPlasmaTick(MakePlasmaTable(), phases, bitmap), EInvalidGraphicOperation);
    EXPECT_EQ(phases, TPlasmaPhases{});
}

// The dialog's plasma

TEST(AboutPlasma, RunsWhileHiddenAndShowsThePhaseItHasReached) {
    const TPlasmaPhases start = ProgramPlasmaPhases();
    TInfo info;
    EXPECT_FALSE(info.isVisible());
    ASSERT_TRUE(info.PlasmaTimer()->isActive());
    EXPECT_EQ(info.PlasmaTimer()->interval(), 40);
    EXPECT_EQ(info.PlasmaBitmap().Width(), 198);
    EXPECT_EQ(info.PlasmaBitmap().Height(), 95);
    EXPECT_EQ(info.PlasmaBitmap().PixelFormat(), TPixelFormat::pf32bit);
    // Every timer event draws exactly one tick, hidden as the dialog is: no event is skipped and
    // none draws twice.
    int timeouts = 0;
    QObject::connect(info.PlasmaTimer(), &QTimer::timeout, [&] { ++timeouts; });
    QTRY_VERIFY_WITH_TIMEOUT(timeouts >= 3, 10000);
    info.PlasmaTimer()->stop();
    EXPECT_FALSE(info.isVisible());
    const int ticks = static_cast<std::uint8_t>(ProgramPlasmaPhases().P0 - start.P0) / 2;
    EXPECT_EQ(ticks, timeouts);
    EXPECT_EQ(ProgramPlasmaPhases(), PhasesAfter(start, ticks));
    EXPECT_EQ(FirstDifference(info.PlasmaBitmap(), info.PlasmaTable(), start, ticks - 1), "");
    // Showing the dialog goes on from there; the control shows the last tick, opaque.
    info.show();
    info.PlasmaTimer()->stop();
    info.DrawPlasma();
    const QImage shown = info.Ui().PlasmaImage->pixmap().toImage();
    EXPECT_EQ(FirstDifference(info.PlasmaBitmap(), info.PlasmaTable(), start, ticks), "");
    ASSERT_EQ(shown.size(), QSize(198, 95));
    EXPECT_EQ(shown.pixel(10, 5), qRgb(ClosedFormRed(info.PlasmaTable(), start, ticks, 10, 5), 0, 0));
}

TEST(AboutPlasma, FormDestroyStopsTheTimer) {
    TInfo info;
    info.FormDestroy();
    EXPECT_FALSE(info.PlasmaTimer()->isActive());
}

// The dialog from its form description

struct TComponentCase {
    const char* name;
    QRect geometry; // a width or height of 0: the component takes it from its text
    const char* text;
};

void PrintTo(const TComponentCase& component, std::ostream* os) {
    *os << component.name;
}

class AboutComponent : public ::testing::TestWithParam<TComponentCase> {
protected:
    TInfo info;
};

TEST_P(AboutComponent, SitsWhereTheFormDescriptionPutsIt) {
    auto* widget = info.findChild<QWidget*>(QString::fromLatin1(GetParam().name));
    ASSERT_NE(widget, nullptr);
    const QRect expected = GetParam().geometry;
    EXPECT_EQ(widget->pos(), expected.topLeft());
    if (expected.width() > 0) {
        EXPECT_EQ(widget->width(), expected.width());
    }
    if (expected.height() > 0) {
        EXPECT_EQ(widget->height(), expected.height());
    }
    EXPECT_TRUE(info.rect().contains(widget->geometry()));
    if (GetParam().text != nullptr) {
        EXPECT_EQ(widget->property("text").toString(), QString::fromUtf8(GetParam().text));
    }
    if (qobject_cast<QLabel*>(widget) != nullptr) {
        // The whole line shows, underline and descenders included.
        EXPECT_GE(widget->height(), widget->sizeHint().height());
    }
}

INSTANTIATE_TEST_SUITE_P(
    About, AboutComponent,
    ::testing::Values(TComponentCase{"Image1", QRect(27, 8, 153, 27), nullptr},
                      TComponentCase{"Label6", QRect(88, 43, 0, 0), "V1.02"},
                      TComponentCase{"lblWebSite", QRect(31, 87, 144, 0), "https://quillmere.example.org"},
                      TComponentCase{"lblEmail", QRect(58, 103, 0, 0), "quillmere@example.org"},
                      TComponentCase{"Label4", QRect(69, 121, 0, 0), "Messenger 555 0102"},
                      TComponentCase{"PlasmaPanel", QRect(3, 144, 200, 97), nullptr},
                      TComponentCase{"PlasmaImage", QRect(1, 1, 198, 95), nullptr},
                      TComponentCase{"Bevel1", QRect(3, 247, 200, 2), nullptr},
                      TComponentCase{"Button1", QRect(66, 260, 75, 25), "OK"}));

TEST(About, CaptionFixedSizeLinksAndPanel) {
    TInfo info;
    EXPECT_EQ(info.objectName(), "Info");
    EXPECT_EQ(info.windowTitle(), "About");
    EXPECT_EQ(info.minimumSize(), info.maximumSize());
    EXPECT_EQ(info.font().family(), "MS Sans Serif");
    for (QLabel* link : {info.Ui().lblWebSite, info.Ui().lblEmail}) {
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_EQ(info.Ui().PlasmaPanel->frameShadow(), QFrame::Raised);
    EXPECT_EQ(info.Ui().PlasmaPanel->contentsRect(), QRect(1, 1, 198, 95));
}

// Opens whatever QDesktopServices is asked to open while it lives, keeping the addresses.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    TUrlCatcher() {
        for (const char* scheme : {"https", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
    }
    ~TUrlCatcher() override {
        for (const char* scheme : {"https", "mailto"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> urls;
    Q_INVOKABLE void Open(const QUrl& url) { urls << url; }
};

class AboutLink : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(AboutLink, AClickOpensTheAddressAndAPressThatLeavesTheLabelDoesNot) {
    TInfo info;
    info.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info));
    TUrlCatcher catcher;
    auto* label = info.findChild<QLabel*>(QString::fromLatin1(GetParam().first));
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(-5, 2));
    EXPECT_TRUE(catcher.urls.isEmpty());
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl(QString::fromLatin1(GetParam().second))});
}

INSTANTIATE_TEST_SUITE_P(About, AboutLink,
                         ::testing::Values(std::pair{"lblWebSite", "https://quillmere.example.org"},
                                           std::pair{"lblEmail", "mailto:quillmere@example.org"}),
                         [](const auto& info) { return std::string(info.param.first); });

// Runs `close` once the dialog is up modally; true when the modal run ended.
bool ClosesWhenShownModally(TInfo& info, const std::function<void()>& close) {
    bool wasModal = false;
    QTimer::singleShot(0, &info, [&] {
        wasModal = QApplication::activeModalWidget() == &info;
        close();
    });
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &info, [&] {
        timedOut = true;
        info.done(QDialog::Rejected);
    });
    guard.start(5000);
    info.exec();
    return wasModal && !timedOut && !info.isVisible();
}

TEST(About, OkAndTheCloseBoxBothEndTheModalShow) {
    TInfo info;
    EXPECT_TRUE(ClosesWhenShownModally(info, [&] { QTest::mouseClick(info.Ui().Button1, Qt::LeftButton); }));
    EXPECT_TRUE(ClosesWhenShownModally(info, [&] { info.close(); }));
    EXPECT_TRUE(info.PlasmaTimer()->isActive());
}

TEST(About, IsCentredByItsWholeWindowFrameIncluded) {
    TInfo info;
    info.show();
    const QRect screen = info.screen()->availableGeometry();
    // A window manager frames the window a moment after it is shown (without one, as offscreen,
    // the window is its own frame).
    (void)QTest::qWaitFor([&] { return info.frameGeometry() != info.geometry(); }, 3000);
    (void)QTest::qWaitFor(
        [&] { return (info.frameGeometry().center() - screen.center()).manhattanLength() <= 2; }, 2000);
    const QRect frame = info.frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1) << frame.x() << "," << frame.y();
    EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1) << frame.x() << "," << frame.y();
}

// Opening it from the main window

class AboutOpensFrom : public ::testing::TestWithParam<std::pair<const char*, std::function<void(TForm1&)>>> {
};

TEST_P(AboutOpensFrom, TheMainWindowShowsTheDialogModally) {
    test::TShownForm shown;
    TInfo info;
    shown.Form().SetAboutDialog(&info);
    bool opened = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &info, [&] {
        if (QApplication::activeModalWidget() == &info) {
            opened = true;
            info.close();
        }
    });
    poll.start(5);
    QTimer::singleShot(0, &shown.Form(), [&] { GetParam().second(shown.Form()); });
    for (int waited = 0; waited < 5000 && !opened; waited += 10)
        QTest::qWait(10);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(info.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    About, AboutOpensFrom,
    ::testing::Values(
        std::pair<const char*, std::function<void(TForm1&)>>{
            "CtrlB",
            [](TForm1& form) { QTest::keyClick(form.Ui().EditSearch, Qt::Key_B, Qt::ControlModifier); }},
        std::pair<const char*, std::function<void(TForm1&)>>{
            "ToolbarButton",
            [](TForm1& form) { QTest::mouseClick(form.ToolButton(form.Ui().HelpAbout), Qt::LeftButton); }},
        std::pair<const char*, std::function<void(TForm1&)>>{
            "MenuItem", [](TForm1& form) { form.Ui().About1->trigger(); }}),
    [](const auto& info) { return std::string(info.param.first); });

TEST(About, StartUpCreatesTheDialogHiddenWithItsPlasmaRunning) {
    test::TTempCatalogue catalogue;
    int checked = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* form = qobject_cast<TForm1*>(window); form && form->isVisible()) {
                for (QWidget* other : QApplication::topLevelWidgets())
                    if (auto* info = qobject_cast<TInfo*>(other)) {
                        ++checked;
                        EXPECT_FALSE(info->isVisible());
                        EXPECT_TRUE(info->PlasmaTimer()->isActive());
                    }
                form->close();
            }
    });
    poll.start(10);
    EXPECT_EQ(
        RunMainWindow(*static_cast<TApplication*>(QApplication::instance()), nullptr, catalogue.FileName()),
        0);
    EXPECT_EQ(checked, 1);
}

// The logo

QByteArray LogoResource() {
    TInfo info; // registers the resources
    return test::ReadFile(info.Ui().Image1->property("Picture").toString());
}

TEST(AboutLogo, PictureDataIsTheClassNameThenAGif89aThatGiflibReads) {
    const QByteArray data = LogoResource();
    ASSERT_GT(data.size(), 10);
    EXPECT_EQ(data.at(0), 9);
    EXPECT_EQ(data.mid(1, 9), "TGIFImage");
    const QByteArray gif = data.mid(10);
    EXPECT_EQ(gif.left(6), "GIF89a");
    const auto summary = test::GiflibSummary(std::span(reinterpret_cast<const std::uint8_t*>(gif.constData()),
                                                       static_cast<std::size_t>(gif.size())));
    ASSERT_TRUE(summary.has_value());
    EXPECT_EQ(summary->screenWidth, 152);
    EXPECT_EQ(summary->screenHeight, 26);
    EXPECT_EQ(summary->globalColors, 128);
    EXPECT_EQ(summary->backgroundIndex, 255);
    EXPECT_EQ(summary->imageCount, 1);
    EXPECT_TRUE(summary->interlaced);
    EXPECT_EQ(summary->graphicControls, 1);
    EXPECT_EQ(summary->transparentIndex, 55);
}

TEST(AboutLogo, TheDialogHoldsItAsAGifImage) {
    TInfo info;
    TGIFImage& logo = info.Logo();
    EXPECT_EQ(logo.GetWidth(), 152);
    EXPECT_EQ(logo.GetHeight(), 26);
    ASSERT_EQ(logo.Images().Count(), 1);
    EXPECT_TRUE(logo.Images().Items(0)->Interlaced());
    EXPECT_TRUE(logo.IsTransparent());
}

TEST(AboutLogo, ShownAtItsNaturalSizeFromTheTopLeftWithIndex55Transparent) {
    TInfo info;
    info.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info));
    const QImage shown = info.Ui().Image1->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(shown.size(), QSize(153, 27));
    TGIFSubImage& frame = *info.Logo().Images().Items(0);
    TGIFColorMap& colours = info.Logo().ColorMap();
    int transparent = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const bool inside = x < 152 && y < 26;
            const int index = inside ? frame.GetPixel(x, y) : -1;
            const QRgb pixel = shown.pixel(x, y);
            if (index < 0 || index == 55) {
                ASSERT_EQ(qAlpha(pixel), 0) << x << ", " << y;
                transparent += inside;
                continue;
            }
            const TGIFColor colour = TGIFColorMap::Color2RGB(colours.GetColor(index));
            ASSERT_EQ(pixel, qRgb(colour.Red, colour.Green, colour.Blue)) << x << ", " << y;
        }
    EXPECT_GT(transparent, 0);
    EXPECT_LT(transparent, 152 * 26);
}

} // namespace
} // namespace qm

#include "about_tests.moc"
