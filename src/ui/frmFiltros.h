#pragma once
// Seleção de impressão (Impressões > Relatórios): a lista das declarações do ano base, a
// ordem da lista, os formulários a produzir e o envio direto para a impressora. Cada
// execução monta, para a declaração da linha atual, os formulários marcados na ordem fixa
// (PRELO, entradas, saídas, KOV, outras entradas, GI) pelas regras de regime e limpa as
// escolhas no fim.
#include <functional>
#include <string>
#include <vector>

#include "data/RegrasDeclaracao.h"
#include "reports/Formularios.h"
#include "ui/pdrBasica.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QTableView;

namespace kov {
class Tdm;
}

namespace kov::ui {

class ModeloFiltros;

class TFormFiltros : public TscrPdrBasica {
    Q_OBJECT
public:
    TFormFiltros(Tdm& dm, QWidget* pai = nullptr);
    ~TFormFiltros() override;

    // Destino de cada formulário montado: a pré-visualização modal ou, com 'direto', a
    // impressora. Os testes trocam pelo registro do que foi produzido.
    using Produtor = std::function<void(const relatorios::FormularioMontado& f, bool direto)>;
    void definirProdutor(Produtor p) { produtor_ = std::move(p); }

    QTableView* lista() const { return grade_; }
    QComboBox* ordem() const { return cbOrdem_; }
    const std::vector<LinhaListaDeclaracao>& linhas() const { return linhas_; }

    QCheckBox* CHK_PRELO;
    QCheckBox* CHK_Entradas;
    QCheckBox* CHK_Saidas;
    QCheckBox* CHK_KOV;
    QCheckBox* CHK_KOVOutras;
    QCheckBox* CHK_GI;
    QCheckBox* CHK_DiretoImpressora;
    QCheckBox* CHKMarca;
    QPushButton* BTN_Executar;
    QPushButton* BTN_Fechar;

public slots:
    void executar();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void ordenar(int escolha);
    void marcarTodas(bool marcar);
    void limparEscolhas();
    std::vector<std::pair<QCheckBox*, relatorios::TipoFormulario>> caixas() const;

    Tdm& dm_;
    std::vector<LinhaListaDeclaracao> linhas_;
    ModeloFiltros* modelo_;
    QTableView* grade_;
    QComboBox* cbOrdem_;
    Produtor produtor_;
};

// Pré-visualização modal do relatório, com imprimir e salvar em PDF.
void VisualizarRelatorio(const relatorios::Relatorio& r, QWidget* pai);
// Imprime na impressora padrão, sem diálogo; mostra o erro quando não há impressora.
void ImprimirRelatorio(const relatorios::Relatorio& r, QWidget* pai);

}  // namespace kov::ui
