#include "ui/live_runner.h"

#include <utility>

namespace dw::ui {

LiveRunner::LiveRunner(Delivery deliver) : deliver_(std::move(deliver)), worker_([this] { work(); }) {}

// Results posted but not yet taken go with the object.
LiveRunner::~LiveRunner()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_.reset();
    }
    wake_.notify_one();
    worker_.join();
}

void LiveRunner::start(std::unique_ptr<LiveInput> input)
{
    {
        const std::lock_guard lock(mutex_);
        waiting_ = std::move(input);
        waitingGeneration_ = ++newest_;
    }
    wake_.notify_one();
}

void LiveRunner::cancel()
{
    const std::lock_guard lock(mutex_);
    waiting_.reset();
    ++newest_;
}

void LiveRunner::work()
{
    for (;;) {
        std::unique_ptr<LiveInput> input;
        uint64_t generation = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || waiting_; });
            if (stopping_) return;
            input = std::move(waiting_);
            generation = waitingGeneration_;
        }
        auto result = std::make_shared<const LiveResult>(convertLive(*input));
        QMetaObject::invokeMethod(
            this,
            [this, generation, result] {
                if (generation == newest_) deliver_(*result);
            },
            Qt::QueuedConnection);
    }
}

}  // namespace dw::ui
