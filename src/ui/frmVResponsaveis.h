#pragma once
// Lista de responsáveis pelas informações ("Cadastro de Responsáveis"). A linha 0, o
// responsável "Não atribuído", nunca aparece.
#include <memory>

#include "data/Edicao.h"
#include "ui/AncestralVisaoKOV.h"

namespace kov::ui {

// Conjunto "cdsResponsavel": os responsáveis em ordem de nome, gravados e excluídos pelas
// regras do cadastro.
std::unique_ptr<ConjuntoLinhas<Responsavel>> CriarConjuntoResponsaveis(Tdm& dm);

class TFormVisaoResponsaveis : public TfrmVisaoAncestral {
    Q_OBJECT
public:
    // Lança o erro da base quando não consegue ler a lista.
    explicit TFormVisaoResponsaveis(Tdm& dm, QWidget* pai = nullptr);
};

}  // namespace kov::ui
