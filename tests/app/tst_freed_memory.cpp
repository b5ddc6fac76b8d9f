// Freed heap pages go back to the system on a thread of their own, once a burst of work has been quiet: the
// heap is locked while they go, and whoever allocates meanwhile waits.
#include "FreedMemory.h"

#include <QTest>
#include <QThread>

#include <atomic>

using namespace nimbra;
using namespace std::chrono_literals;

class TestFreedMemory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aBurstIsOneReleaseOffTheCallingThread() {
        std::atomic<int> releases = 0;
        std::atomic<bool> onCaller = false;
        QThread* const caller = QThread::currentThread();
        FreedMemoryReleaser releaser(
            [&] {
                onCaller = onCaller || QThread::currentThread() == caller;
                ++releases;
            },
            300ms);
        for (int i = 0; i < 5; ++i)
            releaser.request();
        QCOMPARE(releases, 0);
        QTRY_COMPARE(releases, 1);
        QVERIFY(!onCaller);
        // Still there for the next burst.
        releaser.request();
        QTRY_COMPARE(releases, 2);
        QTest::qWait(400);
        QCOMPARE(releases, 2);
    }

    void goneBeforeItsQuietDropsTheRelease() {
        std::atomic<int> releases = 0;
        {
            FreedMemoryReleaser releaser([&] { ++releases; }, 10s);
            releaser.request();
        }
        QCOMPARE(releases, 0);
        // Never asked: no thread to stop.
        FreedMemoryReleaser idle([] {}, 1ms);
    }

    void theProcessWideReleaserEndsWithTheProcess() {
        // Its thread is stopped by the static that owns it, with a release still waiting.
        releaseFreedMemorySoon();
        releaseFreedMemorySoon();
    }
};

QTEST_GUILESS_MAIN(TestFreedMemory)
#include "tst_freed_memory.moc"
