#pragma once

// Marks a hot kernel to be compiled three times, for x86-64-v4 (AVX-512), for x86-64-v3
// (AVX2 and FMA) and for the baseline; the loader picks the one the processor runs best.
// One binary thus runs on every x86-64 machine and uses the widest vectors it has. The
// kernels work sample by sample, so wider vectors give the same results as AVX2; with
// fused multiply-adds the results may differ from the baseline's in the last bits.
// Not under ThreadSanitizer:
// the loader runs the choosing function before the sanitizer's runtime has started,
// and its instrumented entry crashed every program at load time.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
#define CPU_DISPATCHED __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define CPU_DISPATCHED
#endif
