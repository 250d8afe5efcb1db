#pragma once
// Live conversions off the window's thread. One worker converts the newest
// input handed to it; an input it has not started yet is replaced by a newer
// one, and a result reaches the window, on the window's thread, only when no
// newer input was started and nothing was cancelled since. Handing over
// never waits for a conversion; the runner's end waits for the one under way.

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/live_run.h"

namespace dw::ui {

class LiveRunner : public QObject {
public:
    using Delivery = std::function<void(const LiveResult&)>;
    explicit LiveRunner(Delivery deliver);
    ~LiveRunner() override;
    LiveRunner(const LiveRunner&) = delete;
    LiveRunner& operator=(const LiveRunner&) = delete;

    void start(std::unique_ptr<LiveInput> input);
    // Whatever is waiting or under way is not delivered.
    void cancel();

private:
    void work();

    Delivery deliver_;
    uint64_t newest_ = 0;  // the window's thread only
    std::mutex mutex_;
    std::condition_variable wake_;
    std::unique_ptr<LiveInput> waiting_;
    uint64_t waitingGeneration_ = 0;
    bool stopping_ = false;
    std::thread worker_;  // last, so it starts once the rest is made
};

}  // namespace dw::ui
