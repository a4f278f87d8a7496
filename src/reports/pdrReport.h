#pragma once
// A moldura dos relatórios e o cabeçalho comum dos formulários impressos.
//
// TscrPdrReport: relatório de uma página com a banda de título (o emblema da
// administração, o nome dela e o do seu sistema de apuração, o título do relatório e um
// traço grosso) no alto da primeira página e o rodapé (data e hora da impressão, número
// da página, traço e "KOV " + versão) no pé de cada página. O recibo de entrega e outros
// relatórios avulsos são montados sobre ele.
//
// CabecalhoFormulario: o cabeçalho de página dos formulários da PRELO, do KOV e da GI —
// o nome da administração, "PRELO - Ano Base:" com o ano da declaração, a data e a hora
// da impressão à direita e, centrado abaixo, o título do formulário.
#include <QString>

#include "reports/Relatorio.h"

namespace kov::relatorios {

// Nome da administração tributária e do seu sistema de apuração, nos cabeçalhos.
extern const char* const NomeAdministracao;
extern const char* const NomeSistemaApuracao;

// Emblema da administração (um escudo com a sigla), desenhado na área dada.
void DesenharEmblema(QPainter& p, const QRectF& area);

// Texto da data e da hora de impressão: "dd/mm/aaaa hh:mm:ss".
QString DataHoraImpressao(const QDateTime& momento);

class TscrPdrReport {
public:
    // 'versao' é VersaoSistema (vai no rodapé como "KOV " + versao).
    TscrPdrReport(const QString& tituloTrabalho, const QString& qrlTitulo, const QString& versao,
                  QDateTime momento = QDateTime::currentDateTime());

    // O relatório com a banda de título já posta: quem o constrói acrescenta as suas bandas.
    Relatorio& QuickRep1() { return rel_; }
    const Relatorio& QuickRep1() const { return rel_; }
    const QString& qrlVersao() const { return versao_; }

private:
    Relatorio rel_;
    QString versao_;
};

// Instala no relatório o cabeçalho de página dos formulários. 'ano' é lido a cada página
// (o formulário de outras entradas o troca a cada grupo); 'tituloCabecalho' vazio não
// imprime a linha do título (a GI tem uma banda de título própria).
void CabecalhoFormulario(Relatorio& r, const QString& tituloCabecalho, std::function<QString()> ano);

// Rodapé discreto dos formulários: "Página N de M" à direita.
void RodapeFormulario(Relatorio& r);

}  // namespace kov::relatorios
