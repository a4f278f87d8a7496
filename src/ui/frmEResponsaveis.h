#pragma once
// Tela de edição de um responsável ("Responsável pelas informações"): nome, DDD, telefone
// e e-mail. As verificações dos campos são as do cadastro, feitas ao gravar.
#include "ui/AncestralKOV.h"

class QLineEdit;

namespace kov::ui {

class TFormEdicaoResponsavel : public TfrmAncestralKOV {
    Q_OBJECT
public:
    TFormEdicaoResponsavel(Tdm& dm, ConjuntoDados* conjunto, QWidget* pai = nullptr);

    QLineEdit* edtNome;
    QLineEdit* edtDDD;
    QLineEdit* edtTelefone;
    QLineEdit* edtEmail;
};

}  // namespace kov::ui
