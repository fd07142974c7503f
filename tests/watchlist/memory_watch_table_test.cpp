#include "watchlist/memory_watch_table.h"

#include "watchlist/watch_table_contract.h"

namespace korvane {
namespace {

struct MemoryTableFixture : ::testing::Test {
    WatchTable& table() { return t; }
    void select(int row) { t.select_row(row); }
    MemoryWatchTable t;
};

using MemoryTables = ::testing::Types<MemoryTableFixture>;
INSTANTIATE_TYPED_TEST_SUITE_P(Memory, WatchTableContract, MemoryTables);

}  // namespace
}  // namespace korvane
