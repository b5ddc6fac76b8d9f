// Feeds every file of the given folders (or the given files) to the fuzz target once: the seeds and the saved
// reproducers are checked by every test run, without fuzzing and without clang. A path must exist unless it
// follows "--optional" (a folder of reproducers that may not have been made yet).
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const bool optional = qstrcmp(argv[i], "--optional") == 0 && i + 1 < argc;
        const QString path = QString::fromLocal8Bit(argv[optional ? ++i : i]);
        if (!QFileInfo::exists(path)) {
            if (optional)
                continue;
            // A corpus that went missing would pass unnoticed.
            std::fprintf(stderr, "No such corpus: %s\n", qPrintable(path));
            return 1;
        }
        if (QFileInfo(path).isDir()) {
            QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                files.append(it.next());
        } else {
            files.append(path);
        }
    }
    files.sort();
    if (files.isEmpty()) {
        std::fprintf(stderr, "No inputs found in the given paths.\n");
        return 1;
    }
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "Cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray input = file.readAll();
        std::fprintf(stderr, "Replaying %s (%lld bytes)\n", qPrintable(path),
                     static_cast<long long>(input.size()));
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()),
                               std::size_t(input.size()));
    }
    std::fprintf(stderr, "Replayed %lld inputs.\n", static_cast<long long>(files.size()));
    return 0;
}
