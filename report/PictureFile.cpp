#include "PictureFile.h"

#include <QCache>
#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>
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
    lately().insert(key, new QImage(image), qMax<qsizetype>(1, image.sizeInBytes() / 1024));
    return result;
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
