#include "core/output_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString system_reason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

bool is_standard_stream(const QString& path) {
    return path == u"-";
}

int named_descriptor(const QString& path, bool reading) {
    if (is_standard_stream(path))
        return reading ? 0 : 1;
    if (path == u"/dev/stdin")
        return 0;
    if (path == u"/dev/stdout")
        return 1;
    if (path == u"/dev/stderr")
        return 2;
    for (const QStringView prefix : {QStringView(u"/dev/fd/"), QStringView(u"/proc/self/fd/")}) {
        if (!path.startsWith(prefix))
            continue;
        bool number = false;
        const int fd = QStringView(path).sliced(prefix.size()).toInt(&number);
        return number && fd >= 0 ? fd : -1;
    }
    return -1;
}

struct TOutputFile::State {
    QString path;
    std::unique_ptr<QSaveFile> file; // a file replaced atomically
    QFile stream;                    // else, written directly
};

TOutputFile::TOutputFile(const QString& path) : state_(std::make_unique<State>()) {
    state_->path = path;
}

TOutputFile::~TOutputFile() = default;

bool TOutputFile::open(QString& reason) {
    const QString& path = state_->path;
    QFile& stream = state_->stream;
    if (const int fd = named_descriptor(path, false); fd >= 0) {
#if defined(Q_OS_UNIX)
        if (fcntl(fd, F_GETFD) == -1) {
            reason = QStringLiteral("the stream is not open.");
            return false;
        }
#endif
        // What the program printed through the C library goes first.
        std::fflush(fd == 2 ? stderr : stdout);
        if (!stream.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            reason = stream.errorString();
            return false;
        }
        return true;
    }
    if (const QFileInfo info(path); info.exists() && !info.isFile()) {
        if (info.isDir()) {
            reason = QStringLiteral("it is a folder.");
            return false;
        }
#if defined(Q_OS_UNIX)
        // A pipe or a character device, opened as it is: neither created nor truncated. A pipe
        // that nobody reads would block the writer for good, so it is refused instead.
        struct stat s {};
        const QByteArray name = QFile::encodeName(path);
        if (::stat(name.constData(), &s) == 0 && (S_ISFIFO(s.st_mode) || S_ISCHR(s.st_mode))) {
            const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) {
                reason = errno == ENXIO ? QStringLiteral("no program reads from the pipe.")
                                        : system_reason();
                return false;
            }
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            if (!stream.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
                             QFileDevice::AutoCloseHandle)) {
                reason = stream.errorString();
                ::close(fd);
                return false;
            }
            return true;
        }
#endif
        reason = QStringLiteral("it is not a regular file.");
        return false;
    }
    // The bytes go to a temporary file beside the target, which replaces the target only once
    // it is complete; writing in place would destroy the old file on a failure.
    state_->file = std::make_unique<QSaveFile>(path);
    state_->file->setDirectWriteFallback(false);
    // Unbuffered: a buffered file is written out only by commit(), which then renames a
    // truncated file into place when the disk fills, and reports success.
    if (!state_->file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        reason = state_->file->errorString();
        return false;
    }
    return true;
}

QIODevice& TOutputFile::device() {
    if (state_->file)
        return *state_->file;
    return state_->stream;
}

bool TOutputFile::commit(QString& reason) {
    if (state_->file) {
        if (!state_->file->commit()) {
            reason = state_->file->errorString();
            return false;
        }
        return true;
    }
    state_->stream.close();
    return true;
}

void TOutputFile::cancel() {
    if (state_->file)
        state_->file->cancelWriting();
    else
        state_->stream.close();
}

bool TOutputFile::is_stream() const {
    return !state_->file;
}
