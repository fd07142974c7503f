#include "web/curl_transfer_pool.h"

#include <mutex>
#include <vector>

namespace korvane {
namespace {

// Two threads issue requests; a few more slots cover a lent object kept by a caller.
constexpr size_t kMaxIdle = 8;

struct Pool {
    std::mutex mutex;
    std::vector<CurlTransfer*> idle;
};

Pool& pool() {
    // Never destroyed: requests may still end on other threads while statics go away.
    static Pool* const instance = new Pool;
    return *instance;
}

}  // namespace

void TransferReturn::operator()(CurlTransfer* transfer) const {
    Pool& p = pool();
    {
        std::lock_guard lock(p.mutex);
        if (p.idle.size() < kMaxIdle) {
            p.idle.push_back(transfer);
            return;
        }
    }
    delete transfer;
}

PooledTransfer acquire_transfer() {
    Pool& p = pool();
    {
        std::lock_guard lock(p.mutex);
        if (!p.idle.empty()) {
            CurlTransfer* transfer = p.idle.back();
            p.idle.pop_back();
            return PooledTransfer(transfer);
        }
    }
    auto* transfer = new CurlTransfer;
    if (!transfer->valid()) {
        delete transfer;
        return nullptr;
    }
    return PooledTransfer(transfer);
}

}  // namespace korvane
