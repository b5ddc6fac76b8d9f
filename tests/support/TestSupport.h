#pragma once

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>
#include <optional>

namespace nimbra::testing {

// A file of the project's own test data folder.
inline QString testDataPath(const QString& relative) {
#ifdef NIMBRA_TEST_DATA
    return QDir(QStringLiteral(NIMBRA_TEST_DATA)).filePath(relative);
#else
    return relative;
#endif
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Reads a file of the test data folder into the new constant `variable`. Data a test needs is part of the
// project: a missing or empty file fails the test, it never skips it.
#define NIMBRA_READ_TEST_DATA(variable, relative)                                                            \
    const QByteArray variable = ::nimbra::testing::readFile(::nimbra::testing::testDataPath(relative));      \
    QVERIFY2(!variable.isEmpty(),                                                                            \
             qPrintable(QStringLiteral("missing test data: ") + ::nimbra::testing::testDataPath(relative)))

namespace detail {
template <typename T> struct TaskOutcome {
    std::optional<T> value;
    bool done = false;
    QPointer<QEventLoop> loop;
};

template <typename T>
QCoro::Task<void> collect(QCoro::Task<T> task, std::shared_ptr<TaskOutcome<T>> outcome) {
    outcome->value = co_await task;
    outcome->done = true;
    if (outcome->loop)
        outcome->loop->quit();
}
} // namespace detail

// Runs the event loop until the task has finished, at most `limit`; nothing when it did not finish in time
// (the test then fails instead of hanging).
template <typename T>
std::optional<T> runTask(QCoro::Task<T> task, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    auto outcome = std::make_shared<detail::TaskOutcome<T>>();
    auto collector = detail::collect(std::move(task), outcome);
    if (!outcome->done) {
        QEventLoop loop;
        outcome->loop = &loop;
        QTimer::singleShot(limit, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return outcome->done ? std::move(outcome->value) : std::nullopt;
}

} // namespace nimbra::testing
