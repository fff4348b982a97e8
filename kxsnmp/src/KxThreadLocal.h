// Storage class of the library's per-thread state.
#pragma once

// The library's per-thread state (reuse lists, OID cache) is a few pointers: it is reached with
// the initial-exec model, one load instead of a call per access.
#if defined(__GNUC__) || defined(__clang__)
#define KX_FAST_TLS __attribute__((tls_model("initial-exec")))
#else
#define KX_FAST_TLS
#endif
