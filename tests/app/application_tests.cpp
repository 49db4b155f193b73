// The application object: an exception leaving an event handler is shown in the standard box and
// the program goes on.
#include "app/tform1.h"
#include "framework/controls/application.h"
#include "framework/core/exceptions.h"
#include "tests/app/app_test_support.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace qm {
namespace {

// The throwing handler hangs on the window's own timer, so the exception leaves through the event
// loop as any handler's would (QtWidgets frames are built without unwinding clean-ups, so a throw
// through a widget's own event code would leak what those frames hold).
TEST(ApplicationExceptions, AThrowingHandlerIsReportedAndTheWindowGoesOnWorking) {
    test::TShownForm shown;
    TForm1& form = shown.Form();
    int ticks = 0;
    QObject::connect(form.Timer1(), &QTimer::timeout, &form, [&ticks] {
        ++ticks;
        throw EDatabaseError("no such column: Pathh");
    });
    test::TMessageBoxRecorder catcher;
    form.resize(form.width() + 10, form.height());
    QTRY_COMPARE(catcher.Texts().size(), 1);
    form.resize(form.width() + 10, form.height());
    QTRY_COMPARE(catcher.Texts().size(), 2);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(catcher.Texts(), (QStringList{"no such column: Pathh", "no such column: Pathh"}));

    // The rest of the window still answers.
    QTest::mouseClick(form.findChild<QWidget*>(QStringLiteral("TBPopup")), Qt::LeftButton);
    EXPECT_FALSE(form.Ui().PopUps->isChecked());
    QTest::keyClicks(form.Ui().EditSearch, QStringLiteral("chess"));
    EXPECT_EQ(form.Ui().EditSearch->text(), "chess");
}

struct TThrowingHandler : QObject {
    int calls = 0;
    void Click() {
        ++calls;
        throw EDatabaseError("no such table: CDs");
    }
};

// A handler on a widget's own signal is reported where it throws, so the widget's code finishes
// its work: the button comes back up and answers the next click. In the sanitizer build the leak
// check also catches an exception that unwinds through the button's code instead.
TEST(ApplicationExceptions, AGuardedWidgetHandlerIsReportedAndTheWidgetIsNotLeftHalfWay) {
    QPushButton button(QStringLiteral("Go"));
    button.show();
    TThrowingHandler handler;
    QObject::connect(&button, &QPushButton::clicked, &handler, Guarded(&handler, &TThrowingHandler::Click));
    test::TMessageBoxRecorder catcher;
    QTest::mouseClick(&button, Qt::LeftButton);
    QTRY_COMPARE(catcher.Texts().size(), 1);
    EXPECT_EQ(catcher.Texts().value(0), "no such table: CDs");
    EXPECT_FALSE(button.isDown());
    QTest::mouseClick(&button, Qt::LeftButton);
    QTRY_COMPARE(catcher.Texts().size(), 2);
    EXPECT_EQ(handler.calls, 2);
}

TEST(ApplicationExceptions, ABoxShowsTheProgramTitleAnErrorIconAndOk) {
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        box->accept();
    });
    static_cast<TApplication*>(QApplication::instance())->ShowException(QStringLiteral("text"));
    EXPECT_EQ(title, "Quillmere");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, QMessageBox::Ok);
}

TEST(ApplicationExceptions, AnExceptionOfAnyKindIsCaught) {
    QWidget widget;
    bool ran = false;
    test::TMessageBoxRecorder catcher;
    QTimer::singleShot(0, &widget, [&ran] {
        ran = true;
        throw 42;
    });
    QTRY_VERIFY(ran);
    QTRY_COMPARE(catcher.Texts().size(), 1);
    EXPECT_FALSE(catcher.Texts().value(0).isEmpty());
}

} // namespace
} // namespace qm
