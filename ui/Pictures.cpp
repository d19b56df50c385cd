#include "Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <functional>

namespace {

const QColor kNavy(0, 0, 128);
const QColor kMaroon(128, 0, 0);

QPixmap draw(const QSize& size, const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(size * 2);
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return pixmap;
}

void person(QPainter& p, QPointF at, double scale, const QColor& color) {
    p.setPen(QPen(color.darker(140), 1));
    p.setBrush(color);
    p.drawEllipse(at + QPointF(-5 * scale, -14 * scale), 10 * scale, 10 * scale);
    QPainterPath body;
    body.moveTo(at + QPointF(-10 * scale, 10 * scale));
    body.cubicTo(at + QPointF(-10 * scale, -4 * scale), at + QPointF(10 * scale, -4 * scale),
                 at + QPointF(10 * scale, 10 * scale));
    body.closeSubpath();
    p.drawPath(body);
}

void sheet(QPainter& p, const QRectF& r, const QColor& paper) {
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - 8, r.top());
    page.lineTo(r.right(), r.top() + 8);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 110), 1.2));
    p.setBrush(paper);
    p.drawPath(page);
    p.setPen(QPen(QColor(150, 150, 170), 1.2));
    for (double y = r.top() + 12; y < r.bottom() - 4; y += 5)
        p.drawLine(QPointF(r.left() + 5, y), QPointF(r.right() - 5, y));
}

