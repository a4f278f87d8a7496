#pragma once
// Lista de contribuintes ("Cadastro de Contribuintes"), em ordem de inscrição estadual.
#include <memory>

#include "data/Edicao.h"
#include "ui/AncestralVisaoKOV.h"

namespace kov::ui {

// Conjunto "cdsContribuinte": os contribuintes com as descrições de município
// (DESCRICAO_MUNICIPIO), de tipo (TITULO_TIPO) e da atividade (CNAEF_DESCRICAO) tiradas
// das tabelas de referência; gravados e excluídos pelas regras do cadastro.
std::unique_ptr<ConjuntoLinhas<Contribuinte>> CriarConjuntoContribuintes(Tdm& dm);

class TFormVisaoContribuintes : public TfrmVisaoAncestral {
    Q_OBJECT
public:
    // Lança o erro da base quando não consegue ler a lista.
    explicit TFormVisaoContribuintes(Tdm& dm, QWidget* pai = nullptr);
};

}  // namespace kov::ui
