// An Mp4Writer on a thread of its own behind a short queue, so whoever hands in pictures never
// waits for the encoder or the disk: a picture that finds the queue full is refused at once.
#pragma once

#include "video/mp4_writer.h"

#include <QImage>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace quelmar {

class QueuedMp4Writer {
public:
    static constexpr std::size_t kDefaultCapacity = 6;
    // The writer thread's scheduling niceness (the threads that show pictures keep 0).
    static constexpr int kNiceness = 5;
    // Called once on the writer's thread when the file is finished (or failed for good),
    // before finish() returns.
    using Finished = std::function<void(bool ok, const QString &error)>;

    // Opens the file here, so a failure is known at once; the thread then owns the writer.
    static std::unique_ptr<QueuedMp4Writer> create(const QString &path,
                                                   const Mp4WriterSettings &settings,
                                                   std::size_t capacity = kDefaultCapacity,
                                                   QString *error = nullptr);
    ~QueuedMp4Writer(); // finishes the file and waits for it
    QueuedMp4Writer(const QueuedMp4Writer &) = delete;
    QueuedMp4Writer &operator=(const QueuedMp4Writer &) = delete;

    // Queues a picture for `pts`; false (the picture dropped) when the queue is full, the
    // writer is finishing or a write has failed. Never blocks on the encoder.
    bool offer(QImage picture, std::int64_t pts);
    // The pictures queued so far are written, then the file is finished; returns at once.
    // `onFinished` (optional) is called on the writer's thread afterwards.
    void requestFinish(Finished onFinished = {});
    // requestFinish() and then waits until the file is finished. The result of the finish.
    bool finish(QString *error = nullptr);

    // A write failed (a full disk, a removed medium): nothing more reaches the file.
    bool failed() const;

    const QString &path() const { return path_; }
    std::int64_t framesWritten() const;
    std::int64_t framesDropped() const;

private:
    struct Item {
        QImage picture;
        std::int64_t pts;
    };
    QueuedMp4Writer(QString path, std::unique_ptr<Mp4Writer> writer, std::size_t capacity);
    void run();

    const QString path_;
    const std::size_t capacity_;
    std::unique_ptr<Mp4Writer> writer_; // used only on the thread once it runs

    mutable std::mutex mutex_; // guards everything below up to the thread
    std::condition_variable wake_;
    std::deque<Item> queue_;
    bool finishing_ = false;
    bool done_ = false;
    bool failed_ = false;
    bool ok_ = false;
    QString error_;
    Finished onFinished_;
    std::int64_t written_ = 0;
    std::int64_t dropped_ = 0;

    std::thread thread_; // last: started once the rest exists; joined in the destructor
};

} // namespace quelmar
