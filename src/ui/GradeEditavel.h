#pragma once
// Grade editável sobre um conjunto (as linhas de uma seção da declaração): digita-se nas
// células, a linha entra em edição e é gravada ao mudar de linha ou ao sair da grade.
//
// Teclado: Enter vai à próxima coluna, da última à primeira da linha seguinte e, da última
// linha, começa uma linha nova; Shift+Enter volta uma coluna, da primeira à última da
// linha anterior e, da primeira linha, à última. Com uma linha em edição, Seta para cima e
// para baixo não mudam de linha. A vírgula decimal é ignorada nos valores. Esc fecha a
// célula e, sem célula aberta, cancela a linha em edição; sem linha em edição, é da tela.
// Enquanto a grade tem o foco, Enter e Esc da tela ficam desligados.
//
// Sair da grade grava a linha alterada; a linha incluída só é gravada quando o seu campo
// de chave tem valor, senão é cancelada. Uma recusa mostra o erro e volta à célula do campo.
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <map>
#include <string>
#include <utility>
#include <vector>

class QTableView;
class QWidget;

namespace kov {
class ConjuntoDados;
class Interacao;
}  // namespace kov

namespace kov::ui {

class DelegadoGrade;
class ModeloLinhas;

class GradeEditavel : public QObject {
    Q_OBJECT
public:
    using Itens = std::vector<std::pair<QString, QVariant>>;

    GradeEditavel(QTableView* grade, ConjuntoDados& conjunto, std::vector<std::string> campos, Interacao& ui,
                  QObject* pai = nullptr);
    ~GradeEditavel() override;

    QTableView* grade() const { return grade_; }
    ModeloLinhas* modelo() const { return modelo_; }
    // Campo que decide se a linha incluída é gravada ao sair da grade.
    void definirCampoChave(const std::string& campo) { campoChave_ = campo; }
    // Coluna de consulta escolhida numa lista: o texto mostrado e a chave gravada.
    void definirLista(const std::string& campo, Itens itens);
    const Itens* lista(const std::string& campo) const;
    // Põe o cursor na coluna do campo, na linha atual do conjunto (a primeira, sem linha
    // atual); falso quando o campo não é coluna da grade. Sem linhas, a coluna fica lembrada
    // para quando houver.
    bool irParaCampo(const std::string& campo);

public slots:
    // Começa uma linha nova, com o cursor na primeira coluna.
    void incluirLinha();
    // Exclui a linha atual, sem perguntar (uma inclusão em curso é só cancelada).
    void excluirLinha();
    // Grava a linha em edição; falso quando foi recusada (o erro já foi mostrado).
    bool postarLinha();
    // Sair da grade: grava a linha alterada; a incluída sem chave é cancelada.
    bool sairDaGrade();

protected:
    bool eventFilter(QObject* alvo, QEvent* e) override;

private:
    friend class DelegadoGrade;
    void fecharCelula(bool gravar);
    void andar(bool frente);
    void irPara(int linha, int coluna);
    void seguirConjunto();
    void linhaDaGradeMudou(int linha);
    void focoMudou(QWidget* antes, QWidget* agora);
    bool dentro(const QWidget* w) const;
    bool chavePreenchida() const;

    QTableView* grade_;  // nulo depois que a grade é destruída (filha de outra página, pode ir antes)
    ConjuntoDados& conjunto_;
    Interacao& ui_;
    ModeloLinhas* modelo_;
    DelegadoGrade* delegado_;
    std::map<std::string, Itens> listas_;
    std::string campoChave_;
    QPointer<QWidget> celula_;  // editor da célula aberta
    int coluna_ = 0;
    bool sincronizando_ = false;
    bool saindo_ = false;
};

}  // namespace kov::ui
