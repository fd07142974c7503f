#include "watchlist/list_file.h"

#include <gtest/gtest.h>
#include <memory>

#include <filesystem>
#include <fstream>
#include <functional>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "files/file_io.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "watchlist/memory_watch_table.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

const Text& sep() {
    return gbk("-QXT分割-");
}
const Text& term() {
    return gbk("=QXT分割=");
}

// A record written the way the file format lays it out, fields given without prefix.
Text record(const std::vector<Text>& fields, bool terminated = true) {
    Text out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += sep();
        out += "{Vek}" + fields[i];
    }
    return terminated ? out + term() : out;
}

std::vector<Text> fields13(const Text& tag) {
    std::vector<Text> f;
    for (int k = 1; k <= 13; ++k)
        f.push_back(tag + std::to_string(k));
    return f;
}

WatchEntry entry_of(const std::vector<Text>& fields) {
    WatchEntry e;
    for (int k = 1; k <= 13; ++k)
        e.cells[k] = fields[k - 1];
    return e;
}

class ListFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_ = std::make_unique<test::TempDir>("list");
        dir_ = temp_->path();
    }
    void TearDown() override { temp_.reset(); }
    fs::path file() const { return dir_ / kListFileName; }

    const MemoryWatchTable& load(const Bytes& bytes) {
        std::ofstream(file(), std::ios::binary) << bytes;
        NoEventPump events;
        load_list_file(loaded_, file(), events);
        return loaded_;
    }

    std::unique_ptr<test::TempDir> temp_;
    fs::path dir_;
    MemoryWatchTable loaded_;
};

TEST_F(ListFileTest, SavesTheExactGrammar) {
    MemoryWatchTable table;
    table.append_rows({entry_of(fields13("a")), entry_of(fields13("b"))});
    table.set_cell(0, kColNumber, "99");  // column 0 is never saved
    const Bytes expected = record(fields13("a")) + record(fields13("b"));
    EXPECT_EQ(list_file_bytes(table), expected);
    ASSERT_TRUE(save_list_file(table, file()));
    Bytes on_disk;
    ASSERT_TRUE(read_file(file(), on_disk));
    EXPECT_EQ(on_disk, expected);
}

TEST_F(ListFileTest, EmptyTableIsAZeroByteFileAndLoadsNothing) {
    MemoryWatchTable empty;
    ASSERT_TRUE(save_list_file(empty, file()));
    EXPECT_EQ(fs::file_size(file()), 0u);
    EXPECT_EQ(load("").row_count(), 0);
}

TEST_F(ListFileTest, RoundTripKeepsCellsAndNumbersRowsFromOne) {
    MemoryWatchTable table;
    std::vector<Text> chinese = fields13(gbk("商品"));
    chinese[11] = gbk("优惠券不存在,或领光");
    table.append_rows({entry_of(std::vector<Text>(13)), entry_of(chinese)});
    ASSERT_TRUE(save_list_file(table, file()));

    MemoryWatchTable loaded;
    NoEventPump events;
    load_list_file(loaded, file(), events);
    ASSERT_EQ(loaded.row_count(), 2);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(loaded.get_cell(row, kColNumber), std::to_string(row + 1));
        EXPECT_EQ(loaded.row_image(row), 0);
        for (int c = 1; c <= 13; ++c) {
            EXPECT_EQ(loaded.get_cell(row, c), table.get_cell(row, c)) << row << "," << c;
        }
    }
}

TEST_F(ListFileTest, MalformedRecordsAreSkippedAndLeaveGapsInTheNumbers) {
    std::vector<Text> twelve = fields13("x");
    twelve.pop_back();
    std::vector<Text> fourteen = fields13("c");
    fourteen.push_back("extra");
    const MemoryWatchTable& t =
        load(record(fields13("a")) + record(twelve) + record(fourteen) + record({"lonely"}));
    ASSERT_EQ(t.row_count(), 2);
    EXPECT_EQ(t.get_cell(0, kColNumber), "1");
    EXPECT_EQ(t.get_cell(0, 13), "a13");
    EXPECT_EQ(t.get_cell(1, kColNumber), "3");
    EXPECT_EQ(t.get_cell(1, 13), "c13");  // the 14th field is ignored
}

TEST_F(ListFileTest, LastRecordWithoutTerminatorStillLoads) {
    const MemoryWatchTable& t = load(record(fields13("a")) + record(fields13("b"), false));
    ASSERT_EQ(t.row_count(), 2);
    EXPECT_EQ(t.get_cell(1, 1), "b1");
}

TEST_F(ListFileTest, PrefixInsideACellIsLostInAnyLetterCase) {
    std::vector<Text> f = fields13("v");
    f[1] = "a{Vek}b{vEK}c";
    const MemoryWatchTable& t = load(record(f));
    ASSERT_EQ(t.row_count(), 1);
    EXPECT_EQ(t.get_cell(0, 2), "abc");
}

