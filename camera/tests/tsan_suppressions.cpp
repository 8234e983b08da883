// What the tests need under ThreadSanitizer, which cannot see into libraries built without it.
// - OpenCV hands parts of its work (the dnn layers) to TBB worker threads, whose hand-over the
//   sanitizer cannot see, so every access made on such a thread looks like a race with the
//   thread that asked for the work. Under the sanitizer OpenCV does all its work on the
//   calling thread: the threads left to check are all our own.
// - OpenCV's image codecs start GDAL, whose own two mutexes look like a lock-order inversion
//   from outside.
#if defined(__SANITIZE_THREAD__)
#include <gtest/gtest.h>

#include <opencv2/core/utility.hpp>

extern "C" const char* __tsan_default_suppressions();
extern "C" const char* __tsan_default_suppressions() { return "deadlock:libgdal.so\n"; }

namespace {

class SequentialOpenCv final : public ::testing::Environment {
 public:
  void SetUp() override { cv::setNumThreads(0); }
};

[[maybe_unused]] const ::testing::Environment* const sequentialOpenCv =
    ::testing::AddGlobalTestEnvironment(new SequentialOpenCv);

}  // namespace
#endif
