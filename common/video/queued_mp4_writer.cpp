#include "video/queued_mp4_writer.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quelmar {

std::unique_ptr<QueuedMp4Writer> QueuedMp4Writer::create(const QString &path,
                                                         const Mp4WriterSettings &settings,
                                                         std::size_t capacity, QString *error)
{
    std::unique_ptr<Mp4Writer> writer = Mp4Writer::create(path, settings, error);
    if (!writer)
        return nullptr;
    return std::unique_ptr<QueuedMp4Writer>(
        new QueuedMp4Writer(path, std::move(writer), capacity > 0 ? capacity : 1));
}

QueuedMp4Writer::QueuedMp4Writer(QString path, std::unique_ptr<Mp4Writer> writer,
                                 std::size_t capacity)
    : path_(std::move(path)), capacity_(capacity), writer_(std::move(writer))
{
    thread_ = std::thread([this] { run(); });
}

QueuedMp4Writer::~QueuedMp4Writer()
{
    requestFinish();
    thread_.join();
}

bool QueuedMp4Writer::offer(QImage picture, std::int64_t pts)
{
    {
        std::lock_guard lock(mutex_);
        if (finishing_ || failed_ || queue_.size() >= capacity_) {
            ++dropped_;
            return false;
        }
        queue_.push_back({std::move(picture), pts});
    }
    wake_.notify_all();
    return true;
}

void QueuedMp4Writer::requestFinish(Finished onFinished)
{
    {
        std::lock_guard lock(mutex_);
        if (finishing_)
            return;
        finishing_ = true;
        onFinished_ = std::move(onFinished);
    }
    wake_.notify_all();
}

bool QueuedMp4Writer::finish(QString *error)
{
    requestFinish();
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return done_; });
    if (error)
        *error = error_;
    return ok_;
}

bool QueuedMp4Writer::failed() const
{
    std::lock_guard lock(mutex_);
    return failed_;
}

std::int64_t QueuedMp4Writer::framesWritten() const
{
    std::lock_guard lock(mutex_);
    return written_;
}

std::int64_t QueuedMp4Writer::framesDropped() const
{
    std::lock_guard lock(mutex_);
    return dropped_;
}

void QueuedMp4Writer::run()
{
    // Below the threads that show pictures: when the processor is short, the encoder is the
    // one to wait, and a full queue drops pictures instead of holding up the screen.
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), kNiceness);
    bool failed = false;
    QString problem;
    for (;;) {
        Item item;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return !queue_.empty() || finishing_; });
            if (queue_.empty())
                break; // finishing, and everything queued is written
            item = std::move(queue_.front());
            queue_.pop_front();
        }
        // After a failed write the rest are only taken off the queue.
        if (!failed && !writer_->write(item.picture, item.pts, &problem)) {
            failed = true;
            std::lock_guard lock(mutex_);
            failed_ = true;
            queue_.clear(); // those pictures can no longer reach the file
        } else if (!failed) {
            std::lock_guard lock(mutex_);
            ++written_;
        }
    }
    QString finishProblem;
    const bool finished = writer_->finish(&finishProblem);
    const bool ok = !failed && finished;
    const QString error = failed ? problem : finishProblem;
    Finished report;
    {
        std::lock_guard lock(mutex_);
        report = std::move(onFinished_);
    }
    // Before finish() returns to a waiting caller, so the report is never late.
    if (report)
        report(ok, error);
    {
        std::lock_guard lock(mutex_);
        ok_ = ok;
        error_ = error;
        done_ = true;
    }
    wake_.notify_all();
}

} // namespace quelmar
