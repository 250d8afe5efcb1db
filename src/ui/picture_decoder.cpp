#include "ui/picture_decoder.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMetaObject>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <utility>

#include "readers/picture_loader.h"

namespace dw::ui {

namespace {

// How often an answer that has to wait asks again.
constexpr int retryMilliseconds = 50;

// Decodes have threads of their own: the window's drawing splits its work
// over Qt's global pool and waits for it, so a decode there could hold the
// window up. Two threads let the newest picture start beside a superseded
// one that is still being read. The pool goes with the application, which
// waits for the decodes still running.
QThreadPool& decodingPool()
{
    static QThreadPool* const pool = [] {
        auto* made = new QThreadPool(QCoreApplication::instance());
        made->setMaxThreadCount(2);
        return made;
    }();
    return *pool;
}

}  // namespace

// What a pool thread shares with the decoder: which request is the newest,
// and whether the decoder is still there to be answered.
struct PictureDecoder::Channel {
    std::mutex mutex;
    PictureDecoder* decoder;  // null once the decoder is gone
    std::atomic<unsigned> newest{0};
};

PictureDecoder::PictureDecoder() : channel_(std::make_shared<Channel>()) { channel_->decoder = this; }

PictureDecoder::~PictureDecoder()
{
    {
        const std::lock_guard lock(channel_->mutex);
        channel_->decoder = nullptr;
    }
    setBusy(false);
}

void PictureDecoder::decode(const std::string& name, Answer answer)
{
    const unsigned request = ++newest_;
    channel_->newest = request;
    setBusy(true);
    decodingPool().start([channel = channel_, request, name, answer = std::move(answer)] {
        // A request superseded before its turn is not decoded at all.
        if (channel->newest != request) return;
        auto picture = std::make_shared<Result<Bitmap>>(loadPicture(name));
        // The decoder cannot go while its answer is being posted; once gone,
        // Qt drops what was posted to it.
        const std::lock_guard lock(channel->mutex);
        PictureDecoder* decoder = channel->decoder;
        if (!decoder || channel->newest != request) return;
        QMetaObject::invokeMethod(
            decoder, [decoder, done = Done{request, name, picture, answer}] { decoder->deliver(done); },
            Qt::QueuedConnection);
    });
}

void PictureDecoder::deliver(const Done& done)
{
    if (done.request != newest_) return;
    if (mayAnswer && !mayAnswer()) {
        QTimer::singleShot(retryMilliseconds, this, [this, done] { deliver(done); });
        return;
    }
    done.answer(done.name, std::move(*done.picture));
    if (done.request == newest_) setBusy(false);
}

void PictureDecoder::cancel()
{
    channel_->newest = ++newest_;
    setBusy(false);
}

void PictureDecoder::setBusy(bool busy)
{
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}

}  // namespace dw::ui
