// The process-wide libcurl state: global initialisation and one share handle through which
// every transfer of the process reuses kept-alive connections, DNS answers and TLS sessions.
#pragma once

#include <curl/curl.h>

namespace korvane {

// Initialises libcurl once (thread-safe) and returns the shared handle, or null when libcurl
// could not be initialised. The handle lives until the process ends.
CURLSH* curl_shared_cache();

}  // namespace korvane
