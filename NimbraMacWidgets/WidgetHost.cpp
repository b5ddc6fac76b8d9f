#include "WidgetHost.h"

#include "NimbraWidgetBundle.h"
#include "WidgetArrangement.h"
#include "WidgetBoard.h"
#include "WidgetGallery.h"
#include "WidgetWindow.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>

#include <algorithm>

namespace nimbra {
namespace {

Q_LOGGING_CATEGORY(hostLog, NIMBRA_APP_IDENTIFIER ".Widgets")

constexpr int screenMargin = 24;
constexpr int cascadeStep = 32;

QRect primaryArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
}

// A position saved on a screen that is gone now would leave the widget out of reach: bring it onto the
// primary screen. The saved position stays as it was until the user moves the widget.
QPoint onScreen(QPoint position, QSize size) {
    if (QGuiApplication::screenAt(QRect(position, size).center()))
        return position;
    const QRect area = primaryArea();
    return {std::clamp(position.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())),
            std::clamp(position.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height()))};
}

} // namespace

bool widgetsNeedBoard(bool asked, const QString& platformName) {
    return asked || platformName.startsWith(QLatin1String("wayland"));
}

QString WidgetHost::busName() {
    return QStringLiteral(NIMBRA_APP_IDENTIFIER ".Widgets");
}

