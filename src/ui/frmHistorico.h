#pragma once
// Os recibos da janela principal: a escolha da declaração (TscrUntEscolheDeclaracao) e o
// histórico de entregas (TscrUntHistorico) quando a declaração tem mais de um recibo. O
// recibo é visualizado, impresso ou salvo em PDF pela pré-visualização dos relatórios.
#include <memory>
#include <vector>

#include "data/Entregas.h"
#include "ui/pdrBasica.h"

class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;

namespace kov {
class ConjuntoDeclaracoes;
class Tdm;
}

namespace kov::ui {

// A pré-visualização do recibo de uma entrega.
void VisualizarRecibo(Tdm& dm, const Entrega& e, QWidget* pai);

class TscrUntHistorico : public TscrPdrBasica {
    Q_OBJECT
public:
    TscrUntHistorico(Tdm& dm, const QString& topo, std::vector<Entrega> entregas, QWidget* pai = nullptr);
    QTableWidget* grade() const { return grade_; }
    QPushButton* botaoImprimir() const { return btnImprimir_; }
    // "Imprimir": o recibo da linha escolhida.
    void actImprimirExecute();

private:
    Tdm& dm_;
    std::vector<Entrega> entregas_;
    QTableWidget* grade_;
    QPushButton* btnImprimir_;
};

class ModeloLinhas;

// A lista é a das declarações do ano base (todas, qualquer que seja a consistência de hoje:
// uma declaração entregue e alterada depois continua com os seus recibos), lida da base
// quando a tela é criada.
class TscrUntEscolheDeclaracao : public TscrPdrBasica {
    Q_OBJECT
public:
    TscrUntEscolheDeclaracao(Tdm& dm, QWidget* pai = nullptr);
    ~TscrUntEscolheDeclaracao() override;
    QTableView* grade() const { return grade_; }
    // "&Imprimir": nenhum recibo, um (visualizado logo) ou vários (o histórico).
    void actImprimirExecute();

private:
    Tdm& dm_;
    std::unique_ptr<ConjuntoDeclaracoes> declaracoes_;
    ModeloLinhas* modelo_;
    QTableView* grade_;
};

// Entrada da janela principal: "Impressões" / "Recibo de Entrega" / "do Computador".
void AbrirEscolhaRecibo(Tdm& dm, QWidget* pai);

}  // namespace kov::ui
