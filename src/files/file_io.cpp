#include "files/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <string>
#include <system_error>

namespace korvane {
namespace {

bool write_all(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::filesystem::path temporary_name(const std::filesystem::path& path) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path tmp = path;
    tmp += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    return tmp;
}

// Makes the rename itself durable; failure here does not undo a completed rename.
void sync_directory(const std::filesystem::path& dir) {
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool file_exists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool read_file(const std::filesystem::path& path, Bytes& out) {
    out.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return false;
    in.seekg(0, std::ios::beg);
    out.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(out.data(), size)) {
        out.clear();
        return false;
    }
    return true;
}

bool write_file_atomically(const std::filesystem::path& path, const Bytes& bytes) {
    const std::filesystem::path tmp = temporary_name(path);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = write_all(fd, bytes.data(), bytes.size());
    ok = (::fsync(fd) == 0) && ok;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    sync_directory(path.parent_path());
    return true;
}

bool remove_file(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return !file_exists(path);
}

}  // namespace korvane