WidgetHost::WidgetHost(WidgetHostOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_store(m_options.placementsFile),
      m_feed([file = m_options.snapshotFile] { return WeatherCache(file).loadSelected(); }),
      m_provider(std::make_shared<WeatherWidgetProvider>(m_feed.loader(), m_options.clock)),
      m_listener(m_options.snapshotFile, NimbraWidgetBundle::kinds()) {
    for (const QString& kind : NimbraWidgetBundle::kinds()) {
        auto runner = std::make_unique<TimelineRunner>(kind, m_provider, m_options.clock);
        connect(runner.get(), &TimelineRunner::entryChanged, this,
                [this, kind](const WeatherWidgetEntry& entry) {
                    for (WidgetWindow* window : windows()) {
                        if (window->kind() == kind)
                            window->setEntry(entry);
                    }
                });
        m_runners.emplace(kind, std::move(runner));
    }
    // A reload reads the file off the GUI thread; the runners cut their timelines once it is in.
    connect(&m_listener, &WidgetReloadListener::reloadRequested, &m_feed, &SnapshotFeed::request);
    connect(&m_feed, &SnapshotFeed::loaded, this, &WidgetHost::reload);
}

WidgetHost::~WidgetHost() {
    for (const QPointer<WidgetWindow>& window : std::as_const(m_windows))
        delete window;
    delete m_board;
}

void WidgetHost::start() {
    // Read here, before any widget is on screen, so each shows its forecast from its first painting.
    m_feed.readNow();
    for (auto& [kind, runner] : m_runners)
        runner->reload();
    if (m_options.board) {
        m_board = new WidgetBoard;
        connect(m_board, &WidgetBoard::addRequested, this, &WidgetHost::openGallery);
    }
    for (const WidgetPlacement& placement : m_store.load(firstPosition()))
        place(placement);
    // Saved at once, so a first start's widget is there at the next start too.
    save();
    if (m_board)
        m_board->show();
    m_listener.watchSnapshotFolder();
    if (!m_listener.listenOn(QDBusConnection::sessionBus()))
        qCInfo(hostLog) << "No session bus; widgets follow the snapshot file's folder only";
}

const TimelineRunner* WidgetHost::runner(const QString& kind) const {
    const auto it = m_runners.find(kind);
    return it == m_runners.end() ? nullptr : it->second.get();
}

WidgetBoard* WidgetHost::board() const {
    return m_board;
}

QList<WidgetWindow*> WidgetHost::windows() const {
    QList<WidgetWindow*> out;
    for (const QPointer<WidgetWindow>& window : m_windows) {
        if (window)
            out.append(window);
    }
    return out;
}

void WidgetHost::ShowWidgets() {
    if (m_placements.isEmpty())
        addWidget(WidgetPlacements::firstPlacement({}).kind, WidgetPlacements::firstPlacement({}).family);
    if (m_board) {
        m_board->show();
        m_board->raise();
        m_board->activateWindow();
    }
}

void WidgetHost::addWidget(const QString& kind, WidgetFamily family) {
    const WidgetDescriptor* descriptor = NimbraWidgetBundle::widget(kind);
    if (!descriptor || !descriptor->supports(family))
        return;
    place({kind, family, m_placements.isEmpty() ? firstPosition() : freePosition()});
    save();
}

void WidgetHost::openGallery() {
    auto* gallery = new WidgetGallery(m_provider->placeholder({}), m_board);
    gallery->setAttribute(Qt::WA_DeleteOnClose);
    connect(gallery, &WidgetGallery::chosen, this, &WidgetHost::addWidget);
    gallery->show();
}

void WidgetHost::place(const WidgetPlacement& placement) {
    const WidgetDescriptor* descriptor = NimbraWidgetBundle::widget(placement.kind);
    if (!descriptor)
        return;
    auto* window = new WidgetWindow(*descriptor, placement.family, m_board);
    m_placements.append(placement);
    m_windows.append(window);
    if (const TimelineRunner* runner = this->runner(placement.kind); runner && runner->timelinesRead() > 0)
        window->setEntry(runner->entry());

    connect(window, &WidgetWindow::moved, this, [this, window](QPoint position) {
        if (const qsizetype i = indexOf(window); i >= 0 && !m_board) {
            m_placements[i].position = position;
            save();
        }
    });
    connect(window, &WidgetWindow::familyRequested, this, [this, window](WidgetFamily family) {
        if (const qsizetype i = indexOf(window); i >= 0) {
            m_placements[i].family = family;
            window->setFamily(family);
            if (m_board)
                m_board->relayout();
            else
                keepClear(i);
            save();
        }
    });
    // The request comes from inside the window's own menu: it goes once the menu has returned.
    connect(window, &WidgetWindow::removeRequested, this, [this, window] {
        if (const qsizetype i = indexOf(window); i >= 0) {
            m_placements.removeAt(i);
            m_windows.removeAt(i);
            window->hide();
            window->deleteLater();
            if (m_board)
                m_board->relayout();
            save();
        }
    });
    connect(window, &WidgetWindow::addRequested, this, &WidgetHost::openGallery);

    if (m_board) {
        window->show();
        m_board->relayout();
    } else {
        window->move(onScreen(placement.position, window->size()));
        window->show();
    }
}

void WidgetHost::keepClear(qsizetype index) {
    // A widget grown in place may reach past the screen or over the widget below it.
    WidgetWindow* window = m_windows[index];
    QList<QRect> others;
    for (const QPointer<WidgetWindow>& other : std::as_const(m_windows)) {
        if (other && other != window)
            others.append(other->geometry());
    }
    const QScreen* screen = window->screen();
    const QRect area = screen ? screen->availableGeometry() : primaryArea();
    const QPoint position = resizedWidgetPosition(window->geometry(), others, area);
    if (position == window->pos())
        return;
    window->move(position);
    m_placements[index].position = position;
}

qsizetype WidgetHost::indexOf(const WidgetWindow* window) const {
    for (qsizetype i = 0; i < m_windows.size(); ++i) {
        if (m_windows[i] == window)
            return i;
    }
    return -1;
}

void WidgetHost::save() {
    if (const auto error = m_store.save(m_placements))
        qCWarning(hostLog) << *error;
}

void WidgetHost::reload(const QStringList& kinds) {
    for (const QString& kind : kinds) {
        if (const auto it = m_runners.find(kind); it != m_runners.end())
            it->second->reload();
    }
}

QPoint WidgetHost::firstPosition() const {
    // The top right corner of the primary screen's free area, where a desktop has the least in the way.
    const QRect area = primaryArea();
    const QSize size = widgetFamilySize(WidgetPlacements::firstPlacement({}).family);
    return {area.right() + 1 - size.width() - screenMargin, area.top() + screenMargin};
}

QPoint WidgetHost::freePosition() const {
    // Below the last widget when it fits on the screen, else cascaded from the first position.
    const WidgetPlacement& last = m_placements.constLast();
    const QRect area = primaryArea();
    const QPoint below = last.position + QPoint(0, widgetFamilySize(last.family).height() + screenMargin / 2);
    if (below.y() + widgetFamilySize(WidgetFamily::systemLarge).height() <= area.bottom())
        return below;
    return firstPosition() + QPoint(-cascadeStep, cascadeStep) * int(m_placements.size() % 8);
}

} // namespace nimbra
