// Run-time defaults of the sanitizer build, compiled into each of its programs so that they hold
// however a program is started: by tools/run-tests.sh, by ctest, or by hand. Options given in the
// environment still come after these and win.
//
// intercept_tls_get_addr=0. GCC 12's sanitizer runtime watches __tls_get_addr to learn where each
// thread's dynamic thread-local blocks lie, so that the leak check can scan them. A block whose
// address lies 16 bytes past a page boundary it takes for one with the header that glibc before
// 2.25 put in front of each block, and it reads the block's range from the two words before it.
// glibc 2.36 puts no header there: it allocates the block with malloc, and the 8-byte block of
// libjpeg (loaded at run time by Qt's JPEG plugin to decode the backgrounds) comes from the
// sanitizer's allocator at just such an address. The leak check then scans a nonsense range at exit
// and dies of a segmentation fault. Without the interceptor the leak check still sees what dynamic
// thread-local storage holds: the blocks are allocated by the dynamic linker, and the leak check
// keeps every allocation of the dynamic linker as a root that it scans (use_ld_allocations).

extern "C" const char* __asan_default_options();

extern "C" const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}