TEST_F(ListFileTest, ZeroByteEndsTheFile) {
    const MemoryWatchTable& t =
        load(record(fields13("a")) + Bytes(1, '\0') + record(fields13("b")));
    ASSERT_EQ(t.row_count(), 1);
    EXPECT_EQ(t.get_cell(0, 1), "a1");
}

TEST_F(ListFileTest, JunkNeverCrashesAndKeepsWellFormedRecords) {
    // Junk bytes, a lone lead byte at the very end, a record of 40 fields.
    std::vector<Text> forty;
    for (int i = 0; i < 40; ++i)
        forty.push_back("f" + std::to_string(i));
    Bytes junk = "\xff\x80\x01garbage{Vek}" + sep() + sep() + term();
    const MemoryWatchTable& t = load(junk + record(forty) + record(fields13("z")) + "\xD4");
    ASSERT_EQ(t.row_count(), 2);
    EXPECT_EQ(t.get_cell(0, 1), "f0");
    EXPECT_EQ(t.get_cell(0, 13), "f12");
    EXPECT_EQ(t.get_cell(1, kColNumber), "3");
}

TEST_F(ListFileTest, MissingFileAddsNothing) {
    MemoryWatchTable table;
    NoEventPump events;
    load_list_file(table, dir_ / "absent.db", events);
    EXPECT_EQ(table.row_count(), 0);
}

// A save that cannot complete (no room for the new bytes, or a directory that refuses new
// files) leaves the old file whole and no temporary file behind.
class FailedSaveTest : public ListFileTest {
  protected:
    void expect_old_file_survives(const std::function<bool(const MemoryWatchTable&)>& save) {
        MemoryWatchTable table;
        table.append_rows({entry_of(fields13("old"))});
        ASSERT_TRUE(save_list_file(table, file()));
        Bytes before;
        ASSERT_TRUE(read_file(file(), before));

        std::vector<WatchEntry> many(2000, entry_of(fields13("new")));
        table.append_rows(many);
        EXPECT_FALSE(save(table));

        Bytes after;
        ASSERT_TRUE(read_file(file(), after));
        EXPECT_EQ(after, before);
        int files = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_))
            ++files;
        EXPECT_EQ(files, 1) << "no temporary file is left behind";
    }
};

TEST_F(FailedSaveTest, WhenTheDiskRefusesTheBytes) {
    expect_old_file_survives([this](const MemoryWatchTable& table) {
        // A file-size limit makes the write fail part-way, as a full disk would.
        struct rlimit old_limit {};
        getrlimit(RLIMIT_FSIZE, &old_limit);
        struct rlimit small = old_limit;
        small.rlim_cur = 4096;
        auto* old_handler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        const bool ok = save_list_file(table, file());
        setrlimit(RLIMIT_FSIZE, &old_limit);
        std::signal(SIGXFSZ, old_handler);
        return ok;
    });
}

TEST_F(FailedSaveTest, WhenTheDirectoryIsReadOnly) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores directory permissions";
    expect_old_file_survives([this](const MemoryWatchTable& table) {
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        const bool ok = save_list_file(table, file());
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        return ok;
    });
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

// The cuts the loader makes in place must equal cutting with text_split: a reference over
// random mixes of markers, GBK characters, lone lead bytes and junk.
TEST(ParseListFile, CutsExactlyAsSplittingTheTextWould) {
    const auto reference = [](const Text& text) {
        std::vector<WatchEntry> out;
        const TextList records = text_split(text, gbk("=QXT分割="));
        for (size_t i = 0; i < records.size(); ++i) {
            const TextList fields = text_split(records[i], gbk("-QXT分割-"));
            if (fields.size() < 13) continue;
            WatchEntry& e = out.emplace_back();
            e.cells[0] = std::to_string(i + 1);
            for (int k = 0; k < 13; ++k)
                e.cells[k + 1] = text_replace(fields[k], "{Vek}");
        }
        return out;
    };
    const Text pieces[] = {gbk("=QXT分割="), gbk("-QXT分割-"), "{Vek}", "{vEK}", "{", "a",
                           gbk("分"),        "\x81",           "\x81=", "=",     "-", "Q"};
    uint32_t seed = 12345;
    for (int round = 0; round < 3000; ++round) {
        Text text;
        const int n = static_cast<int>((seed = seed * 1103515245 + 12345) % 80);
        for (int i = 0; i < n; ++i) {
            seed = seed * 1103515245 + 12345;
            text += pieces[(seed >> 8) % std::size(pieces)];
        }
        const auto got = parse_list_file(text);
        const auto want = reference(text);
        ASSERT_EQ(got.size(), want.size()) << round;
        for (size_t r = 0; r < got.size(); ++r)
            ASSERT_EQ(got[r].cells, want[r].cells) << round;
    }
}

}  // namespace
}  // namespace korvane
