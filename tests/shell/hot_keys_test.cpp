#include "base/command_ids.h"
#include "library/media_library.h"
#include "main_window_fixture.h"
#include "shell/hot_keys.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace quelmar::station;
using quelmar::test::MainWindowTest;

namespace {

struct HotKeyCase {
    int key;
    bool recording;
    bool fullScreen;
    HotKeyAction expected;
};

class HotKeyRules : public ::testing::TestWithParam<HotKeyCase> {};

TEST_P(HotKeyRules, DependOnRecordingAndFullScreen)
{
    const HotKeyCase c = GetParam();
    EXPECT_EQ(hotKeyAction(c.key, c.recording, c.fullScreen), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HotKeyRules,
    ::testing::Values(HotKeyCase{Qt::Key_F2, false, false, HotKeyAction::TakePicture},
                      HotKeyCase{Qt::Key_F3, false, false, HotKeyAction::ToggleRecording},
                      HotKeyCase{Qt::Key_F3, true, false, HotKeyAction::Swallow},
                      HotKeyCase{Qt::Key_F4, true, false, HotKeyAction::ToggleRecording},
                      HotKeyCase{Qt::Key_F4, false, false, HotKeyAction::Swallow},
                      HotKeyCase{Qt::Key_Escape, false, false, HotKeyAction::Swallow},
                      HotKeyCase{Qt::Key_Escape, false, true, HotKeyAction::RestoreFullScreen},
                      HotKeyCase{Qt::Key_Enter, false, false, HotKeyAction::Swallow},
                      HotKeyCase{Qt::Key_A, false, false, HotKeyAction::None}));

// Counts the key presses that reach a widget itself (after the application filters).
class KeyCounter : public QObject {
public:
    explicit KeyCounter(QWidget *w) { w->installEventFilter(this); }
    int count(int key) const { return int(std::count(keys.begin(), keys.end(), key)); }
    std::vector<int> keys;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::KeyPress)
            keys.push_back(static_cast<QKeyEvent *>(e)->key());
        return false;
    }
};

bool focusOn(QWidget *window, QWidget *child)
{
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return false;
    child->setFocus();
    return QApplication::focusWidget() == child;
}

// A window with controls nested two deep, like the folder box inside the library panel.
struct NestedWindow {
    QWidget window;
    QWidget *panel = new QWidget(&window);
    QLineEdit *edit = new QLineEdit(panel);
    QComboBox *combo = new QComboBox(panel);
    std::vector<int> fired;
    HotKeyFilter filter{
        &window, [](int key) { return hotKeyAction(key, false, false) != HotKeyAction::None; },
        [this](int key) { fired.push_back(key); }};

    NestedWindow()
    {
        auto *outer = new QVBoxLayout(&window);
        outer->addWidget(panel);
        auto *inner = new QVBoxLayout(panel);
        inner->addWidget(edit);
        inner->addWidget(combo);
    }
};

struct PressCase {
    int key;
    int reachesControl; // times the focused control itself sees the press
};

class HotKeyFilterPress : public ::testing::TestWithParam<std::tuple<PressCase, bool>> {};

TEST_P(HotKeyFilterPress, FiresOncePerPressWhereverTheFocusIs)
{
    const auto [press, inCombo] = GetParam();
    NestedWindow w;
    QWidget *focus = inCombo ? static_cast<QWidget *>(w.combo) : w.edit;
    ASSERT_TRUE(focusOn(&w.window, focus));
    const KeyCounter atControl(focus);
    const KeyCounter atPanel(w.panel);

    QTest::keyClick(focus, Qt::Key(press.key));
    EXPECT_EQ(w.fired, std::vector<int>{press.key}) << "one press, one command";
    EXPECT_EQ(atControl.count(press.key), press.reachesControl);
    EXPECT_LE(atPanel.count(press.key), press.reachesControl)
        << "a passed-on press still travels up";

    QTest::keyClick(focus, Qt::Key_A);
    EXPECT_EQ(w.fired.size(), 1u) << "ordinary keys are no hot keys";
    EXPECT_EQ(atControl.count(Qt::Key_A), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, HotKeyFilterPress,
    ::testing::Combine(::testing::Values(PressCase{Qt::Key_F2, 1}, PressCase{Qt::Key_F3, 1},
                                         PressCase{Qt::Key_F11, 1}, PressCase{Qt::Key_F12, 1},
                                         PressCase{Qt::Key_Escape, 0},
                                         PressCase{Qt::Key_Return, 0}),
                       ::testing::Bool()));

TEST(HotKeyFilterScope, PressesOfOtherWindowsAreLeftAlone)
{
    NestedWindow w;
    QLineEdit other;
    QTest::keyClick(&other, Qt::Key_F2);
    EXPECT_TRUE(w.fired.empty());
}

TEST_F(MainWindowTest, F2InAChildControlWarnsOnce)
{
    open();
    QComboBox *folderBox = window->library()->folderBox();
    QLineEdit *magnification = window->findChildren<QLineEdit *>().at(1);
    ASSERT_EQ(magnification->text(), QStringLiteral("60"));
    for (QWidget *child :
         {static_cast<QWidget *>(folderBox), static_cast<QWidget *>(magnification)}) {
        prompt.messages.clear();
        ASSERT_TRUE(focusOn(window.get(), child)) << child->metaObject()->className();
        QTest::keyClick(child, Qt::Key_F2);
        ASSERT_EQ(prompt.messages.size(), 1u) << child->metaObject()->className();
        EXPECT_EQ(prompt.messages[0].text, QStringLiteral("Please return to the preview state"));
    }
}

TEST_F(MainWindowTest, EscapeAndEnterOutsideFullScreenNeverReachTheControls)
{
    open();
    auto *magnification = window->findChildren<QLineEdit *>().at(1);
    ASSERT_TRUE(focusOn(window.get(), magnification));
    const KeyCounter atControl(magnification);
    const QSignalSpy returnPressed(magnification, &QLineEdit::returnPressed);
    QTest::keyClick(magnification, Qt::Key_Escape);
    QTest::keyClick(magnification, Qt::Key_Return);
    QTest::keyClick(magnification, Qt::Key_Enter);
    EXPECT_TRUE(atControl.keys.empty());
    EXPECT_EQ(returnPressed.count(), 0);
    EXPECT_FALSE(window->isFullScreenMode());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(prompt.messages.empty());
}

} // namespace
