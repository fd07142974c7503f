#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/qt_text.h"
#include "shell/tray_icon_picture.h"
#include "text/code_page.h"

namespace korvane {
namespace {

class TrayIconTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->setWindowTitle(QString::fromUtf8("Korvane跑单监视器V1.5版"));
    }
    bool add() {
        return tray_.add_icon(window_.get(), program_icon_ico_bytes(), true,
                              to_text(window_->windowTitle()));
    }
    void hook() {
        tray_.set_callback([this](uint32_t code) { codes_.push_back(code); });
    }

    std::unique_ptr<QWidget> window_;
    TrayIcon tray_;
    std::vector<uint32_t> codes_;
};

TEST(TrayCodes, ActivationsMapToTheShellsCodes) {
    EXPECT_EQ(tray_code_for(QSystemTrayIcon::Trigger), 0x201u);
    EXPECT_EQ(tray_code_for(QSystemTrayIcon::DoubleClick), 0x203u);
    EXPECT_EQ(tray_code_for(QSystemTrayIcon::Context), 0x204u);
    EXPECT_EQ(tray_code_for(QSystemTrayIcon::MiddleClick), 0x207u);
    EXPECT_EQ(tray_code_for(QSystemTrayIcon::Unknown), std::nullopt);
}

TEST_F(TrayIconTest, NullWindowAddsNothing) {
    EXPECT_FALSE(tray_.add_icon(nullptr, program_icon_ico_bytes(), true, "tip"));
    EXPECT_EQ(tray_.window(), nullptr);
    EXPECT_EQ(tray_.record().size, 0u);
    EXPECT_FALSE(tray_.system_icon().isVisible());
}

TEST_F(TrayIconTest, AddFillsTheRecordAndShowsTheIconWithTheCaptionAsTip) {
    add();
    EXPECT_EQ(tray_.window(), window_.get());
    const TrayIconRecord& r = tray_.record();
    EXPECT_EQ(r.size, 488u);
    EXPECT_EQ(r.id, 1u);
    EXPECT_EQ(r.flags, 0x17u);
    EXPECT_EQ(r.callback_message, 0x2DA5u);
    EXPECT_EQ(r.timeout, 10000u);
    EXPECT_EQ(r.window, static_cast<uint32_t>(window_->winId()));
    EXPECT_NE(r.icon, 0u);
    EXPECT_EQ(tip_of(r), gbk("Korvane跑单监视器V1.5版"));
    EXPECT_EQ(tray_.system_icon().toolTip(), window_->windowTitle());
    EXPECT_TRUE(tray_.system_icon().isVisible());
    const QImage shown = tray_.system_icon().icon().pixmap(64, 64).toImage();
    EXPECT_EQ(shown.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(shown.pixelColor(41, 32).alpha(), 255);
}

TEST_F(TrayIconTest, LongTipIsCutInTheRecordAndTheTooltip) {
    const Text tip = Text(126, 'a') + gbk("中");
    tray_.add_icon(window_.get(), program_icon_ico_bytes(), true, tip);
    EXPECT_EQ(tip_of(tray_.record()), Text(126, 'a'));
    EXPECT_EQ(tray_.system_icon().toolTip(), QString(126, QChar('a')));
}

TEST_F(TrayIconTest, IconSourcesAndBadFiles) {
    QPixmap own(16, 16);
    own.fill(Qt::red);
    window_->setWindowIcon(QIcon(own));

    tray_.add_icon(window_.get(), program_icon_ico_bytes(), false, "t");
    EXPECT_NE(tray_.record().icon, 0u);
    EXPECT_EQ(tray_.system_icon().icon().pixmap(16, 16).toImage().pixelColor(8, 8),
              QColor(Qt::red));

    // A file that does not decode gives an icon without a picture, still in its place.
    tray_.add_icon(window_.get(), "not an icon", true, "t");
    EXPECT_EQ(tray_.record().icon, 0u);
    EXPECT_TRUE(tray_.system_icon().isVisible());
    EXPECT_EQ(tray_.system_icon().icon().pixmap(16, 16).toImage().pixelColor(8, 8).alpha(), 0);
}

TEST_F(TrayIconTest, IconFromBytesGivesTheEntrySizes) {
    int w = -1, h = -1;
    const QIcon icon = tray_.icon_from_ico_bytes(program_icon_ico_bytes(), 0, &w, &h);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 64);
    EXPECT_EQ(icon.availableSizes().value(0), QSize(64, 64));

    EXPECT_TRUE(tray_.icon_from_ico_bytes(program_icon_ico_bytes(), 1, &w, &h).isNull());
    EXPECT_EQ(w, 0);
    EXPECT_TRUE(
        tray_.icon_from_ico_bytes(program_icon_ico_bytes().substr(0, 100), 0, &w, &h).isNull());
    EXPECT_EQ(w, 64);  // the entry itself was there
    EXPECT_TRUE(tray_.icon_from_ico_bytes({}, 0, nullptr, nullptr).isNull());
}

TEST_F(TrayIconTest, EveryActivationReachesTheCallbackAsItsCode) {
    add();
    hook();
    auto& icon = tray_.system_icon();
    emit icon.activated(QSystemTrayIcon::Trigger);
    emit icon.activated(QSystemTrayIcon::DoubleClick);
    emit icon.activated(QSystemTrayIcon::Context);
    emit icon.activated(QSystemTrayIcon::MiddleClick);
    emit icon.activated(QSystemTrayIcon::Unknown);
    EXPECT_EQ(codes_, (std::vector<uint32_t>{0x201, 0x203, 0x204, 0x207}));
}

TEST_F(TrayIconTest, CallbackNeedsAWindowAndAGivenRoutine) {
    hook();  // before add_icon: nothing is hooked
    add();
    emit tray_.system_icon().activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(codes_.empty());

    tray_.set_callback(nullptr, false);  // hooked, but no routine
    emit tray_.system_icon().activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(codes_.empty());

    hook();
    emit tray_.system_icon().activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(codes_, (std::vector<uint32_t>{0x201}));
}

TEST_F(TrayIconTest, RemoveTakesTheIconDownAndStopsEvents) {
    add();
    hook();
    tray_.remove_icon();
    EXPECT_EQ(tray_.window(), nullptr);
    EXPECT_FALSE(tray_.system_icon().isVisible());
    emit tray_.system_icon().activated(QSystemTrayIcon::Trigger);
    tray_.check_notification_area(false);
    tray_.check_notification_area(true);
    EXPECT_TRUE(codes_.empty());
    hook();  // no window any more
    emit tray_.system_icon().activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(codes_.empty());
}

TEST_F(TrayIconTest, NotificationAreaComingBackIsReportedOnce) {
    add();
    hook();
    tray_.check_notification_area(false);
    tray_.check_notification_area(false);
    tray_.check_notification_area(true);
    tray_.check_notification_area(true);
    EXPECT_EQ(codes_, (std::vector<uint32_t>{1120}));
}

TEST_F(TrayIconTest, WindowGoingAwayIsReported) {
    add();
    hook();
    window_.reset();
    EXPECT_EQ(codes_, (std::vector<uint32_t>{1130}));
    EXPECT_EQ(tray_.window(), nullptr);
    EXPECT_FALSE(tray_.add_icon(window_.get(), program_icon_ico_bytes(), true, "t"));
}

}  // namespace
}  // namespace korvane
