// Test support: the loopback HTTP server and in-memory doubles of the host window.
#pragma once

#include "support/host_doubles.h"
#include "support/loopback_server.h"
