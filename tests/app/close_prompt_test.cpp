#include "app/close_prompt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/close_prompt_guard.h"
#include "app/tray_icon.h"
#include "shell/tray_icon_picture.h"

namespace korvane {
namespace {

template <class W>
W* control(QWidget* prompt, const char* name) {
    return prompt ? prompt->findChild<W*>(QString::fromUtf8(name)) : nullptr;
}

QWidget* open_prompt_window() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName() == QString::fromUtf8("关闭提示")) return w;
    return nullptr;
}

// Runs `step` on the prompt as soon as its modal loop runs. A prompt the step leaves open is
// cancelled so that the test goes on; `left_open` says whether that was needed.
void when_prompt_opens(std::function<void(QWidget*)> step, bool* left_open = nullptr) {
    QTimer::singleShot(0, [step, left_open] {
        QWidget* prompt = open_prompt_window();
        if (!prompt) {
            ADD_FAILURE() << "the close prompt did not open";
            return;
        }
        EXPECT_TRUE(prompt->isModal());
        step(prompt);
        QWidget* still = open_prompt_window();
        if (left_open) *left_open = still != nullptr;
        if (still) static_cast<QDialog*>(still)->reject();
    });
}

class ClosePromptTest : public ::testing::Test {
  protected:
    void SetUp() override {
        main_.setWindowTitle(QStringLiteral("main"));
        main_.setGeometry(50, 50, 400, 300);
        main_.show();
        tray_.add_icon(&main_, program_icon_ico_bytes(), true, "main");
    }
    void TearDown() override {
        if (QWidget* p = open_prompt_window()) static_cast<QDialog*>(p)->reject();
    }
    ProcessEnd recording_end() {
        return {[this](int code) { ends_.push_back("terminate " + std::to_string(code)); },
                [this](int code) { ends_.push_back("toolkit " + std::to_string(code)); }};
    }
    void choose_exit(QWidget* prompt) {
        control<QRadioButton>(prompt, "单选框2")->click();
        control<QPushButton>(prompt, "开始")->click();
    }

    QWidget main_;
    TrayIcon tray_;
    std::vector<std::string> ends_;
};

struct ControlCase {
    const char* name;
    const char* parent;
    QRect geometry;
    const char* text;  // nullptr: no text
    bool shown;
};

TEST_F(ClosePromptTest, OpensWithItsControlsAndTheFirstChoice) {
    ClosePrompt prompt(&main_, &tray_, recording_end());
    prompt.show();
    EXPECT_EQ(prompt.windowTitle(), QString::fromUtf8("关闭提示"));
    EXPECT_EQ(prompt.size(), QSize(300, 166));
    EXPECT_EQ(prompt.minimumSize(), prompt.maximumSize());

    const ControlCase cases[] = {
        {"图片框1", "关闭提示", {3, 4, 52, 52}, nullptr, true},
        {"标签1", "关闭提示", {58, 8, 160, 24}, "您点击了关闭按钮，您是想：", true},
        {"单选框1", "关闭提示", {62, 38, 207, 16}, "最小化到系统托盘区，不退出程序", true},
        {"单选框2", "关闭提示", {62, 65, 207, 16}, "退出程序", true},
        {"透明标签1",
         "关闭提示",
         {-8, 80, 288, 40},
         "正在关闭程序的一些主要组件,请捎等片刻…",
         false},
        {"外形框21", "关闭提示", {121, 114, 82, 22}, nullptr, true},
        {"开始", "外形框21", {2, 1, 79, 20}, "确认", true},
        {"外形框1", "关闭提示", {209, 114, 82, 22}, nullptr, true},
        {"开始1", "外形框1", {2, 1, 79, 20}, "取消", true},
    };
    for (const auto& c : cases) {
        auto* w = control<QWidget>(&prompt, c.name);
        ASSERT_NE(w, nullptr) << c.name;
        EXPECT_EQ(w->parentWidget()->objectName(), QString::fromUtf8(c.parent)) << c.name;
        EXPECT_EQ(w->geometry(), c.geometry) << c.name;
        EXPECT_EQ(w->isVisible(), c.shown) << c.name;
        EXPECT_TRUE(w->isEnabled()) << c.name;
        if (!c.text) continue;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
        EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.name;
    }
    EXPECT_TRUE(control<QRadioButton>(&prompt, "单选框1")->isChecked());
    EXPECT_FALSE(control<QRadioButton>(&prompt, "单选框2")->isChecked());
    EXPECT_TRUE(qobject_cast<QFrame*>(control<QWidget>(&prompt, "外形框21")));
}

