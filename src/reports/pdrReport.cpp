#include "reports/pdrReport.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace kov::relatorios {

const char* const NomeAdministracao = "ADMINISTRAÇÃO TRIBUTÁRIA ESTADUAL - DRU";
const char* const NomeSistemaApuracao = "Tessiva";

void DesenharEmblema(QPainter& p, const QRectF& a) {
    // Escudo: topo reto, lados que descem e se encontram numa ponta embaixo.
    const double w = a.width(), h = a.height();
    QPainterPath escudo;
    escudo.moveTo(a.left() + w * 0.08, a.top());
    escudo.lineTo(a.right() - w * 0.08, a.top());
    escudo.lineTo(a.right() - w * 0.08, a.top() + h * 0.55);
    escudo.quadTo(a.right() - w * 0.1, a.top() + h * 0.85, a.center().x(), a.bottom());
    escudo.quadTo(a.left() + w * 0.1, a.top() + h * 0.85, a.left() + w * 0.08, a.top() + h * 0.55);
    escudo.closeSubpath();
    p.setPen(QPen(Qt::black, std::max(1.0, w * 0.04)));
    p.setBrush(QColor(0xe8, 0xe8, 0xe8));
    p.drawPath(escudo);
    // Faixa com a sigla
    const QRectF faixa(a.left() + w * 0.08, a.top() + h * 0.32, w * 0.84, h * 0.26);
    p.setBrush(Qt::black);
    p.drawRect(faixa);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(std::max(1, static_cast<int>(faixa.height() * 0.7)));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(faixa, Qt::AlignCenter, QStringLiteral("DRU"));
    // Estrela no alto
    QPainterPath estrela;
    const QPointF c(a.center().x(), a.top() + h * 0.17);
    const double r1 = h * 0.11, r2 = r1 * 0.42;
    for (int i = 0; i < 10; ++i) {
        const double ang = -M_PI / 2 + i * M_PI / 5;
        const double r = i % 2 == 0 ? r1 : r2;
        const QPointF pt(c.x() + r * std::cos(ang), c.y() + r * std::sin(ang));
        if (i == 0) estrela.moveTo(pt);
        else estrela.lineTo(pt);
    }
    estrela.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(estrela);
}

QString DataHoraImpressao(const QDateTime& momento) {
    return momento.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

TscrPdrReport::TscrPdrReport(const QString& tituloTrabalho, const QString& qrlTitulo, const QString& versao,
                             QDateTime momento)
    : rel_(tituloTrabalho, momento), versao_(QStringLiteral("KOV ") + versao) {
    // Banda de título qrbCabecalho: emblema, as duas linhas de cabeçalho, o título e o traço grosso.
    Banda t;
    t.desenho(QRectF(0, 0, 16, 18), DesenharEmblema);
    t.texto(20, 1, 170, QString::fromUtf8(NomeAdministracao), Negrito(12));
    t.texto(20, 7, 170, QString::fromUtf8(NomeSistemaApuracao), Negrito(11));
    t.texto(0, 20, LarguraUtil, qrlTitulo, Negrito(13), Alinhamento::Centro);
    t.linha(0, 27.5, LarguraUtil, 27.5, 0.8);
    t.definirAltura(31);
    rel_.titulo(std::move(t));
    // Rodapé qrbRodape: data e hora, página, traço e a versão.
    const QString quando = DataHoraImpressao(momento);
    const QString v = versao_;
    rel_.definirRodape(10, [quando, v](const InfoPagina& pg) {
        Banda b(10);
        b.linha(0, 1, LarguraUtil, 1, 0.3);
        b.texto(0, 2.5, 70, quando, Fonte{8});
        b.texto(70, 2.5, 50, QStringLiteral("Página %1 de %2").arg(pg.numero).arg(pg.total), Fonte{8},
                Alinhamento::Centro);
        b.texto(120, 2.5, 70, v, Fonte{8}, Alinhamento::Direita);
        return b;
    });
}

void CabecalhoFormulario(Relatorio& r, const QString& tituloCabecalho, std::function<QString()> ano) {
    const QString quando = DataHoraImpressao(r.momento());
    r.definirCabecalhoPagina([quando, tituloCabecalho, ano](const InfoPagina&) {
        Banda b;
        b.texto(0, 0, 130, QString::fromUtf8(NomeAdministracao), Negrito(10));
        b.texto(130, 0, 60, quando, Fonte{8}, Alinhamento::Direita);
        b.texto(0, 5, 130, QStringLiteral("PRELO - Ano Base: ") + ano(), Negrito(10));
        double y = 10.5;
        if (!tituloCabecalho.isEmpty()) {
            b.texto(0, y, LarguraUtil, tituloCabecalho, Negrito(12), Alinhamento::Centro);
            y += 6.5;
        }
        b.linha(0, y, LarguraUtil, y, 0.5);
        b.definirAltura(y + 2.5);
        return b;
    });
}

void RodapeFormulario(Relatorio& r) {
    r.definirRodape(6, [](const InfoPagina& pg) {
        Banda b(6);
        b.linha(0, 1, LarguraUtil, 1, 0.2);
        b.texto(100, 2, 90, QStringLiteral("Página %1 de %2").arg(pg.numero).arg(pg.total), Fonte{7},
                Alinhamento::Direita);
        return b;
    });
}

}  // namespace kov::relatorios