void arrow(QPainter& p, bool inward, const QColor& color) {
    // A coin with an arrow going into it (income) or out of it (expense).
    QRadialGradient coin(QPointF(18, 22), 14);
    coin.setColorAt(0, QColor(255, 236, 140));
    coin.setColorAt(1, QColor(214, 160, 20));
    p.setPen(QPen(QColor(150, 110, 10), 1.2));
    p.setBrush(coin);
    p.drawEllipse(QRectF(6, 12, 24, 24));
    p.setPen(QPen(QColor(150, 110, 10), 1.5));
    QFont font(QStringLiteral("Liberation Sans"), 11, QFont::Bold);
    p.setFont(font);
    p.drawText(QRectF(6, 12, 24, 24), Qt::AlignCenter, QStringLiteral("$"));
    QPainterPath shaft;
    if (inward) {
        shaft.moveTo(38, 4);
        shaft.lineTo(30, 12);
    } else {
        shaft.moveTo(28, 14);
        shaft.lineTo(38, 4);
    }
    p.setPen(QPen(color, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(shaft);
    const QPointF tip = inward ? QPointF(27, 15) : QPointF(39, 3);
    const QPointF back = inward ? QPointF(1, -1) : QPointF(-1, 1);
    QPolygonF head;
    head << tip << tip + QPointF(back.x() * 9, 0) << tip + QPointF(0, back.y() * 9);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(head);
}

}  // namespace

QIcon Pictures::toolbarIcon(const QString& caption) {
    const QSize size(40, 40);
    QPixmap pixmap;
    if (caption == QLatin1String("Clientes")) {
        pixmap = draw(size, [](QPainter& p) {
            person(p, QPointF(27, 23), 1.0, QColor(110, 150, 210));
            person(p, QPointF(17, 27), 1.05, QColor(40, 90, 170));
        });
    } else if (caption == QLatin1String("Fornecedor")) {
        pixmap = draw(size, [](QPainter& p) {
            p.setPen(QPen(QColor(60, 60, 60), 1.2));
            p.setBrush(QColor(200, 60, 40));
            p.drawRoundedRect(QRectF(3, 10, 22, 17), 2, 2);
            p.setBrush(QColor(60, 110, 180));
            QPainterPath cab;
            cab.moveTo(25, 14);
            cab.lineTo(32, 14);
            cab.lineTo(37, 21);
            cab.lineTo(37, 27);
            cab.lineTo(25, 27);
            cab.closeSubpath();
            p.drawPath(cab);
            p.setBrush(QColor(200, 230, 255));
            p.drawRect(QRectF(27, 16, 5, 5));
            p.setBrush(QColor(40, 40, 40));
            for (double x : {9.0, 31.0})
                p.drawEllipse(QPointF(x, 29), 4, 4);
        });
    } else if (caption == QLatin1String("Recibo")) {
        pixmap = draw(size, [](QPainter& p) {
            sheet(p, QRectF(8, 3, 24, 32), QColor(255, 255, 240));
            p.setPen(QPen(QColor(0, 120, 60), 2.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(18, 30), QPointF(22, 34));
            p.drawLine(QPointF(22, 34), QPointF(33, 22));
        });
    } else if (caption == QLatin1String("Promissoria")) {
        pixmap = draw(size, [](QPainter& p) {
            p.setPen(QPen(QColor(30, 100, 60), 1.2));
            p.setBrush(QColor(200, 235, 205));
            p.drawRoundedRect(QRectF(2, 10, 36, 20), 2, 2);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(20, 20), 6, 6);
            QFont font(QStringLiteral("Liberation Sans"), 7, QFont::Bold);
            p.setFont(font);
            p.drawText(QRectF(14, 14, 12, 12), Qt::AlignCenter, QStringLiteral("NP"));
            p.drawLine(QPointF(5, 26), QPointF(11, 26));
            p.drawLine(QPointF(29, 14), QPointF(35, 14));
        });
    } else if (caption == QLatin1String("Contas Receber")) {
        pixmap = draw(size, [](QPainter& p) { arrow(p, true, QColor(20, 140, 50)); });
    } else if (caption == QLatin1String("Contas Pagar")) {
        pixmap = draw(size, [](QPainter& p) { arrow(p, false, QColor(200, 30, 30)); });
    } else if (caption == QLatin1String("Fluxo Caixa")) {
        pixmap = draw(size, [](QPainter& p) {
            p.setPen(QPen(QColor(80, 80, 80), 1.5));
            p.drawLine(QPointF(4, 35), QPointF(37, 35));
            p.drawLine(QPointF(4, 35), QPointF(4, 4));
            const double heights[] = {12, 20, 15, 27};
            const QColor colors[] = {QColor(30, 140, 60), QColor(200, 40, 40), QColor(30, 140, 60),
                                     QColor(40, 90, 170)};
            for (int i = 0; i < 4; ++i) {
                p.setPen(Qt::NoPen);
                p.setBrush(colors[i]);
                p.drawRect(QRectF(8 + i * 7.5, 34 - heights[i], 5.5, heights[i]));
            }
        });
    } else if (caption == QLatin1String("Sobre")) {
        pixmap = draw(size, [](QPainter& p) {
            QRadialGradient ball(QPointF(16, 14), 20);
            ball.setColorAt(0, QColor(120, 170, 240));
            ball.setColorAt(1, QColor(20, 60, 150));
            p.setPen(Qt::NoPen);
            p.setBrush(ball);
            p.drawEllipse(QRectF(4, 4, 32, 32));
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(20, 12), 2.6, 2.6);
            p.drawRoundedRect(QRectF(17.5, 17, 5, 13), 1.5, 1.5);
        });
    } else if (caption == QLatin1String("Fechar")) {
        pixmap = draw(size, [](QPainter& p) {
            p.setPen(QPen(QColor(190, 30, 30), 4, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(QRectF(7, 8, 26, 26), 125 * 16, 290 * 16);
            p.drawLine(QPointF(20, 4), QPointF(20, 19));
        });
    }
    return QIcon(pixmap);
}

QIcon Pictures::navigatorIcon(int button) {
    return QIcon(draw(QSize(16, 16), [button](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 50, 110));
        auto triangle = [&p](double x, bool right) {
            QPolygonF t;
            if (right)
                t << QPointF(x, 3) << QPointF(x + 7, 8) << QPointF(x, 13);
            else
                t << QPointF(x + 7, 3) << QPointF(x, 8) << QPointF(x + 7, 13);
            p.drawPolygon(t);
        };
        switch (button) {
            case 0:
                p.drawRect(QRectF(3, 3, 2, 10));
                triangle(5, false);
                break;  // first
            case 1:
                triangle(5, false);
                break;  // prior
            case 2:
                triangle(5, true);
                break;  // next
            case 3:
                triangle(4, true);
                p.drawRect(QRectF(11, 3, 2, 10));
                break;  // last
            case 4:
                p.drawRect(QRectF(7, 3, 2, 10));
                p.drawRect(QRectF(3, 7, 10, 2));
                break;  // insert
            case 5:
                p.drawRect(QRectF(3, 7, 10, 2));
                break;  // delete
            case 6: {   // edit
                QPolygonF up;
                up << QPointF(8, 3) << QPointF(13, 11) << QPointF(3, 11);
                p.drawPolygon(up);
                break;
            }
            case 7:  // post
                p.setPen(QPen(QColor(20, 120, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(3, 8), QPointF(7, 12));
                p.drawLine(QPointF(7, 12), QPointF(13, 4));
                break;
            case 8:  // cancel
                p.setPen(QPen(QColor(170, 20, 20), 2.2, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(4, 4), QPointF(12, 12));
                p.drawLine(QPointF(12, 4), QPointF(4, 12));
                break;
            default:  // refresh
                p.setPen(QPen(QColor(30, 50, 110), 2));
                p.setBrush(Qt::NoBrush);
                p.drawArc(QRectF(3, 3, 10, 10), 30 * 16, 280 * 16);
                break;
        }
    }));
}

QPixmap Pictures::background(const QSize& size) {
    return draw(size, [size](QPainter& p) {
        const QRectF area(QPointF(0, 0), size);
        // An emblem: a ledger book with a rising line, and the program's name under it.
        const double cx = area.center().x();
        QLinearGradient cover(QPointF(cx - 90, 30), QPointF(cx + 90, 190));
        cover.setColorAt(0, QColor(30, 60, 130));
        cover.setColorAt(1, QColor(10, 25, 70));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 40));
        p.drawRoundedRect(QRectF(cx - 84, 40, 180, 150), 10, 10);
        p.setBrush(cover);
        p.drawRoundedRect(QRectF(cx - 90, 32, 180, 150), 10, 10);
        p.setBrush(QColor(250, 250, 245));
        p.drawRoundedRect(QRectF(cx - 76, 46, 152, 122), 4, 4);
        p.setPen(QPen(QColor(200, 205, 220), 1));
        for (double y = 62; y < 160; y += 12)
            p.drawLine(QPointF(cx - 66, y), QPointF(cx + 66, y));
        p.setPen(QPen(QColor(20, 140, 60), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath rise;
        rise.moveTo(cx - 60, 150);
        rise.lineTo(cx - 25, 118);
        rise.lineTo(cx + 5, 132);
        rise.lineTo(cx + 55, 70);
        p.drawPath(rise);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 140, 60));
        QPolygonF head;
        head << QPointF(cx + 64, 58) << QPointF(cx + 60, 80) << QPointF(cx + 44, 66);
        p.drawPolygon(head);

        QFont title(QStringLiteral("Liberation Serif"), 40, QFont::Bold, true);
        p.setFont(title);
        p.setPen(kNavy);
        p.drawText(QRectF(0, 196, size.width(), 64), Qt::AlignCenter, QStringLiteral("Vanteja"));
        QFont subtitle(QStringLiteral("Liberation Sans"), 13);
        p.setFont(subtitle);
        p.setPen(kMaroon);
        p.drawText(QRectF(0, 262, size.width(), 28), Qt::AlignCenter,
                   QStringLiteral("Recibos, promissórias, contas a pagar e a receber, fluxo de caixa"));
    });
}

QPixmap Pictures::loginBanner(const QSize& size) {
    return draw(size, [size](QPainter& p) {
        QLinearGradient sky(QPointF(0, 0), QPointF(size.width(), size.height()));
        sky.setColorAt(0, QColor(15, 35, 95));
        sky.setColorAt(1, QColor(55, 105, 190));
        p.fillRect(QRectF(QPointF(0, 0), size), sky);
        p.setPen(QPen(QColor(255, 255, 255, 50), 2));
        for (int i = 0; i < 6; ++i)
            p.drawEllipse(QPointF(size.width() - 40, size.height() + 30), 40 + i * 22, 40 + i * 22);
        QFont title(QStringLiteral("Liberation Serif"), 22, QFont::Bold, true);
        p.setFont(title);
        p.setPen(Qt::white);
        p.drawText(QRectF(16, 0, size.width(), size.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Vanteja"));
    });
}

QPixmap Pictures::alertSign(int size) {
    return draw(QSize(size, size), [size](QPainter& p) {
        QPolygonF sign;
        sign << QPointF(size / 2.0, 1) << QPointF(size - 1, size - 2) << QPointF(1, size - 2);
        p.setPen(QPen(QColor(120, 80, 0), 1));
        p.setBrush(QColor(250, 200, 30));
        p.drawPolygon(sign);
        p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(size / 2.0, size * 0.35), QPointF(size / 2.0, size * 0.62));
        p.drawPoint(QPointF(size / 2.0, size * 0.78));
    });
}
