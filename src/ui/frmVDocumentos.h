#pragma once
// Lista das declarações do ano base ("Cadastro de Documentos"): a situação da entrega e a
// da consistência em desenhos, a cor de cada linha pela consistência (azul nunca
// consistida, vermelha inconsistente, preta consistente; branca quando escolhida) e a
// legenda. Inserir e editar abrem o editor da declaração; quando ele fecha, a declaração
// atual é consistida e os erros aparecem.
#include "ui/AncestralVisaoKOV.h"

class QAction;
class QPushButton;

namespace kov {
class ConjuntoDeclaracoes;
}

namespace kov::ui {

class TFormVisaoDocumentos : public TfrmVisaoAncestral {
    Q_OBJECT
public:
    explicit TFormVisaoDocumentos(Tdm& dm, QWidget* pai = nullptr);

    ConjuntoDeclaracoes* declaracoes() const;
    QAction* actConsistir;
    QAction* actTrazerAnoAnterior;
    QPushButton* botaoConsistir() const { return btnConsistir_; }

public slots:
    // Esvazia as listas de erros, consiste a declaração atual e mostra os seus erros.
    void consistir();
    // Abre a escolha dos contribuintes do ano anterior e, criadas as declarações, relê a lista.
    void trazerDoAnoAnterior();

protected:
    void depoisDaEdicao() override;

private:
    QPushButton* btnConsistir_;
    QPushButton* btnTrazer_;
};

}  // namespace kov::ui
