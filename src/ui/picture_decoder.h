#pragma once
// Pictures decoded on threads of their own, so that the window keeps
// painting and answering while a large one is read. Only the newest request
// is answered: a request supersedes any still running, whose result is
// dropped. Answers come on the window's thread, from its event loop, never
// while `mayAnswer` says no and never after the decoder is gone. The busy
// cursor shows from a request until its answer.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "base/bitmap.h"
#include "base/result.h"

namespace dw::ui {

class PictureDecoder : public QObject {
public:
    using Answer = std::function<void(std::string name, Result<Bitmap> picture)>;

    PictureDecoder();
    ~PictureDecoder() override;
    PictureDecoder(const PictureDecoder&) = delete;
    PictureDecoder& operator=(const PictureDecoder&) = delete;

    // Decodes the picture `name` as the preparation would and hands it to
    // `answer`, unless another request or cancel() comes first.
    void decode(const std::string& name, Answer answer);
    // Drops the answer of the running request, if any.
    void cancel();
    bool busy() const { return busy_; }
    // While this says no, a finished decode waits to be answered.
    std::function<bool()> mayAnswer;

private:
    struct Channel;
    struct Done {
        unsigned request;
        std::string name;
        std::shared_ptr<Result<Bitmap>> picture;
        Answer answer;
    };

    void deliver(const Done& done);

    void setBusy(bool busy);

    std::shared_ptr<Channel> channel_;
    unsigned newest_ = 0;
    bool busy_ = false;
};

}  // namespace dw::ui
