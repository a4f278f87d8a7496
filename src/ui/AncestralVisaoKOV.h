#pragma once
// Tela de lista de que descendem as listas de cadastro: a grade sobre um conjunto de dados
// e os comandos de inserir, editar e excluir, que abrem a tela de edição do registro.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QPushButton;
class QTableView;

namespace kov {
class Tdm;
class ConjuntoDados;
}  // namespace kov

namespace kov::ui {

class InteracaoTela;
class ModeloLinhas;
class TfrmAncestral;

class TfrmVisaoAncestral : public QDialog {
    Q_OBJECT
public:
    // Cria a tela de edição do registro que a lista começou a incluir ou alterar.
    using FabricaEdicao = std::function<TfrmAncestral*(QWidget* pai)>;

    explicit TfrmVisaoAncestral(Tdm& dm, QWidget* pai = nullptr);
    // Fecha o conjunto.
    ~TfrmVisaoAncestral() override;

    ConjuntoDados* conjunto() const { return conjunto_.get(); }
    QTableView* grade() const { return grade_; }
    ModeloLinhas* modelo() const { return modelo_; }
    // Tela de edição aberta neste momento (nula fora da inclusão e da alteração).
    TfrmAncestral* edicaoAberta() const { return edicao_; }

    QAction* actdbAncestralVisaoInserir;
    QAction* actdbAncestralVisaoEditar;
    QAction* actdbAncestralVisaoDelete;
    QAction* actAncestralVisaoFechar;
    QAction* actAncestralVisaoAjuda;

    QPushButton* botaoInserir() const { return btnInserir_; }
    QPushButton* botaoEditar() const { return btnEditar_; }
    QPushButton* botaoExcluir() const { return btnExcluir_; }
    QPushButton* botaoFechar() const { return btnFechar_; }
    QPushButton* botaoAjuda() const { return btnAjuda_; }

public slots:
    void inserir();
    void editar();
    void excluir();
    void fechar();
    void ajuda();
    void atualizarComandos();

protected:
    // A tela concreta entrega o conjunto e as colunas da grade. O conjunto é fechado e
    // aberto de novo: a lista mostra o que está na base agora.
    void definirConjunto(std::unique_ptr<ConjuntoDados> conjunto, std::vector<std::string> colunas);
    void definirEdicao(FabricaEdicao fabrica) { fabrica_ = std::move(fabrica); }
    Tdm& dm() const { return dm_; }

    bool eventFilter(QObject* alvo, QEvent* e) override;

private:
    void abrirEdicao();
    void selecionarLinha(int linha);

    Tdm& dm_;
    std::unique_ptr<InteracaoTela> ui_;
    std::unique_ptr<ConjuntoDados> conjunto_;
    ModeloLinhas* modelo_ = nullptr;
    FabricaEdicao fabrica_;
    TfrmAncestral* edicao_ = nullptr;
    int observador_ = 0;
    bool sincronizando_ = false;
    QTableView* grade_;
    QPushButton* btnInserir_;
    QPushButton* btnEditar_;
    QPushButton* btnExcluir_;
    QPushButton* btnFechar_;
    QPushButton* btnAjuda_;
};

}  // namespace kov::ui
