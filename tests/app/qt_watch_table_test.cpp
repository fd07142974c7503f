#include "app/qt_watch_table.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <atomic>
#include <thread>

#include "watchlist/watch_table_contract.h"

namespace korvane {
namespace {

struct QtTableFixture : ::testing::Test {
    QtTableFixture() : selection(&model) { model.set_selection_model(&selection); }
    WatchTable& table() { return model; }
    void select(int row) {
        selection.select(model.index(row, 0),
                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    QtWatchTable model;
    QItemSelectionModel selection;
};

using QtTables = ::testing::Types<QtTableFixture>;
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WatchTableContract, QtTables);

TEST(QtWatchTable, OperationsFromAnotherThreadRunOnTheOwnerThread) {
    QtWatchTable model;
    std::atomic<bool> done{false};
    std::atomic<bool> wrong_thread{false};
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&] {
        if (QThread::currentThread() != model.thread()) wrong_thread = true;
    });
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i) {
            const int row = model.insert_row();
            model.set_cell(row, kColSalesNow, std::to_string(i));
        }
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    EXPECT_FALSE(wrong_thread);
    ASSERT_EQ(model.rowCount(), 200);
    EXPECT_EQ(model.get_cell(199, kColSalesNow), "199");
}

TEST(QtWatchTable, ShowsGbkCellsAsUnicodeAndTheIconInColumnZero) {
    QtWatchTable model;
    const int row = model.insert_row();
    model.set_cell(row, kColState, "\xD7\xB4\xCC\xAC\xD5\xFD\xB3\xA3");  // 状态正常 in GBK
    EXPECT_EQ(model.data(model.index(row, kColState), Qt::DisplayRole).toString(),
              QString::fromUtf8("状态正常"));
    EXPECT_FALSE(model.data(model.index(row, 0), Qt::DecorationRole).isValid());
    model.set_row_image(row, 0);
    EXPECT_TRUE(model.data(model.index(row, 0), Qt::DecorationRole).isValid());
    EXPECT_EQ(model.headerData(13, Qt::Horizontal, Qt::DisplayRole).toString(),
              QString::fromUtf8("检测时间"));
}

}  // namespace
}  // namespace korvane
