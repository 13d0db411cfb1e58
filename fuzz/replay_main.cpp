// Runs a fuzz target's entry point over kept inputs, without libFuzzer: every file named on the
// command line, and every file in every folder named there (folders that do not exist are
// passed over). A broken property aborts, which fails the test that runs this program.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool replay(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray input = file.readAll();
    std::printf("%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(input.size()));
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()),
                           static_cast<size_t>(input.size()));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString path = QFile::decodeName(argv[i]);
        const QFileInfo info(path);
        if (info.isDir()) {
            const QStringList names = QDir(path).entryList(QDir::Files | QDir::Hidden, QDir::Name);
            for (const QString& name : names) {
                if (!replay(path + QLatin1Char('/') + name))
                    return 1;
                ++replayed;
            }
        } else if (info.exists()) {
            if (!replay(path))
                return 1;
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
