// A save killed at any moment leaves the list file whole: a child process saves a
// 100,000-row table over and over, alternating two versions, and is killed with SIGKILL at
// random moments; after each kill the file on disk must be one version or the other, byte
// for byte. Half the kills fall at a random moment of the child's run, half at a random
// moment after a save's temporary file appeared, so that some surely cut a write short.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "files/file_io.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "watchlist/list_file.h"
#include "watchlist/memory_watch_table.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRows = 100000;
constexpr int kRounds = 20;

// Rows of one version; the versions differ in every row and in length, so a mix of the two
// or a cut-off file matches neither.
void fill(MemoryWatchTable& table, const std::string& version) {
    std::vector<WatchEntry> rows(kRows);
    for (int i = 0; i < kRows; ++i) {
        WatchEntry& e = rows[static_cast<size_t>(i)];
        const std::string n = std::to_string(i);
        e.cells[kColQq] = version + n;
        e.cells[kColTitle] = gbk("商品标题") + version + n;
        e.cells[kColProductId] = std::to_string(600000000 + i);
        e.cells[kColSalesAtAdd] = std::to_string(i % 977);
        e.cells[kColCouponLink] =
            "http://shop.m.taobao.com/shop/coupon.htm?activityId=" + n + "&sellerId=" + version;
        e.cells[kColState] = gbk("未检测");
    }
    table.append_rows(std::move(rows));
}

// What the child shares with the parent: which save it is in, and how many it finished.
struct Progress {
    std::atomic<int> in_save{0};
    std::atomic<int> saves_done{0};
};

class AtomicSaveKillTest : public ::testing::Test {
  protected:
    AtomicSaveKillTest() : temp_("kill"), dir_(temp_.path()), file_(dir_ / kListFileName) {}

    // Temporary files a killed save left behind (removed), and whether one held bytes.
    int remove_leftovers(bool& partial) {
        int count = 0;
        partial = false;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            if (entry.path() == file_) continue;
            EXPECT_NE(entry.path().filename().string().find(".tmp-"), std::string::npos)
                << "unexpected file " << entry.path();
            std::error_code ec;
            if (fs::file_size(entry.path(), ec) > 0) partial = true;
            fs::remove(entry.path(), ec);
            ++count;
        }
        return count;
    }

    bool temporary_exists() const {
        std::error_code ec;
        for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
            if (it->path() != file_) return true;
        }
        return false;
    }

    test::TempDir temp_;
    fs::path dir_;
    fs::path file_;
};

TEST_F(AtomicSaveKillTest, KilledSavesLeaveOneWholeVersion) {
    MemoryWatchTable version_a, version_b;
    fill(version_a, "A");
    fill(version_b, "BB");
    const Bytes bytes_a = list_file_bytes(version_a);
    const Bytes bytes_b = list_file_bytes(version_b);
    ASSERT_NE(bytes_a.size(), bytes_b.size());

    const auto t0 = Clock::now();
    ASSERT_TRUE(save_list_file(version_a, file_));
    const auto save_time = Clock::now() - t0;
    const auto t1 = Clock::now();
    ASSERT_TRUE(write_file_atomically(file_, bytes_a));
    const auto write_time = Clock::now() - t1;
    // Kills fall anywhere within two saves, and never later than 400 ms.
    const auto longest = std::min<Clock::duration>(save_time * 2, std::chrono::milliseconds(400));

    auto* progress = static_cast<Progress*>(::mmap(
        nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(progress, MAP_FAILED);
    new (progress) Progress;

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<Clock::rep> delay(0, longest.count());
    std::uniform_int_distribution<Clock::rep> delay_in_write(0, write_time.count());
    int inside_save = 0;
    int left_temporary = 0;
    int left_partial = 0;
    int whole_a = 0;
    int whole_b = 0;
    for (int round = 0; round < kRounds; ++round) {
        progress->in_save = 0;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The child only saves, B then A then B..., until it is killed.
            for (int k = 0;; ++k) {
                const bool b = k % 2 == 0;
                progress->in_save.store(b ? 2 : 1);
                save_list_file(b ? version_b : version_a, file_);
                progress->in_save.store(0);
                progress->saves_done.fetch_add(1);
            }
        }
        if (round % 2 == 0) {
            std::this_thread::sleep_for(Clock::duration(delay(random)));
        } else {
            const auto give_up = Clock::now() + std::chrono::seconds(2);
            while (!temporary_exists() && Clock::now() < give_up)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            std::this_thread::sleep_for(Clock::duration(delay_in_write(random)));
        }
        const bool was_saving = progress->in_save.load() != 0;
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        inside_save += was_saving;
        bool partial = false;
        left_temporary += remove_leftovers(partial) > 0;
        left_partial += partial;

        Bytes on_disk;
        ASSERT_TRUE(read_file(file_, on_disk)) << "round " << round << ": no list file";
        const bool is_a = on_disk == bytes_a;
        const bool is_b = on_disk == bytes_b;
        ASSERT_TRUE(is_a || is_b) << "round " << round << ": " << on_disk.size()
                                  << " bytes on disk, neither version (" << bytes_a.size() << " or "
                                  << bytes_b.size() << ")";
        whole_a += is_a;
        whole_b += is_b;
    }

    // What is on disk also loads as a whole table.
    EXPECT_EQ(parse_list_file(bytes_a).size(), static_cast<size_t>(kRows));
    EXPECT_EQ(parse_list_file(bytes_b).size(), static_cast<size_t>(kRows));

    std::printf(
        "[ kill     ] %d rounds, one save %.0f ms (writing %.0f ms), %d completed saves in all; "
        "kills inside a "
        "save: %d, with a temporary file left: %d (holding bytes: %d); file was version A %d "
        "times, B %d times\n",
        kRounds, std::chrono::duration<double, std::milli>(save_time).count(),
        std::chrono::duration<double, std::milli>(write_time).count(), progress->saves_done.load(),
        inside_save, left_temporary, left_partial, whole_a, whole_b);
    // The kills must have met saves in progress, or nothing was tested.
    EXPECT_GT(inside_save, 0);
    EXPECT_GT(left_partial, 0);
    ::munmap(progress, sizeof(Progress));
}

}  // namespace
}  // namespace korvane
