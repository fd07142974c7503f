#include "app/tray_controller.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>

#include "app/qt_text.h"
#include "app/tray_icon.h"

namespace korvane {
namespace {

class TrayControllerTest : public ::testing::Test {
  protected:
    TrayControllerTest() : controller_(&window_, &menu_, tray_, [this] { ++prompts_; }) {
        window_.setWindowTitle(QString::fromUtf8("Korvane跑单监视器V1.5版"));
        window_.setGeometry(50, 50, 400, 300);
        menu_.setObjectName(QString::fromUtf8("托盘菜单"));
        controller_.install_tray_icon();
    }
    ~TrayControllerTest() override { menu_.hide(); }

    QAction* item(const char* text) {
        for (QAction* a : menu_.actions())
            if (a->text() == QString::fromUtf8(text)) return a;
        ADD_FAILURE() << "no menu item " << text;
        return nullptr;
    }
    void click(QSystemTrayIcon::ActivationReason reason) {
        emit tray_.system_icon().activated(reason);
    }
    QPoint centred() const {
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        const QSize frame = window_.frameGeometry().size();
        return {(screen.width() - frame.width()) / 2, (screen.height() - frame.height()) / 2};
    }

    QWidget window_;
    QMenu menu_;
    TrayIcon tray_;
    int prompts_ = 0;
    TrayController controller_;
};

TEST_F(TrayControllerTest, InstallAddsTheIconWithTheCaptionAndHooksTheMouse) {
    EXPECT_EQ(tray_.window(), &window_);
    EXPECT_EQ(tray_.system_icon().toolTip(), window_.windowTitle());
    EXPECT_NE(tray_.record().icon, 0u);
    click(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window_.isVisible());
}

TEST_F(TrayControllerTest, MenuHasItsItemsInOrder) {
    const QList<QAction*> actions = menu_.actions();
    ASSERT_EQ(actions.size(), 5);
    const char* texts[] = {"显示软件", nullptr, "隐藏软件", nullptr, "退出软件"};
    for (int i = 0; i < 5; ++i) {
        if (texts[i]) {
            EXPECT_EQ(actions[i]->text(), QString::fromUtf8(texts[i]));
        } else {
            EXPECT_TRUE(actions[i]->isSeparator()) << i;
        }
    }
}

TEST_F(TrayControllerTest, LeftPressShowsAHiddenWindowAndRestoresAMinimisedOne) {
    click(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_FALSE(window_.isMinimized());

    window_.showMinimized();
    ASSERT_TRUE(window_.isMinimized());
    click(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_FALSE(window_.isMinimized());
}

TEST_F(TrayControllerTest, RightPressOpensTheMenuBelowAndRightOfThePointer) {
    QCursor::setPos(200, 150);
    ASSERT_EQ(QCursor::pos(), QPoint(200, 150));
    click(QSystemTrayIcon::Context);
    EXPECT_TRUE(menu_.isVisible());
    EXPECT_EQ(menu_.pos(), QPoint(203, 153));
    EXPECT_FALSE(window_.isVisible());
}

TEST_F(TrayControllerTest, OtherCodesDoNothing) {
    for (const uint32_t code : {0x202u, 0x203u, 0x200u, 0x207u, 1130u, 0u}) {
        controller_.on_tray_event(code);
        EXPECT_FALSE(window_.isVisible()) << code;
        EXPECT_FALSE(menu_.isVisible()) << code;
    }
    // A double click shows the window through its first press only.
    click(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(window_.isVisible());
    EXPECT_EQ(prompts_, 0);
}

TEST_F(TrayControllerTest, RecreatedNotificationAreaGetsTheIconAgain) {
    tray_.system_icon().hide();
    window_.setWindowTitle(QStringLiteral("renamed"));
    tray_.check_notification_area(false);
    tray_.check_notification_area(true);
    EXPECT_TRUE(tray_.system_icon().isVisible());
    EXPECT_EQ(tip_of(tray_.record()), "renamed");
    EXPECT_EQ(tray_.system_icon().toolTip(), QStringLiteral("renamed"));
}

TEST_F(TrayControllerTest, ShowSoftwareRestoresAndCentresAHiddenMinimisedWindow) {
    window_.showMinimized();
    window_.hide();
    ASSERT_TRUE(window_.isMinimized());
    item("显示软件")->trigger();
    EXPECT_TRUE(window_.isVisible());
    EXPECT_FALSE(window_.isMinimized());
    EXPECT_EQ(window_.pos(), centred());
}

TEST_F(TrayControllerTest, HideSoftwareOnlyHides) {
    window_.show();
    const QRect before = window_.frameGeometry();
    item("隐藏软件")->trigger();
    EXPECT_FALSE(window_.isVisible());
    EXPECT_FALSE(window_.isMinimized());
    EXPECT_EQ(tray_.window(), &window_);
    // ... and the icon brings it back.
    click(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(window_.frameGeometry(), before);
}

TEST_F(TrayControllerTest, ExitSoftwareOpensTheClosePromptWhetherShownOrHidden) {
    item("退出软件")->trigger();
    EXPECT_EQ(prompts_, 1);
    window_.show();
    item("退出软件")->trigger();
    EXPECT_EQ(prompts_, 2);
}

TEST(TrayControllerLifetime, IconOutlivingTheControllerIsHarmless) {
    TrayIcon tray;
    QWidget window;
    QMenu menu;
    {
        TrayController controller(&window, &menu, tray, [] {});
        controller.install_tray_icon();
    }
    emit tray.system_icon().activated(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace korvane
