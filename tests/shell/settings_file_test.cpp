#include "shell/settings_file.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <fstream>

#include "files/file_io.h"
#include "text/code_page.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("km-settings-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(SettingsFileTest, MissingFileIsNoValueAndIsNotCreated) {
    EXPECT_FALSE(read_interval_setting(dir_).has_value());
    EXPECT_FALSE(file_exists(settings_file_path(dir_)));
}

TEST_F(SettingsFileTest, FileWithoutTheKeyReadsEmpty) {
    std::ofstream(settings_file_path(dir_), std::ios::binary) << "[other]\r\nx=1\r\n";
    EXPECT_EQ(read_interval_setting(dir_), Text{});
}

TEST_F(SettingsFileTest, WriteCreatesAGbkFileThatReadsBack) {
    ASSERT_TRUE(write_interval_setting(dir_, "abc"));
    EXPECT_EQ(settings_file_path(dir_).filename(), std::filesystem::path(u8"配置.ini"));
    Bytes bytes;
    ASSERT_TRUE(read_file(settings_file_path(dir_), bytes));
    EXPECT_EQ(bytes, gbk("[软件设置]\r\n间隔=abc\r\n"));
    EXPECT_EQ(read_interval_setting(dir_), "abc");
    ASSERT_TRUE(write_interval_setting(dir_, "5"));
    EXPECT_EQ(read_interval_setting(dir_), "5");
}

}  // namespace
}  // namespace korvane