TEST_F(ClosePromptTest, PictureIsA50By50ImageOfAtMost256Colours) {
    ClosePrompt prompt(&main_, &tray_, recording_end());
    const QPixmap pixmap = control<QLabel>(&prompt, "图片框1")->pixmap();
    ASSERT_EQ(pixmap.size(), QSize(50, 50));
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    std::set<QRgb> colours;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 10u);
    EXPECT_LE(colours.size(), 256u);
}

TEST_F(ClosePromptTest, ChoicesExcludeEachOther) {
    ClosePrompt prompt(&main_, &tray_, recording_end());
    prompt.show();
    auto* keep = control<QRadioButton>(&prompt, "单选框1");
    auto* quit = control<QRadioButton>(&prompt, "单选框2");
    for (int i = 0; i < 3; ++i) {
        quit->click();
        EXPECT_TRUE(quit->isChecked());
        EXPECT_FALSE(keep->isChecked());
        keep->click();
        keep->click();  // clicking the chosen one keeps it chosen
        EXPECT_TRUE(keep->isChecked());
        EXPECT_FALSE(quit->isChecked());
    }
}

TEST_F(ClosePromptTest, ConfirmWithTheFirstChoiceHidesTheWindowAndKeepsTheIcon) {
    ClosePrompt prompt(&main_, &tray_, recording_end());
    prompt.show();
    control<QPushButton>(&prompt, "开始")->click();
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(prompt.result(), QDialog::Accepted);
    EXPECT_FALSE(main_.isVisible());
    EXPECT_FALSE(main_.isMinimized());  // the placement write came after hiding
    EXPECT_EQ(tray_.window(), &main_);
    EXPECT_TRUE(tray_.system_icon().isVisible());
    EXPECT_TRUE(ends_.empty());
}

TEST_F(ClosePromptTest, ConfirmOnAHiddenWindowJustCloses) {
    main_.hide();
    ClosePrompt prompt(&main_, &tray_, recording_end());
    prompt.show();
    control<QPushButton>(&prompt, "开始")->click();
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_FALSE(main_.isVisible());
    EXPECT_TRUE(ends_.empty());
}

TEST_F(ClosePromptTest, CancelAndTheCloseBoxChangeNothing) {
    const std::function<void(ClosePrompt&)> ways[] = {
        [](ClosePrompt& p) {
            control<QRadioButton>(&p, "单选框2")->click();
            control<QPushButton>(&p, "开始1")->click();
        },
        [](ClosePrompt& p) {
            control<QRadioButton>(&p, "单选框2")->click();
            p.close();
        },
    };
    const QRect before = main_.frameGeometry();
    for (const auto& way : ways) {
        ClosePrompt prompt(&main_, &tray_, recording_end());
        prompt.show();
        way(prompt);
        EXPECT_FALSE(prompt.isVisible());
        EXPECT_EQ(prompt.result(), QDialog::Rejected);
        EXPECT_TRUE(main_.isVisible());
        EXPECT_EQ(main_.frameGeometry(), before);
        EXPECT_EQ(tray_.window(), &main_);
        EXPECT_TRUE(ends_.empty());
    }
}

TEST_F(ClosePromptTest, ExitChoiceShowsTheLabelRemovesTheIconAndEndsWithCodeZero) {
    std::vector<std::string> seen_at_end;
    ProcessEnd end = recording_end();
    const auto terminate = end.terminate;
    end.terminate = [&, terminate](int code) {
        // What the user sees in the instant before the process goes.
        auto* label = control<QLabel>(open_prompt_window(), "透明标签1");
        seen_at_end.push_back(label && label->isVisible() ? "label" : "no label");
        seen_at_end.push_back(control<QPushButton>(open_prompt_window(), "开始")->isEnabled()
                                  ? "enabled"
                                  : "disabled");
        seen_at_end.push_back(tray_.window() ? "icon" : "no icon");
        terminate(code);
    };
    ClosePrompt exiting(&main_, &tray_, end);
    exiting.show();
    choose_exit(&exiting);
    EXPECT_EQ(seen_at_end, (std::vector<std::string>{"label", "disabled", "no icon"}));
    EXPECT_EQ(ends_, (std::vector<std::string>{"terminate 0", "toolkit 0"}));
    EXPECT_FALSE(control<QPushButton>(&exiting, "开始1")->isEnabled());
    EXPECT_FALSE(tray_.system_icon().isVisible());
    EXPECT_TRUE(main_.isVisible());  // nothing else is done to the window
}

