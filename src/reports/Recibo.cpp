#include "reports/Recibo.h"

#include "data/Codificacao.h"

namespace kov::relatorios {

QString DataDoRecibo(const Entrega& e) {
    if (!e.DATA) return {};
    return QString::asprintf("%02u/%02u/%04d", static_cast<unsigned>(e.DATA->day()),
                             static_cast<unsigned>(e.DATA->month()), static_cast<int>(e.DATA->year()));
}

QString TextoDoRecibo(const std::string& guardado) {
    QString t = QString::fromStdString(ConverterTexto(guardado, "WINDOWS-1252", "UTF-8"));
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (t.endsWith(QLatin1Char('\n'))) t.chop(1);
    return t;
}

TscrRptRecibo::TscrRptRecibo(const Entrega& e, const QString& versao, QDateTime momento)
    : frame_(QStringLiteral("Recibo de Transmissão do Arquivo"), QStringLiteral("Recibo de Transmissão do Arquivo"),
             versao, std::move(momento)) {
    Relatorio& r = frame_.QuickRep1();
    Banda b;
    // Os rótulos em negrito cabem em 75 mm; os valores começam depois deles
    b.texto(0, 2, 75, QStringLiteral("Nº do protocolo de transmissão:"), Negrito(10));
    b.texto(75, 2, 115, QString::fromStdString(e.PROTOCOLO).trimmed(), Fonte{10});
    b.texto(0, 8, 75, QStringLiteral("Data/Hora da transmissão:"), Negrito(10));
    b.texto(75, 8, 115, DataDoRecibo(e) + QStringLiteral("  ") + QString::fromStdString(e.HORA), Fonte{10});
    b.definirAltura(16);
    r.detalhe(std::move(b));
    r.textoCorrido(TextoDoRecibo(e.RECIBO), Mono(8));
}

}  // namespace kov::relatorios
