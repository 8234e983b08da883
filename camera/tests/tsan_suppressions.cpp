// Under ThreadSanitizer: reports that come from libraries built without it, which it cannot
// see through. OpenCV's image codecs start GDAL, whose own two mutexes look like a lock-order
// inversion from outside.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions();
extern "C" const char* __tsan_default_suppressions() { return "deadlock:libgdal.so\n"; }
#endif
