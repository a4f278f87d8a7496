#include "ui/Desenhos.h"

#include <functional>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kov::ui {

namespace {

constexpr int Lado = 16;

// Um círculo da cor dada com um sinal branco por cima.
QIcon emblema(const QColor& fundo, const std::function<void(QPainter&)>& sinal) {
    QPixmap p(Lado, Lado);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    g.setBrush(fundo);
    g.drawEllipse(QRectF(1, 1, Lado - 2, Lado - 2));
    g.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    g.setBrush(Qt::NoBrush);
    sinal(g);
    return QIcon(p);
}

QIcon transmitida() {
    // Seta para cima: enviada à administração
    return emblema(QColor(0x2e, 0x7d, 0x32), [](QPainter& g) {
        g.drawLine(QPointF(8, 12), QPointF(8, 4.5));
        g.drawLine(QPointF(4.5, 7.5), QPointF(8, 4));
        g.drawLine(QPointF(11.5, 7.5), QPointF(8, 4));
    });
}

QIcon gravada() {
    // Disquete
    QPixmap p(Lado, Lado);
    p.fill(Qt::transparent);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0x37, 0x47, 0x8f));
    QPainterPath corpo;
    corpo.moveTo(2, 2);
    corpo.lineTo(12, 2);
    corpo.lineTo(14, 4);
    corpo.lineTo(14, 14);
    corpo.lineTo(2, 14);
    corpo.closeSubpath();
    g.drawPath(corpo);
    g.setBrush(Qt::white);
    g.drawRect(QRectF(4.5, 2.5, 6, 4));
    g.drawRect(QRectF(4, 9, 8, 5));
    g.setBrush(QColor(0x37, 0x47, 0x8f));
    g.drawRect(QRectF(8.5, 3, 1.5, 3));
    return QIcon(p);
}

QIcon naoConsistida() {
    return emblema(QColor(0x1f, 0x5f, 0xbf), [](QPainter& g) {
        QFont f = g.font();
        f.setPixelSize(12);
        f.setBold(true);
        g.setFont(f);
        g.drawText(QRectF(0, 0, Lado, Lado), Qt::AlignCenter, QStringLiteral("?"));
    });
}

QIcon inconsistente() {
    return emblema(QColor(0xc6, 0x28, 0x28), [](QPainter& g) {
        g.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        g.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
    });
}

QIcon consistente() {
    return emblema(QColor(0x21, 0x21, 0x21), [](QPainter& g) {
        g.drawLine(QPointF(4.5, 8.5), QPointF(7, 11));
        g.drawLine(QPointF(7, 11), QPointF(11.5, 5.5));
    });
}

}  // namespace

QIcon DesenhoEntrega(const QString& situacao) {
    static const QIcon t = transmitida(), d = gravada();
    if (situacao == u"T") return t;
    if (situacao == u"D") return d;
    return {};
}

QIcon DesenhoConsistencia(int status) {
    static const QIcon zero = naoConsistida(), um = inconsistente(), dois = consistente();
    switch (status) {
        case 1: return um;
        case 2: return dois;
        default: return zero;
    }
}

}  // namespace kov::ui
