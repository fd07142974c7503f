#include "shell/settings_file.h"

#include "shell/profile_file.h"
#include "text/code_page.h"

namespace korvane {
namespace {

const Text& section() {
    return gbk("软件设置");
}
const Text& interval_key() {
    return gbk("间隔");
}

}  // namespace

std::filesystem::path settings_file_path(const std::filesystem::path& data_dir) {
    return data_dir / std::filesystem::path(u8"配置.ini");
}

std::optional<Text> read_interval_setting(const std::filesystem::path& data_dir) {
    const auto content = read_profile_file(settings_file_path(data_dir));
    if (!content) return std::nullopt;
    return profile_get(*content, section(), interval_key()).value_or(Text{});
}

bool write_interval_setting(const std::filesystem::path& data_dir, const Text& interval) {
    return write_profile_string(settings_file_path(data_dir), section(), interval_key(), interval);
}

}  // namespace korvane