TEST_F(ClosePromptTest, CloseRequestOpensThePromptAndIsRefused) {
    CloseGuard* guard = install_close_guard(&main_, &tray_, recording_end());
    ASSERT_NE(guard, nullptr);
    bool left_open = true;
    when_prompt_opens([](QWidget* p) { control<QPushButton>(p, "开始1")->click(); }, &left_open);
    EXPECT_FALSE(main_.close());
    EXPECT_FALSE(left_open);
    EXPECT_TRUE(main_.isVisible());
    EXPECT_FALSE(guard->prompt_open());
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());

    when_prompt_opens([](QWidget* p) { control<QPushButton>(p, "开始")->click(); }, &left_open);
    EXPECT_FALSE(main_.close());
    EXPECT_FALSE(left_open);
    EXPECT_FALSE(main_.isVisible());
    EXPECT_EQ(tray_.window(), &main_);
    delete guard;
}

TEST_F(ClosePromptTest, EveryOpeningStartsFromTheDefaults) {
    std::unique_ptr<CloseGuard> guard(install_close_guard(&main_, &tray_, recording_end()));
    when_prompt_opens([](QWidget* p) {
        control<QRadioButton>(p, "单选框2")->click();
        control<QPushButton>(p, "开始1")->click();
    });
    guard->open_prompt();
    bool checked_default = false;
    when_prompt_opens([&](QWidget* p) {
        checked_default = control<QRadioButton>(p, "单选框1")->isChecked() &&
                          !control<QRadioButton>(p, "单选框2")->isChecked() &&
                          !control<QLabel>(p, "透明标签1")->isVisible();
        control<QPushButton>(p, "开始1")->click();
    });
    guard->open_prompt();
    EXPECT_TRUE(checked_default);
    EXPECT_TRUE(main_.isVisible());
}

TEST_F(ClosePromptTest, ExitThroughTheGuardEndsTheProcessInsideThePrompt) {
    std::unique_ptr<CloseGuard> guard(install_close_guard(&main_, &tray_, recording_end()));
    bool left_open = false;
    when_prompt_opens([this](QWidget* p) { choose_exit(p); }, &left_open);
    EXPECT_FALSE(main_.close());
    // The recorded end returned, so the prompt was still there with its buttons disabled.
    EXPECT_TRUE(left_open);
    EXPECT_EQ(ends_, (std::vector<std::string>{"terminate 0", "toolkit 0"}));
    EXPECT_EQ(tray_.window(), nullptr);
}

TEST_F(ClosePromptTest, EndOfSessionAsksOnlyWhenItMay) {
    std::unique_ptr<CloseGuard> guard(install_close_guard(&main_, &tray_, recording_end()));
    guard->answer_end_session_query(false);
    EXPECT_EQ(open_prompt_window(), nullptr);

    int opened = 0;
    when_prompt_opens([&](QWidget* p) {
        ++opened;
        control<QPushButton>(p, "开始1")->click();
    });
    guard->answer_end_session_query(true);
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(main_.isVisible());
}

TEST_F(ClosePromptTest, SecondRequestWhileOpenDoesNotStackAnotherPrompt) {
    std::unique_ptr<CloseGuard> guard(install_close_guard(&main_, &tray_, recording_end()));
    // Closes any prompt stacked on the first, so that a fault shows as a count, not a hang.
    QWidget* first = nullptr;
    int stacked = 0;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w != first && w->isVisible() && w->objectName() == QString::fromUtf8("关闭提示")) {
                ++stacked;
                static_cast<QDialog*>(w)->reject();
            }
        }
    });
    when_prompt_opens([&](QWidget* p) {
        first = p;
        closer.start();
        EXPECT_FALSE(main_.close());
        guard->open_prompt();
        guard->answer_end_session_query(true);
        control<QPushButton>(p, "开始1")->click();
    });
    guard->open_prompt();
    closer.stop();
    EXPECT_EQ(stacked, 0);
    EXPECT_FALSE(guard->prompt_open());
}

}  // namespace
}  // namespace korvane
