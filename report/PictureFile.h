#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace Report {

// Points per millimetre of the finest print (600 to the inch): a picture printed in a box needs no more.
inline constexpr double kPrintDotsPerMm = 600 / 25.4;

// A picture file read for a place of a given size in pixels.
struct PictureFile {
    enum class Problem {
        None,
        Missing,      // no such file
        Unreadable,   // a folder, or a file that can't be opened
        NotAPicture,  // not a picture of the format, or damaged
        Implausible,  // its header claims more points than a file of its length can hold
        TooLarge,     // a real picture whose format can only be decoded whole, larger than memory allows
    };
    QImage image;  // null unless the problem is None
    Problem problem = Problem::None;
    QSize claimed;  // the size the file's header gives, when it gives one
    qint64 bytes = 0;
};

// Reads a picture file for a place of `place` pixels. A picture larger than its place is decoded scaled down
// to it, keeping its proportions (Qt::KeepAspectRatio) or each side within the place's own side (for a
// picture stretched to its box), so that a picture of hundreds of megapixels loads in little memory; a
// smaller picture is read as it is. `format` empty: told by the file's content.
PictureFile readPictureFile(const QString& path, const QByteArray& format, const QSize& place,
                            Qt::AspectRatioMode mode = Qt::KeepAspectRatio);

// Where scaled copies of very large pictures are kept between runs of the program.
QString pictureCacheFolder();
// Empties the pictures kept in memory (the copies on disk stay).
void forgetPicturesRead();

// Why a picture of the size claimed was refused (Implausible or TooLarge), as a Portuguese clause; empty
// for the other problems, which each caller words for itself.
QString sizeProblem(const PictureFile& picture);

}  // namespace Report
