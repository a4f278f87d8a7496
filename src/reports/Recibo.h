#pragma once
// O recibo de transmissão de uma entrega: a moldura dos relatórios com o título "Recibo de
// Transmissão do Arquivo" e, no detalhe, o número do protocolo, a data e a hora da
// transmissão e o texto do recibo guardado na entrega, em fonte de largura fixa (as colunas
// do recibo são alinhadas por brancos) e seguindo pelas páginas quando não cabe numa.
#include <memory>

#include "data/Entregas.h"
#include "reports/pdrReport.h"

namespace kov::relatorios {

class TscrRptRecibo {
public:
    // 'versao' é VersaoSistema (o rodapé mostra "KOV " + versao).
    TscrRptRecibo(const Entrega& e, const QString& versao, QDateTime momento = QDateTime::currentDateTime());
    Relatorio& relatorio() { return frame_.QuickRep1(); }
    const Relatorio& relatorio() const { return frame_.QuickRep1(); }

private:
    TscrPdrReport frame_;
};

// A data da entrega "dd/mm/aaaa" (vazia sem data).
QString DataDoRecibo(const Entrega& e);
// O texto do recibo (Windows-1252 com CR LF, como guardado) em texto da tela.
QString TextoDoRecibo(const std::string& guardado);

}  // namespace kov::relatorios
