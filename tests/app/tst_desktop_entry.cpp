#include "BuildInfo.h"
#include "WidgetHost.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

const QString dataFolder = QStringLiteral(NIMBRA_APP_DATA);

QString entryPath() {
    return QDir(dataFolder).filePath(QStringLiteral("com.tarnwick.Nimbra.desktop"));
}

QString widgetsEntryPath() {
    return QDir(QStringLiteral(NIMBRA_WIDGETS_DATA))
        .filePath(QStringLiteral("com.tarnwick.Nimbra.Widgets.desktop"));
}

// Both installed entries: the application's and the widget host's.
void addEntryRows() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("applicationName");
    QTest::newRow("nimbra") << entryPath() << nimbra::BuildInfo::applicationName();
    QTest::newRow("nimbra-widgets") << widgetsEntryPath() << nimbra::WidgetHost::applicationName;
}

QString iconPath() {
    return QDir(dataFolder).filePath(QStringLiteral("icons/hicolor/scalable/apps/com.tarnwick.Nimbra.svg"));
}

// The "Key=value" lines of the entry's main group.
QHash<QString, QString> entryKeys(const QString& path = entryPath()) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QHash<QString, QString> keys;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        else if (inMainGroup && line.contains(QLatin1Char('=')))
            keys.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    }
    return keys;
}

int opaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    }
    return count;
}

} // namespace

// The menu entry and the icon that the install step puts under share/.
class DesktopEntryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entryStartsTheProgramWithItsIcon() {
        const auto keys = entryKeys();
        QVERIFY2(!keys.isEmpty(), qPrintable(entryPath()));
        QCOMPARE(keys.value("Type"), QStringLiteral("Application"));
        QCOMPARE(keys.value("Name"), QStringLiteral("Nimbra"));
        QCOMPARE(keys.value("Exec"), QStringLiteral("nimbra"));
        // The icon is looked up by the name of the file installed into the hicolor theme.
        QCOMPARE(keys.value("Icon") + QStringLiteral(".svg"), QFileInfo(iconPath()).fileName());
        QVERIFY(!keys.value("Comment").isEmpty());
    }

    void entryPassesTheValidator_data() { addEntryRows(); }

    void entryPassesTheValidator() {
        QFETCH(QString, entry);
        const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate (package desktop-file-utils) is not installed");
        QProcess process;
        process.start(validator, {entry});
        QVERIFY(process.waitForFinished(30'000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardOutput().constData());
    }

    // On X11 Qt names the windows' WM_CLASS class after the application's name. GNOME Shell, like other
    // taskbars, ties a window to the entry whose StartupWMClass equals it; without one, a launcher pinned in
    // the dash and the running program's windows show as two icons.
    void entryClaimsTheProgramsWindows_data() { addEntryRows(); }

    void entryClaimsTheProgramsWindows() {
        QFETCH(QString, entry);
        QFETCH(QString, applicationName);
        const auto keys = entryKeys(entry);
        QVERIFY2(!keys.isEmpty(), qPrintable(entry));
        QCOMPARE(keys.value("StartupWMClass"), applicationName);
    }

    // Drawn at tray and launcher sizes; the renders stay in the build folder for a look.
    void iconDrawsAtEverySize_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("tray") << 22;
        QTest::newRow("menu") << 48;
        QTest::newRow("launcher") << 256;
    }

    void iconDrawsAtEverySize() {
        QFETCH(int, size);
        QImageReader reader(iconPath());
        QVERIFY2(reader.canRead(), qPrintable(reader.errorString()));
        reader.setScaledSize(QSize(size, size));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.size(), QSize(size, size));
        // Mostly covered, with transparent corners.
        QVERIFY(opaquePixels(image) > size * size * 3 / 4);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        image.save(QStringLiteral("app_icon_%1.png").arg(size));
    }
};

QTEST_GUILESS_MAIN(DesktopEntryTest)
#include "tst_desktop_entry.moc"
