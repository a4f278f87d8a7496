#pragma once
// Tela de lista de que descendem as listas de cadastro: a grade sobre um conjunto de dados
// e os comandos de inserir, editar e excluir, que abrem a tela de edição do registro. A
// caixa "Localizar" sobre a grade deixa só as linhas que contêm o texto digitado em alguma
// coluna (Ctrl+F ou Alt+L a alcançam; Seta para baixo desce à grade; Esc a limpa).
#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLineEdit;
class QPushButton;
class QTableView;

namespace kov {
class Tdm;
class ConjuntoDados;
}  // namespace kov

namespace kov::ui {

class FiltroLinhas;
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
    QLineEdit* caixaLocalizar() const { return edtLocalizar_; }
    // Linha da grade que mostra a linha do conjunto (-1 quando o filtro a esconde).
    int linhaNaGrade(int linhaConjunto) const;
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
    virtual void inserir();
    virtual void editar();
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
    InteracaoTela& ui() const { return *ui_; }
    // Depois que a tela de edição aberta por inserir ou editar fecha.
    virtual void depoisDaEdicao() {}
    // Leva a grade à linha do conjunto (quando o filtro a mostra).
    void selecionarLinha(int linha);

    bool eventFilter(QObject* alvo, QEvent* e) override;

private:
    void abrirEdicao();

    Tdm& dm_;
    std::unique_ptr<InteracaoTela> ui_;
    std::unique_ptr<ConjuntoDados> conjunto_;
    ModeloLinhas* modelo_ = nullptr;
    FiltroLinhas* filtro_ = nullptr;
    QLineEdit* edtLocalizar_;
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
