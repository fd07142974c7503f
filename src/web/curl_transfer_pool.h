// Idle transfers kept for the next request: creating a libcurl easy and multi handle pair
// costs more than a whole kept-alive loopback request.
#pragma once

#include <memory>

#include "web/curl_transfer.h"

namespace korvane {

struct TransferReturn {
    void operator()(CurlTransfer* transfer) const;
};
using PooledTransfer = std::unique_ptr<CurlTransfer, TransferReturn>;

// An idle transfer or a new one; null when libcurl cannot make one. It goes back to the
// pool when released. Thread-safe.
PooledTransfer acquire_transfer();

}  // namespace korvane
