#include "base/command_ids.h"
#include "capture/preview_widget.h"
#include "library/media_library.h"
#include "library/small_picture_wnd.h"
#include "main_window_fixture.h"
#include "shell/bitmap_check_button.h"
#include "shell/full_screen_mode.h"

#include <QLabel>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace quelmar::station;
using quelmar::test::MainWindowTest;

namespace {

constexpr QSize kClient(843, 580);
constexpr QRect kPreview(193, 34, 640, 480);

QWidget *canvasOf(const CScopeDeskDlg &w)
{
    return w.centralWidget();
}

std::vector<QWidget *> shownControls(const CScopeDeskDlg &w)
{
    std::vector<QWidget *> shown;
    for (QWidget *c : canvasOf(w)->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (c->isVisible())
            shown.push_back(c);
    return shown;
}

TEST_F(MainWindowTest, ClientAreaHoldsTheWholeLayoutBelowTheMenuBar)
{
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QWidget *canvas = canvasOf(*window);
    EXPECT_EQ(canvas->geometry(), QRect(QPoint(0, window->menuBar()->height()), kClient));
    EXPECT_TRUE(window->rect().contains(canvas->geometry()))
        << "window " << window->height() << " high, client area ends at "
        << canvas->geometry().bottom();
    for (const QWidget *c : shownControls(*window))
        EXPECT_TRUE(canvas->rect().contains(c->geometry())) << c->metaObject()->className();
    EXPECT_EQ(window->preview()->geometry(), kPreview);
    for (const int id : {cmd::Preview, cmd::TakePicture, cmd::EMail}) {
        const QRect r = window->button(id)->geometry();
        EXPECT_LE(r.bottom(), kClient.height() - 1) << id;
    }
}

TEST_F(MainWindowTest, OpensCentredOnTheScreen)
{
    open();
    const QRect available = window->screen()->availableGeometry();
    EXPECT_EQ(window->frameGeometry().topLeft(),
              centredTopLeft(window->frameGeometry().size(), available));
}

struct CentreCase {
    QSize window;
    QRect available;
    QPoint expected;
};

class CentredTopLeft : public ::testing::TestWithParam<CentreCase> {};

TEST_P(CentredTopLeft, KeepsTheTitleBarOnTheScreen)
{
    const CentreCase c = GetParam();
    EXPECT_EQ(centredTopLeft(c.window, c.available), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CentredTopLeft,
                         ::testing::Values(CentreCase{{843, 602}, {0, 0, 1280, 1024}, {218, 211}},
                                           CentreCase{{843, 602}, {100, 30, 1280, 994}, {318, 226}},
                                           CentreCase{{843, 602}, {0, 0, 800, 600}, {0, 0}},
                                           CentreCase{{800, 600}, {0, 0, 800, 600}, {0, 0}}));

TEST_F(MainWindowTest, MaximiseEntersFullScreenAndEscapeOrRestoreLeavesIt)
{
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // A window manager offers maximise only to a window whose size may change.
    EXPECT_GT(window->maximumHeight(), window->minimumHeight());
    EXPECT_GT(window->maximumWidth(), window->minimumWidth());
    const QRect before = window->geometry();
    const std::vector<QWidget *> shownBefore = shownControls(*window);

    for (int round = 0; round < 2; ++round) {
        window->setWindowState(Qt::WindowMaximized); // as the window manager's maximise does
        ASSERT_TRUE(window->isFullScreenMode()) << round;
        EXPECT_TRUE(window->isFullScreen());
        EXPECT_FALSE(window->menuBar()->isVisible());
        EXPECT_EQ(shownControls(*window), std::vector<QWidget *>{window->preview()});
        EXPECT_EQ(window->preview()->size(), window->screen()->size());
        EXPECT_TRUE(window->button(cmd::Negative)->toolTip().isEmpty());

        if (round == 0)
            QTest::keyClick(window.get(), Qt::Key_Escape);
        else
            window->setWindowState(Qt::WindowNoState); // the window manager's restore
        ASSERT_FALSE(window->isFullScreenMode()) << round;
        EXPECT_FALSE(window->isFullScreen());
        EXPECT_FALSE(window->isMaximized());
        EXPECT_TRUE(window->menuBar()->isVisible());
        EXPECT_EQ(shownControls(*window), shownBefore);
        EXPECT_EQ(window->preview()->geometry(), kPreview);
        EXPECT_EQ(canvasOf(*window)->size(), kClient);
        EXPECT_EQ(window->geometry().topLeft(), before.topLeft());
        EXPECT_EQ(window->button(cmd::Negative)->toolTip(), QStringLiteral("Negative"));
    }
}

TEST_F(MainWindowTest, LeavingFullScreenShowsOnlyWhatWasShownBefore)
{
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QLabel *hiddenLabel = canvasOf(*window)->findChildren<QLabel *>().constFirst();
    hiddenLabel->hide();
    // The strip's context menu is a child of the client area too, and closed.
    const QList<QMenu *> popups = canvasOf(*window)->findChildren<QMenu *>();
    ASSERT_FALSE(popups.isEmpty());

    window->enterFullScreen();
    window->leaveFullScreen();
    EXPECT_TRUE(hiddenLabel->isHidden());
    for (const QMenu *m : popups)
        EXPECT_FALSE(m->isVisible());
    EXPECT_TRUE(window->library()->strip()->isVisible());
}

} // namespace
