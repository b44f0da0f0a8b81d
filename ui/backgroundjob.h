#pragma once

// Work that runs on another thread while the windows stay responsive: started, followed,
// stopped with "Avbryt" and finished in one place for every window that runs such work.

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>

class QProgressBar;
class QProgressDialog;
class QWidget;

namespace lodra {

class BackgroundJob : public QObject {
    Q_OBJECT

  public:
    // threads: how many threads of its own the job's work gets; 0 runs it on the shared pool.
    explicit BackgroundJob(int refreshMs, int threads = 0, QObject* parent = nullptr);
    // Asks the work to stop and waits until it has returned: it reads what its owner holds.
    ~BackgroundJob() override;

    // Runs work in the background, unless some runs already. What the work gives back it
    // leaves where its owner reads it after finished().
    void start(std::function<void()> work);
    bool isRunning() const { return running_; }
    // Asks the work to stop at its next check; finished() follows once it has returned.
    void cancel();
    bool wasCancelled() const { return cancel_; }
    // What the work checks to know that it is asked to stop.
    std::atomic<bool>* cancelFlag() { return &cancel_; }
    // Stops the work and waits for it; finished() does not come for it.
    void stop();
    // What escaped the work of the job that finished; null when the work returned.
    std::exception_ptr failure() const { return failure_; }
    // Where the work runs.
    QThreadPool* pool() { return ownPool_ ? ownPool_.get() : QThreadPool::globalInstance(); }

    // A modal dialog with the job's progress and "Avbryt", shown once the work has run for
    // delayMs unless it ended or was stopped before; "Avbryt" stops the job and hides the
    // dialog for good. progress gives (done, total) at each refresh; a total of 0 shows a
    // busy bar. The dialog goes when the job ends.
    void showProgressDialog(QWidget* parent, const QString& text, const QString& name, int delayMs,
                            std::function<std::pair<int, int>()> progress);
    // Takes the dialog away while the work goes on.
    void closeProgressDialog();

  signals:
    // Every refresh interval while the work runs.
    void refresh();
    // cancel() was called: for work that is told to stop through a flag of its own.
    void cancelRequested();
    // The work has returned, by itself or after cancel(); not after stop().
    void finished();

  private:
    void ended();

    std::unique_ptr<QThreadPool> ownPool_;
    QFutureWatcher<void> watcher_;
    QTimer refresh_;
    std::atomic<bool> cancel_{false};
    std::exception_ptr failure_;
    bool running_ = false;
    QPointer<QProgressDialog> dialog_;
};

}  // namespace lodra
