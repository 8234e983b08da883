#include "app/qt_executor.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <numeric>
#include <thread>
#include <vector>

#include "app/tests/support.hpp"

namespace kestrel {
namespace {

TEST(QtExecutor, RunsTasksFromAnyThreadOnTheMainThreadInOrder) {
  testing::qtApplication();
  QtExecutor executor;
  constexpr int threads = 4, tasks = 200;
  std::vector<std::vector<int>> ran(threads);  // touched only on the main thread
  int offMain = 0;
  QThread* const main = QThread::currentThread();
  std::vector<std::thread> posters;
  for (int t = 0; t < threads; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < tasks; ++i) {
        executor.post([&, t, i] {
          if (QThread::currentThread() != main) ++offMain;
          ran[t].push_back(i);
        });
      }
    });
  }
  for (auto& p : posters) p.join();
  testing::eventually([&] { return std::all_of(ran.begin(), ran.end(), [](auto& r) { return r.size() == std::size_t{tasks}; }); });
  std::vector<int> expected(tasks);
  std::iota(expected.begin(), expected.end(), 0);
  for (const auto& r : ran) EXPECT_EQ(r, expected);
  EXPECT_EQ(offMain, 0);
}

TEST(QtExecutor, PostReturnsBeforeTheTaskRunsAndDropsWhatIsLeftAtTheEnd) {
  testing::qtApplication();
  int runs = 0;
  {
    QtExecutor executor;
    executor.post([&] { ++runs; });
    EXPECT_EQ(runs, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    executor.post([&] { ++runs; });
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace kestrel
