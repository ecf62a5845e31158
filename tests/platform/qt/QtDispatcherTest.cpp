// The window's dispatcher: calls posted from other threads run on the main thread, in order.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "platform/qt/QtDispatcher.h"

TEST(QtDispatcher, PostedCallsRunOnTheMainThreadInOrderAndDieWithTheDispatcher) {
    auto dispatcher = std::make_unique<platform::TQtDispatcher>();
    const auto mainThread = std::this_thread::get_id();
    std::vector<int> order; // touched on the main thread only
    std::atomic<int> offMain{0};
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i)
            dispatcher->Post([&, i] {
                if (std::this_thread::get_id() != mainThread) ++offMain;
                order.push_back(i);
            });
    });
    worker.join();
    EXPECT_TRUE(order.empty()); // nothing runs before the event loop does
    QElapsedTimer timer;
    timer.start();
    while (order.size() < 100 && timer.elapsed() < 10000)
        QCoreApplication::processEvents();
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_EQ(offMain, 0);

    // Queued, then the dispatcher goes: the call never runs.
    bool ran = false;
    dispatcher->Post([&] { ran = true; });
    dispatcher.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}
