// The settings file "配置.ini" in the data directory: the check interval in minutes,
// exactly as typed into the interval box (not validated).
#pragma once

#include <filesystem>
#include <optional>

#include "text/text.h"

namespace korvane {

std::filesystem::path settings_file_path(const std::filesystem::path& data_dir);

// nullopt when the settings file does not exist (the box keeps its default);
// the empty text when the file exists without the key.
std::optional<Text> read_interval_setting(const std::filesystem::path& data_dir);

bool write_interval_setting(const std::filesystem::path& data_dir, const Text& interval);

}  // namespace korvane
