// A file the program writes for the user (a report, a workbook): written as a new file beside the
// target and renamed over it only when complete, so that a full disk, a killed program or a failed
// write leaves the previous file as it was; a target that is no regular file is refused.
#pragma once

#include <QFile>
#include <QString>
#include <memory>

// Why the path cannot take a file: a folder, or a device, pipe or socket (writing there would
// replace it, or write into it, or wait for a reader). The text names the file and is meant for
// the user; empty for a new path or an existing regular file (a link counts as what it points to).
QString outputTargetProblem(const QString& fileName);

class OutputFile {
public:
    explicit OutputFile(const QString& target);
    // Removes the new file unless it was committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks the target and makes the new, empty file beside it. False with error() when the
    // target is refused (targetRefused() then) or the file cannot be made.
    bool open();
    // The new file, open for writing, for writers that write into a device.
    QFile& device() { return *m_file; }
    // The new file's path, for writers that open a path themselves.
    QString newPath() const;
    // Makes the written file the target: the new file is flushed to the disk and renamed over
    // the target. False with error() when writing or renaming failed; the target is then as it
    // was and the new file is removed.
    bool commit();
    // Drops what was written; the target stays as it was.
    void cancel();
    // Whether open() refused the target itself (a folder, a device, a pipe).
    bool targetRefused() const { return m_targetRefused; }
    // The reason of the last failure, naming the target, in Russian.
    QString error() const { return m_error; }

private:
    bool fail(const QString& why);

    QString m_target;
    QString m_written; // the file that is replaced: the target, or what a link to it points to
    std::unique_ptr<QFile> m_file;
    bool m_targetRefused = false;
    QString m_error;
};

// Writes the bytes as the whole new content of the file, through an OutputFile. False with the
// reason, naming the file, in error.
bool writeOutputFile(const QString& target, const QByteArray& content, QString* error);
