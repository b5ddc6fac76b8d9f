#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>

#include <thread>
#include <utility>

namespace nimbra {

// Runs `work` on a thread of its own and hands what it returns to `done` on `context`'s thread, unless
// `context` is gone by then: for one-off work that would hold up the GUI thread (starting a process,
// rendering a picture).
template <typename Result, typename Work, typename Done>
void runAside(QObject* context, Work work, Done done) {
    QPromise<Result> promise;
    auto* watcher = new QFutureWatcher<Result>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->result());
    });
    watcher->setFuture(promise.future());
    std::thread([promise = std::move(promise), work = std::move(work)]() mutable {
        promise.start();
        promise.addResult(work());
        promise.finish();
    }).detach();
}

} // namespace nimbra
