// Output files written beside their target and renamed over it when complete.
#include "data/OutputFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <filesystem>
#include <system_error>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Less free space than this after a failed write means the disk was full.
constexpr qint64 kFullDiskMargin = 1024 * 1024;

QString writeFailure(const QString& fileName, const QString& why) {
    return QStringLiteral("Не удалось записать файл \"%1\": %2").arg(fileName, why);
}

// The reason of a failed write: a full disk is named as such with the system's text.
QString failureReason(const QString& fileName, const QString& systemText) {
    const QStorageInfo storage(QFileInfo(fileName).absolutePath());
    if (storage.isValid() && storage.bytesAvailable() < kFullDiskMargin)
        return QStringLiteral("нет места на диске (%1)").arg(qt_error_string(ENOSPC));
    return systemText;
}

// The permissions a new file gets: those of the file it replaces, or what the user's file
// creation mask leaves of read and write for all.
QFileDevice::Permissions newFilePermissions(const QString& replaced) {
    const QFileInfo existing(replaced);
    if (existing.exists())
        return existing.permissions();
    QFileDevice::Permissions p = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                 QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
#if defined(Q_OS_UNIX)
    const mode_t mask = ::umask(0);
    ::umask(mask);
    p = {};
    const std::pair<mode_t, QFileDevice::Permissions> bits[] = {
        {S_IRUSR, QFileDevice::ReadOwner | QFileDevice::ReadUser},
        {S_IWUSR, QFileDevice::WriteOwner | QFileDevice::WriteUser},
        {S_IRGRP, QFileDevice::ReadGroup},
        {S_IWGRP, QFileDevice::WriteGroup},
        {S_IROTH, QFileDevice::ReadOther},
        {S_IWOTH, QFileDevice::WriteOther}};
    for (const auto& [bit, permission] : bits)
        if (!(mask & bit))
            p |= permission;
#endif
    return p;
}

} // namespace

QString outputTargetProblem(const QString& fileName) {
    const QFileInfo target(fileName);
    // A link counts as what it points to: the file is written there.
    if (!target.exists() || target.isFile())
        return {};
    return writeFailure(fileName, target.isDir() ? QStringLiteral("это папка, а не файл")
                                                 : QStringLiteral("это не обычный файл (устройство, канал "
                                                                  "или сокет); он оставлен как есть"));
}

OutputFile::OutputFile(const QString& target) : m_target(target) {}

OutputFile::~OutputFile() {
    cancel();
}

bool OutputFile::fail(const QString& why) {
    m_error = writeFailure(m_target, why);
    cancel();
    return false;
}

bool OutputFile::open() {
    m_error = outputTargetProblem(m_target);
    m_targetRefused = !m_error.isEmpty();
    if (m_targetRefused)
        return false;
    const QFileInfo target(m_target);
    m_written = target.isSymLink() ? target.symLinkTarget() : target.absoluteFilePath();
    const QFileInfo written(m_written);
    if (written.exists() && !written.isWritable()) {
        m_targetRefused = true;
        m_error = writeFailure(m_target, QStringLiteral("файл только для чтения; он оставлен как есть"));
        return false;
    }
    auto file = std::make_unique<QTemporaryFile>(
        QDir(written.absolutePath())
            .filePath(QStringLiteral(".") + written.fileName() + QStringLiteral(".XXXXXX")));
    file->setAutoRemove(false);
    if (!file->open())
        return fail(failureReason(m_written, file->errorString()));
    m_file = std::move(file);
    m_file->setPermissions(newFilePermissions(m_written));
    return true;
}

QString OutputFile::newPath() const {
    return m_file ? m_file->fileName() : QString();
}

bool OutputFile::commit() {
    if (!m_file)
        return fail(QStringLiteral("файл не создан"));
    if (m_file->error() != QFileDevice::NoError || !m_file->flush())
        return fail(failureReason(m_written, m_file->errorString()));
#if defined(Q_OS_UNIX)
    // On the disk before it takes the target's name: a crash after the rename finds the whole file.
    if (::fsync(m_file->handle()) != 0)
        return fail(failureReason(m_written, qt_error_string(errno)));
#endif
    m_file->close();
    if (m_file->error() != QFileDevice::NoError)
        return fail(failureReason(m_written, m_file->errorString()));
    std::error_code renamed;
    std::filesystem::rename(QFile::encodeName(m_file->fileName()).toStdString(),
                            QFile::encodeName(m_written).toStdString(), renamed);
    if (renamed)
        return fail(QString::fromLocal8Bit(renamed.message()));
    m_file.reset();
    return true;
}

void OutputFile::cancel() {
    if (!m_file)
        return;
    m_file->close();
    QFile::remove(m_file->fileName());
    m_file.reset();
}

bool writeOutputFile(const QString& target, const QByteArray& content, QString* error) {
    OutputFile file(target);
    if (file.open() && file.device().write(content) == content.size() && file.commit())
        return true;
    if (error)
        *error = file.error().isEmpty() ? file.device().errorString() : file.error();
    return false;
}
