#pragma once

#include <QByteArray>
#include <QColor>
#include <iterator>

inline QByteArray bigEndian(quint32 value) {
    QByteArray bytes(4, 0);
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (8 * (3 - i))) & 0xff);
    return bytes;
}

// One chunk of a PNG file: length, type, data and the CRC of type and data.
inline QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    quint32 crc = 0xffffffffu;
    for (char c : type + data) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return bigEndian(quint32(data.size())) + type + data + bigEndian(~crc);
}

// A PNG of one colour and any size, made without holding the picture in memory: after the first point every
// filtered byte is zero, which deflate writes as runs, so 20000 x 20000 points take a moment to make. In
// true colour (as cameras and editors save) or with a palette of one entry.
inline QByteArray solidPng(quint32 width, quint32 height, const QColor& color, bool palette = false) {
    // Deflate with its fixed codes: bits are packed from the lowest, a code's bits from its highest.
    QByteArray stream = QByteArray::fromHex("7801");  // zlib: deflate, no dictionary
    quint32 pending = 0;
    int used = 0;
    auto put = [&](quint32 value, int count) {
        for (int i = 0; i < count; ++i) {
            pending |= ((value >> i) & 1u) << used;
            if (++used == 8) {
                stream.append(char(pending));
                pending = 0;
                used = 0;
            }
        }
    };
    auto code = [&](quint32 value, int length) {
        for (int i = length - 1; i >= 0; --i)
            put((value >> i) & 1u, 1);
    };
    auto symbol = [&](int value) {
        if (value < 144)
            code(0x30 + value, 8);
        else if (value < 256)
            code(0x190 + value - 144, 9);
        else if (value < 280)
            code(value - 256, 7);
        else
            code(0xc0 + value - 280, 8);
    };
    static const int bases[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    const quint64 modulus = 65521;  // Adler-32 of the bytes before deflate
    quint64 a = 1, b = 0;
    auto literal = [&](quint8 value) {
        symbol(value);
        a = (a + value) % modulus;
        b = (b + a) % modulus;
    };
    auto zeros = [&](quint64 count) {  // one literal zero, then copies of the byte before
        if (count == 0) return;
        literal(0);
        b = (b + a * ((count - 1) % modulus)) % modulus;
        for (quint64 left = count - 1; left > 0;) {
            const int length = int(qMin<quint64>(left, 258));
            if (length < 3) {
                symbol(0);
                --left;
                continue;
            }
            int i = int(std::size(bases)) - 1;
            while (bases[i] > length)
                --i;
            symbol(257 + i);
            put(quint32(length - bases[i]), extra[i]);
            code(0, 5);  // distance 1
            left -= quint64(length);
        }
    };
    put(1, 1);  // the last block
    put(1, 2);  // fixed codes
    if (palette) {
        zeros(quint64(height) * (width + 1));  // filter "none", every point entry 0
    } else {
        // The first row "sub" (each byte less the one to its left), the others "up" (less the one above).
        literal(1);
        literal(quint8(color.red()));
        literal(quint8(color.green()));
        literal(quint8(color.blue()));
        zeros(3 * quint64(width - 1));
        for (quint32 row = 1; row < height; ++row) {
            literal(2);
            zeros(3 * quint64(width));
        }
    }
    symbol(256);
    if (used > 0) stream.append(char(pending));
    stream += bigEndian(quint32(b << 16 | a));

    QByteArray header = bigEndian(width) + bigEndian(height);
    header += QByteArray::fromHex(palette ? "0803000000" : "0802000000");
    QByteArray png = QByteArray::fromHex("89504e470d0a1a0a") + pngChunk("IHDR", header);
    if (palette) {
        QByteArray entry;
        entry.append(char(color.red())).append(char(color.green())).append(char(color.blue()));
        png += pngChunk("PLTE", entry);
    }
    return png + pngChunk("IDAT", stream) + pngChunk("IEND", QByteArray());
}
