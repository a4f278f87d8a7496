#pragma once
// Tela de edição base de todas as telas de cadastro do KOV: a tela de edição com os
// localizadores de CNAE-F e de município e a pergunta antes de fechar com alterações que
// ainda não foram gravadas.
#include "ui/AncestralDRU.h"

namespace kov::ui {

class TfrmAncestralKOV : public TfrmAncestral {
    Q_OBJECT
public:
    TfrmAncestralKOV(Tdm& dm, ConjuntoDados* conjunto, QWidget* pai = nullptr);

    // Habilitados só durante a inclusão ou a alteração.
    QAction* actLocalizarCnaef;
    QAction* actLocalizarMunicipio;

public slots:
    // Escolha na árvore CNAE-F: o código vai para CNAEF_ID e o desmembramento para
    // DESMEMBRAMENTO. Fechar o localizador sem confirmar não muda nada.
    void localizarCnaef();
    // Escolha na busca de municípios: o CODDRUMUNICIPIO vai para CODDRUMUNICIPIO.
    void localizarMunicipio();
    void atualizarComandos() override;

protected:
    // "Confirma cancelamento de todas as alterações, ..." (Gravação, Sim/Não): Sim descarta
    // a edição e deixa fechar; Não mantém a tela aberta com a edição.
    bool confirmarFechamento() override;
};

}  // namespace kov::ui
