// Test support: the loopback HTTP server and in-memory doubles of the host window.
#pragma once
