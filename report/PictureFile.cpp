#include "PictureFile.h"

#include <QCache>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QLocale>
#include <QSaveFile>
#include <QStandardPaths>
#include <memory>

namespace Report {

namespace {

// No picture format packs more points into one byte of file: deflate (PNG) gives at most about 8,300 points
// of a one-bit picture per byte, LZW (GIF) far fewer. A header claiming more describes a picture its file
// cannot hold.
constexpr qint64 kMaxPointsPerByte = 32768;

// Some formats are decoded whole before they are scaled, into as many bytes as four per point. Beyond this
// the picture is refused rather than risk the computer's memory.
constexpr qint64 kWholeDecodeMegabytes = 2048;

bool isVector(const QByteArray& format) {
    return format.startsWith("svg");  // drawn at any size from a few bytes
}

// Pictures read lately, as read: a large logo is read once, not for every receipt printed.
QCache<QString, QImage>& lately() {
    static QCache<QString, QImage> cache(64 * 1024);  // kilobytes
    return cache;
}

// A picture of this many points or more takes a noticeable time to decode even scaled (a PNG is inflated
// whole, row by row): its scaled copy is kept on disk, so the next start of the program shows it at once.
constexpr qint64 kKeepScaledPoints = 16'000'000;
constexpr int kKeptCopies = 16;

QString keptCopyPath(const QString& key) {
    const QString folder = pictureCacheFolder();
    if (folder.isEmpty()) return QString();
    return QDir(folder).filePath(
        QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex()) +
        QStringLiteral(".png"));
}

QImage keptCopy(const QString& key, const QSize& expected) {
    const QString path = keptCopyPath(key);
    if (path.isEmpty() || !QFileInfo(path).isFile()) return QImage();
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    if (reader.size() != expected) return QImage();
    return reader.read();
}

// Best effort: a copy that can't be written only means the next start decodes the picture again.
void keepCopy(const QString& key, const QImage& image) {
    const QString path = keptCopyPath(key);
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).path())) return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    QImageWriter writer(&file, "png");
    writer.setCompression(1);  // a fast write; the copy is small anyway
    if (!writer.write(image) || !file.commit()) return;
    // Only the latest copies are kept: a logo changed often leaves no trail of old ones.
    QDir folder(QFileInfo(path).path());
    const QFileInfoList copies = folder.entryInfoList({QStringLiteral("*.png")}, QDir::Files, QDir::Time);
    for (qsizetype i = kKeptCopies; i < copies.size(); ++i)
        QFile::remove(copies[i].absoluteFilePath());
}

QSize scaledFor(const QSize& size, const QSize& place, Qt::AspectRatioMode mode) {
    if (!size.isValid() || !place.isValid() ||
        (size.width() <= place.width() && size.height() <= place.height()))
        return QSize();
    const QSize scaled =
        mode == Qt::KeepAspectRatio ? size.scaled(place, Qt::KeepAspectRatio) : size.boundedTo(place);
    return scaled.expandedTo(QSize(1, 1));
}

}  // namespace

PictureFile readPictureFile(const QString& path, const QByteArray& format, const QSize& place,
                            Qt::AspectRatioMode mode) {
    PictureFile result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.problem = PictureFile::Problem::Missing;
        return result;
    }
    if (!info.isFile() || !info.isReadable()) {
        result.problem = PictureFile::Problem::Unreadable;
        return result;
    }
    result.bytes = info.size();
    const QString key = QStringLiteral("%1|%2|%3|%4x%5|%6|%7")
                            .arg(info.absoluteFilePath())
                            .arg(info.lastModified().toMSecsSinceEpoch())
                            .arg(result.bytes)
                            .arg(place.width())
                            .arg(place.height())
                            .arg(int(mode))
                            .arg(QString::fromLatin1(format));
    if (const QImage* known = lately().object(key)) {
        result.image = *known;
        result.claimed = QImageReader(path, format).size();
        return result;
    }

    auto open = [&] {
        auto reader = std::make_unique<QImageReader>(path, format);
        reader->setAutoDetectImageFormat(format.isEmpty());
        return reader;
    };
    std::unique_ptr<QImageReader> reader = open();
    result.claimed = reader->size();
    const QSize size = result.claimed;
    const qint64 points = size.isValid() ? qint64(size.width()) * size.height() : 0;
    if (points > 0 && !isVector(reader->format()) &&
        points / qMax<qint64>(1, result.bytes) > kMaxPointsPerByte) {
        result.problem = PictureFile::Problem::Implausible;
        return result;
    }
    const QSize scaled = scaledFor(size, place, mode);
    if (scaled.isValid()) reader->setScaledSize(scaled);
    const bool keep = scaled.isValid() && points >= kKeepScaledPoints;
    if (keep) {
        const QImage kept = keptCopy(key, scaled);
        if (!kept.isNull()) {
            result.image = kept;
            lately().insert(key, new QImage(kept), qMax<qsizetype>(1, kept.sizeInBytes() / 1024));
            return result;
        }
    }

    QImage image;
    bool read = reader->read(&image);
    if (!read && reader->error() == QImageReader::FileNotFoundError) {
        result.problem = PictureFile::Problem::Unreadable;
        return result;
    }
    // The reader keeps a format it decodes whole within an allocation limit; a real picture over it is read
    // once more with the room it needs.
    const int limit = QImageReader::allocationLimit();
    const qint64 needed = points * 4 / (1024 * 1024) + 1;
    if (!read && limit > 0 && needed > limit) {
        if (needed > kWholeDecodeMegabytes) {
            result.problem = PictureFile::Problem::TooLarge;
            return result;
        }
        reader = open();
        if (scaled.isValid()) reader->setScaledSize(scaled);
        QImageReader::setAllocationLimit(int(needed));
        read = reader->read(&image);
        QImageReader::setAllocationLimit(limit);
    }
    if (!read) {
        result.problem = PictureFile::Problem::NotAPicture;
        return result;
    }
    result.image = image;
    if (keep) keepCopy(key, image);
    lately().insert(key, new QImage(image), qMax<qsizetype>(1, image.sizeInBytes() / 1024));
    return result;
}

QString pictureCacheFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return base.isEmpty() ? QString() : QDir(base).filePath(QStringLiteral("vanteja/figuras"));
}

void forgetPicturesRead() {
    lately().clear();
}

QString sizeProblem(const PictureFile& picture) {
    const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
    const QString size =
        QStringLiteral("%1 × %2 pontos")
            .arg(brazil.toString(picture.claimed.width()), brazil.toString(picture.claimed.height()));
    switch (picture.problem) {
        case PictureFile::Problem::Implausible:
            return QStringLiteral(
                       "o arquivo diz conter uma imagem de %1, grande demais para os seus %2 bytes: ele está "
                       "danificado ou não é uma imagem")
                .arg(size, brazil.toString(picture.bytes));
        case PictureFile::Problem::TooLarge:
            return QStringLiteral(
                       "a imagem, de %1, é grande demais para ser aberta na memória do computador; salve-a "
                       "em tamanho menor ou como JPEG")
                .arg(size);
        default:
            return QString();
    }
}

}  // namespace Report
