#include "ui/backgroundjob.h"

#include <QProgressBar>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

#include "ui/messages.h"

namespace lodra {

BackgroundJob::BackgroundJob(int refreshMs, int threads, QObject* parent) : QObject(parent) {
    if (threads > 0) {
        ownPool_ = std::make_unique<QThreadPool>();
        ownPool_->setMaxThreadCount(threads);
    }
    refresh_.setInterval(refreshMs);
    connect(&refresh_, &QTimer::timeout, this, &BackgroundJob::refresh);
    connect(&watcher_, &QFutureWatcher<void>::finished, this, &BackgroundJob::ended);
}

BackgroundJob::~BackgroundJob() {
    cancel_ = true;
    watcher_.waitForFinished();
    delete dialog_.data();
}

void BackgroundJob::start(std::function<void()> work) {
    if (running_) {
        return;
    }
    cancel_ = false;
    failure_ = nullptr;
    running_ = true;
    refresh_.start();
    watcher_.setFuture(QtConcurrent::run(pool(), [this, work = std::move(work)] {
        try {
            work();
        } catch (...) {
            // Read on this job's thread once the watcher says the work has ended.
            failure_ = std::current_exception();
        }
    }));
}

void BackgroundJob::cancel() {
    cancel_ = true;
    emit cancelRequested();
}

void BackgroundJob::stop() {
    if (!running_) {
        return;
    }
    cancel_ = true;
    watcher_.waitForFinished();
    // The finished signal that may still come finds nothing running and is ignored.
    running_ = false;
    refresh_.stop();
    closeProgressDialog();
}

void BackgroundJob::ended() {
    if (!running_) {
        return;
    }
    running_ = false;
    refresh_.stop();
    closeProgressDialog();
    emit finished();
}

void BackgroundJob::showProgressDialog(QWidget* parent, const QString& text, const QString& name,
                                       int delayMs, std::function<std::pair<int, int>()> progress) {
    closeProgressDialog();
    dialog_ = new QProgressDialog(text, QStringLiteral("Avbryt"), 0, 0, parent);
    dialog_->setObjectName(name);
    dialog_->setWindowTitle(kProgramTitle);
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    // The bar is set here, never through the dialog's setValue(), which would show the
    // dialog again after "Avbryt" had hidden it and would run the event loop inside a refresh.
    auto* bar = new QProgressBar(dialog_);
    const auto follow = [bar, progress = std::move(progress)] {
        const auto [done, total] = progress();
        bar->setRange(0, std::max(total, 0));
        bar->setValue(std::clamp(done, 0, std::max(total, 0)));
    };
    bar->setRange(0, 0);
    bar->setValue(0);
    dialog_->setBar(bar);
    // The dialog's own single timer shows it after the delay, unless it was cancelled; it
    // starts again from here while the bar stands at its minimum.
    dialog_->setMinimumDuration(delayMs);
    follow();
    connect(dialog_, &QProgressDialog::canceled, this, &BackgroundJob::cancel);
    connect(this, &BackgroundJob::refresh, bar, follow);
}

void BackgroundJob::closeProgressDialog() {
    delete dialog_.data();
}

}  // namespace lodra
