// A fresh directory per test, named after the test and the process so that parallel test
// runs never share one; removed with everything in it when the test ends.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace korvane::test {

class TempDir {
  public:
    explicit TempDir(const std::string& tag) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = info ? info->name() : "none";
        for (char& c : name) {
            if (c == '/') c = '_';  // parameterised test names
        }
        path_ = std::filesystem::temp_directory_path() /
                ("km-" + tag + "-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace korvane::test
