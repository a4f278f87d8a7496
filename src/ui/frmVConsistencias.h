#pragma once
// Lista de consistências ("Consistências"): as declarações com erros na última consistência
// (grade de cima) e os erros da escolhida (grade de baixo), com a mensagem e a dica inteiras
// sob as grades. "&Corrigir" (ou o duplo clique num erro) leva ao lugar onde o erro se
// corrige: o editor da declaração na página e na aba do erro, com o foco no campo, ou a tela
// de detalhamento do tipo de operação. Depois de uma gravação, a lista mostra o que a nova
// consistência achou.
#include <QDialog>
#include <vector>

#include "data/Consistencia.h"
#include "ui/AncestralDRU.h"

class QAction;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace kov {
class ConjuntoDeclaracoes;
class Tdm;
}  // namespace kov

namespace kov::ui {

class TFormVisaoConsistencias : public QDialog {
    Q_OBJECT
public:
    // 'declaracoes' é a lista de declarações de quem abre: a correção edita a declaração nela.
    TFormVisaoConsistencias(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai = nullptr);

    QAction* actCorrigir;
    QTableView* grdDocumentos() const { return grdDocumentos_; }
    QTableView* grdErros() const { return grdErros_; }
    QPlainTextEdit* memoMensagem() const { return memMensagem_; }
    QPlainTextEdit* memoDica() const { return memDica_; }
    QLabel* rotuloSituacao() const { return lblSituacao_; }
    // "Onde corrigir: ..." do erro atual, as mesmas palavras do kov-cli.
    QLabel* rotuloOnde() const { return lblOnde_; }
    QPushButton* botaoCorrigir() const { return btnCorrigir_; }
    // Erros mostrados na grade de baixo (os da declaração escolhida em cima).
    const std::vector<LinhaErro>& erros() const { return erros_; }

public slots:
    void corrigir();
    // Lê de novo as listas do módulo de dados, ficando na mesma declaração quando ela continua.
    void recarregar();

private:
    void escolherDocumento(int linha);
    void mostrarErro(int linha);
    bool localizarDeclaracao(int documento);
    void abrirEditor(const DestinoCorrecao& destino);
    void abrirDetalhamento(int tipoOperacao);

    Tdm& dm_;
    ConjuntoDeclaracoes& declaracoes_;
    InteracaoTela ui_;
    std::vector<LinhaDocumentoErros> documentos_;
    std::vector<LinhaErro> erros_;
    QTableView* grdDocumentos_;
    QTableView* grdErros_;
    QPlainTextEdit* memMensagem_;
    QPlainTextEdit* memDica_;
    QLabel* lblSituacao_;
    QLabel* lblOnde_;
    QPushButton* btnCorrigir_;
    QPushButton* btnFechar_;
};

}  // namespace kov::ui
