// The disc entries of the main window's File menu, in the real window over a temporary catalogue.
#include "app/disc_menu.h"
#include "app/tform1.h"
#include "catalogue/table_pages.h"
#include "discs/window/disc_window.h"
#include "tests/app/app_test_support.h"

#include <QLineEdit>
#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(DiscMenu, FileMenuOffersScanVerifyAndFindWhoseCDIsShownOnTheCDPage) {
    test::TShownForm shown;
    TForm1& form = shown.Form();
    QStringList texts;
    for (const QAction* action : form.Ui().MenuFile->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    // The disc entries close the menu, before Exit.
    EXPECT_EQ(texts.mid(texts.size() - 5),
              QStringList({QStringLiteral("Scan Disc…"), QStringLiteral("Verify Disc…"),
                           QStringLiteral("Find File"), QStringLiteral("-"), form.Ui().Exit1->text()}));
    // The Find File shortcut is no other action's.
    const QKeySequence findShortcut = form.findChild<QAction*>(QStringLiteral("FileFindFile"))->shortcut();
    ASSERT_FALSE(findShortcut.isEmpty());
    int sharing = 0;
    for (const QAction* action : form.findChildren<QAction*>())
        sharing += action->shortcut() == findShortcut ? 1 : 0;
    EXPECT_EQ(sharing, 1);

    form.findChild<QAction*>(QStringLiteral("FileFindFile"))->trigger();
    auto* dialog = form.findChild<TFindFileDialog*>(QStringLiteral("FindFile"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    emit dialog->ShowCDRequested(2);
    EXPECT_EQ(form.Ui().TabControl->currentIndex(), TablePage(TCatalogueTable::ctCD).page);
    EXPECT_EQ(form.Data().ADOQueryCD.FieldByName(QStringLiteral("ID")).toLongLong(), 2);
}

} // namespace
} // namespace qm
