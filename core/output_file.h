#pragma once

// Where a writer's bytes go. A file is replaced atomically: the bytes go to a temporary file
// beside it, which takes its name only once it is complete, so a failed save leaves the old
// file intact. A stream cannot be replaced and is written directly: "-" (standard output),
// /dev/stdout, /dev/stderr, /dev/fd/N, a pipe or a device. Renaming over /dev/stdout would put a
// new file in place of the one standard output was sent to, and lose what was written before.

#include <QIODevice>
#include <QString>

#include <memory>

// "-" names standard input to the readers and standard output to the writers.
bool is_standard_stream(const QString& path);

// The descriptor of this process that a path names without being a file of its own: "-"
// (standard input to a reader, standard output to a writer), /dev/stdin, /dev/stdout,
// /dev/stderr, /dev/fd/N and /proc/self/fd/N (what a shell's <(...) gives); -1 for any other.
// Opening such a path anew would start a file standard output is sent to from its beginning,
// truncated, over what came before.
int named_descriptor(const QString& path, bool reading);

class TOutputFile {
public:
    explicit TOutputFile(const QString& path);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // False with the reason (without the path) when the target cannot be written: a folder, a
    // pipe nobody reads, a file that cannot be created.
    bool open(QString& reason);
    // Unbuffered: what is written is on its way at once, and a full disk is told at the write.
    QIODevice& device();
    // A file takes its name now; a stream has had everything. False with the reason.
    bool commit(QString& reason);
    // A file is left as it was; a stream keeps what it has been given.
    void cancel();
    // Whether the bytes go straight to a stream.
    bool is_stream() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
