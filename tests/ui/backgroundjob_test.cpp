// Background work with its progress and "Avbryt": the dialog shows once at most, after its
// delay, and never again after "Avbryt"; the job's end is told once, or not at all when it
// was stopped; what escaped the work is handed back. The work is held on a semaphore, so
// that neither the machine's load nor a timer decides the outcome.

#include <QProgressBar>
#include <QSemaphore>
#include <QtTest>
#include <stdexcept>

#include "tests/ui/uitest.h"
#include "ui/backgroundjob.h"

using lodra::BackgroundJob;

namespace {

constexpr int kRefreshMs = 10;

// Waits until the job has refreshed count times more.
bool refreshes(BackgroundJob& job, int count) {
    QSignalSpy refreshed(&job, &BackgroundJob::refresh);
    return QTest::qWaitFor([&] { return refreshed.size() >= count; }, 20000);
}

}  // namespace

class BackgroundJobTest : public QObject {
    Q_OBJECT

  private slots:
    // However the job ends, the dialog was shown once, and is gone at the end; "Avbryt"
    // hides it for good even while the work goes on and the bar is refreshed.
    void progressDialogShowsOnceAtMost() {
        QFETCH(int, delayMs);
        QFETCH(bool, avbryt);
        QFETCH(int, shown);
        QFETCH(bool, cancelled);
        QWidget parent;
        parent.show();
        BackgroundJob job(kRefreshMs, 1);
        QSemaphore release;
        job.start([&release] { release.acquire(); });
        job.showProgressDialog(&parent, QStringLiteral("Arbetet pågår."),
                               QStringLiteral("jobProgress"), delayMs, [] {
                                   return std::pair{5, 10};
                               });
        uitest::ProgressWatcher watcher;
        QSignalSpy finished(&job, &BackgroundJob::finished);
        auto* dialog = parent.findChild<QProgressDialog*>(QStringLiteral("jobProgress"));
        QVERIFY(dialog != nullptr);
        if (shown > 0) {
            QVERIFY(QTest::qWaitFor([&] { return dialog->isVisible(); }, 20000));
        }
        if (avbryt) {
            QTest::mouseClick(dialog->findChild<QPushButton*>(), Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
        }
        QVERIFY(refreshes(job, 3));
        QCOMPARE(dialog->findChild<QProgressBar*>()->value(), 5);
        QCOMPARE(dialog->findChild<QProgressBar*>()->maximum(), 10);
        release.release();
        QVERIFY(finished.wait(20000));
        QCOMPARE(watcher.shown, shown);
        QCOMPARE(job.wasCancelled(), cancelled);
        QCOMPARE(finished.size(), 1);
        QVERIFY(parent.findChild<QProgressDialog*>() == nullptr);
        QVERIFY(!job.isRunning());
    }
    void progressDialogShowsOnceAtMost_data() {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("avbryt");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("ends before the delay") << 600000 << false << 0 << false;
        QTest::newRow("runs past the delay") << 0 << false << 1 << false;
        QTest::newRow("Avbryt, refreshed after it") << 0 << true << 1 << true;
    }

    // stop() waits for the work and tells no end; the job can start again.
    void stoppedJobTellsNoEnd() {
        BackgroundJob job(kRefreshMs);
        QSignalSpy finished(&job, &BackgroundJob::finished);
        std::atomic<bool>* cancel = job.cancelFlag();
        bool sawCancel = false;
        job.start([&] {
            while (!cancel->load()) {
                QThread::yieldCurrentThread();
            }
            sawCancel = true;
        });
        QVERIFY(job.isRunning());
        job.stop();
        QVERIFY(sawCancel);
        QVERIFY(!job.isRunning());
        QTest::qWait(3 * kRefreshMs);
        QCOMPARE(finished.size(), 0);

        int ran = 0;
        job.start([&ran] { ++ran; });
        QVERIFY(!job.wasCancelled());
        QVERIFY(finished.wait(20000));
        QCOMPARE(ran, 1);
        QCOMPARE(finished.size(), 1);
    }

    // What escaped the work comes back with the end; the next work starts without it.
    void failureOfTheWorkComesBack() {
        BackgroundJob job(kRefreshMs);
        QSignalSpy finished(&job, &BackgroundJob::finished);
        job.start([] { throw std::runtime_error("slut på minne"); });
        QVERIFY(finished.wait(20000));
        QVERIFY(job.failure() != nullptr);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, std::rethrow_exception(job.failure()));
        job.start([] {});
        QVERIFY(finished.wait(20000));
        QVERIFY(job.failure() == nullptr);
    }
};

QTEST_MAIN(BackgroundJobTest)
#include "backgroundjob_test.moc"
