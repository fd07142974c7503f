#include "web/curl_share.h"

#include <mutex>

namespace korvane {
namespace {

// One lock per kind of shared data, so DNS look-ups do not wait for the connection pool.
std::mutex share_locks[CURL_LOCK_DATA_LAST];

void lock_share(CURL*, curl_lock_data data, curl_lock_access, void*) {
    if (data >= 0 && data < CURL_LOCK_DATA_LAST) share_locks[data].lock();
}

void unlock_share(CURL*, curl_lock_data data, void*) {
    if (data >= 0 && data < CURL_LOCK_DATA_LAST) share_locks[data].unlock();
}

CURLSH* create_share() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return nullptr;
    CURLSH* share = curl_share_init();
    if (share == nullptr) return nullptr;
    bool ok = curl_share_setopt(share, CURLSHOPT_LOCKFUNC, lock_share) == CURLSHE_OK &&
              curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, unlock_share) == CURLSHE_OK &&
              curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT) == CURLSHE_OK &&
              curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) == CURLSHE_OK &&
              curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION) == CURLSHE_OK;
    if (!ok) {
        curl_share_cleanup(share);
        return nullptr;
    }
    return share;
}

}  // namespace

CURLSH* curl_shared_cache() {
    // Never cleaned up: transfers may still run on other threads while statics are destroyed.
    static CURLSH* const share = create_share();
    return share;
}

}  // namespace korvane
