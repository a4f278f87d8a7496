#pragma once
// Escolha das declarações para a entrega e para a cópia de declarações: página "Filtros"
// (todas ou com filtros de contribuinte, meses e "Não Transmitidas") e página "Declarações
// consistentes" com a lista disponível e a escolhida. As regras ficam no núcleo
// (SelecaoDeclaracoes); a tela só mostra as listas e repassa os comandos.
#include <optional>
#include <string>
#include <vector>

#include "delivery/untSetDeclaracoes.h"
#include "ui/pdrBasica.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTabWidget;

namespace kov {
class Tdm;
}

namespace kov::ui {

class TscrUntSetDeclaracao : public TscrPdrBasica {
    Q_OBJECT
public:
    TscrUntSetDeclaracao(Tdm& dm, ModoSelecao modo, QWidget* pai = nullptr);

    // Mostra a tela modal; as chaves de escolha em ordem quando o usuário confirmou, nada
    // quando fechou sem confirmar.
    std::optional<std::vector<std::string>> SelecionaDeclaracoes();

    const SelecaoDeclaracoes& selecao() const { return selecao_; }

    QAction* actTodas;
    QAction* actFiltros;
    QAction* actNaoTranmistidas;
    QAction* actContribuinte;
    QAction* actPeriodo;
    QAction* actInserir;
    QAction* actExcluir;
    QAction* actInserirTodas;
    QAction* actExcluirTodas;
    QAction* actConfirmar;

private:
    void escolherTodas(bool filtros);
    void trocarPagina(int pagina);
    void mostrarListas();
    void incluir();
    void excluir();
    void confirmar();
    std::vector<size_t> selecionadas(QListWidget* lista) const;

    Tdm& dm_;
    SelecaoDeclaracoes selecao_;
    std::optional<std::vector<std::string>> resultado_;
    QTabWidget* paginas_;
    QRadioButton* rbTodas_;
    QRadioButton* rbFiltros_;
    QCheckBox* ckContribuinte_;
    QCheckBox* ckPeriodo_;
    QCheckBox* ckNaoTransmitidas_;
    QLineEdit* edInscricao_;
    QLineEdit* edInicio_;
    QLineEdit* edFim_;
    QLabel* lblA_;
    QListWidget* lstDisponiveis_;
    QListWidget* lstEscolhidas_;
    QLabel* lblContagem_;
    int paginaAtual_ = 0;
};

}  // namespace kov::ui
