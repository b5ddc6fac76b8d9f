#pragma once

#include "WeatherWidgetProvider.h"

#include <QObject>
#include <QStringList>
#include <QThreadPool>

namespace nimbra {

// The snapshot as the widget host's runners see it. A reload reads and decodes the file once for all widget
// kinds, on a worker thread, and hands the decoded snapshot to the GUI thread whole; the runners then cut
// their timelines from it without touching the file. The snapshot a read replaces is freed on the worker too.
class SnapshotFeed : public QObject {
    Q_OBJECT
public:
    explicit SnapshotFeed(PayloadLoader load, QObject* parent = nullptr);
    // Waits for a read still running.
    ~SnapshotFeed() override;

    // The snapshot read last; empty before the first read.
    const CachedWeatherPayload& payload() const { return m_payload; }
    // For the runners' provider: the snapshot read last, without reading the file.
    PayloadLoader loader() const;
    int reads() const { return m_reads; }

    // Reads on the calling thread; for start-up, before anything is on screen.
    void readNow();
    // Reads on the worker thread, then announces `kinds` with loaded(). Requests that arrive during a read
    // are gathered into one more read, so a burst of saves costs at most two.
    void request(const QStringList& kinds);

Q_SIGNALS:
    // On the GUI thread, once payload() holds the snapshot read for these kinds.
    void loaded(const QStringList& kinds);

private:
    void startRead();
    void finishRead(CachedWeatherPayload payload);

    PayloadLoader m_load;
    CachedWeatherPayload m_payload;
    QStringList m_waiting;
    QStringList m_reading;
    bool m_busy = false;
    int m_reads = 0;
    QThreadPool m_worker;
};

} // namespace nimbra
