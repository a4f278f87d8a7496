#pragma once
// Mudança de município ("KOV - Mudança de município"): os valores que pertencem aos
// municípios anteriores de um contribuinte que mudou de município no ano base. Edita as
// outras entradas por município da declaração marcadas como de município anterior
// (MUDANCAMUNICIPIO 'S'); as linhas novas recebem essa marca. Ficam na declaração em edição
// e chegam à base com a próxima gravação do editor.
#include "ui/AncestralKOV.h"

class QPushButton;
class QTableView;

namespace kov {
class ConjuntoDeclaracoes;
}

namespace kov::ui {

class GradeEditavel;

class TfrmMudouMunicipio : public TfrmAncestralKOV {
    Q_OBJECT
public:
    TfrmMudouMunicipio(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai = nullptr);

    QAction* actInserirMunicipio;
    QAction* actExcluirMunicipio;
    QTableView* grade() const { return grade_; }
    GradeEditavel* gradeEditavel() const { return gradeEditavel_; }
    QPushButton* botaoInserir() const { return btnInserir_; }
    QPushButton* botaoExcluir() const { return btnExcluir_; }
    QPushButton* botaoConfirmar() const { return btnConfirmar_; }

public slots:
    // Começa uma linha nova, salvo se uma linha já está em inclusão ou alteração.
    void inserirMunicipio();
    // Exclui a linha atual, sem perguntar.
    void excluirMunicipio();
    // Grava a linha em edição e fecha confirmando.
    void confirmar();
    void atualizarComandos() override;

protected:
    void aoFechar() override;

private:
    QTableView* grade_;
    GradeEditavel* gradeEditavel_;
    QPushButton* btnInserir_;
    QPushButton* btnExcluir_;
    QPushButton* btnConfirmar_;
};

}  // namespace kov::ui
