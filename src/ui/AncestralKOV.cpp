#include "ui/AncestralKOV.h"

#include <QAction>
#include <QStyle>

#include "data/Edicao.h"
#include "ui/untCnaef.h"
#include "ui/untMunicipio.h"

namespace kov::ui {

TfrmAncestralKOV::TfrmAncestralKOV(Tdm& dm, ConjuntoDados* conjunto, QWidget* pai)
    : TfrmAncestral(dm, conjunto, pai) {
    actLocalizarCnaef = new QAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("..."), this);
    actLocalizarCnaef->setObjectName(QStringLiteral("actLocalizarCnaef"));
    actLocalizarMunicipio =
        new QAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), QStringLiteral("..."), this);
    actLocalizarMunicipio->setObjectName(QStringLiteral("actLocalizarMunicipio"));
    connect(actLocalizarCnaef, &QAction::triggered, this, &TfrmAncestralKOV::localizarCnaef);
    connect(actLocalizarMunicipio, &QAction::triggered, this, &TfrmAncestralKOV::localizarMunicipio);
    actLocalizarCnaef->setEnabled(false);
    actLocalizarMunicipio->setEnabled(false);
}

void TfrmAncestralKOV::atualizarComandos() {
    TfrmAncestral::atualizarComandos();
    const bool editando = conjunto() && conjunto()->editando();
    actLocalizarCnaef->setEnabled(editando);
    actLocalizarMunicipio->setEnabled(editando);
}

void TfrmAncestralKOV::localizarCnaef() {
    if (!conjunto() || !conjunto()->editando()) return;
    std::string codigo, desmembramento;
    {
        TfrmEscolheCnaef tela(dm(), this);
        if (tela.exec() != QDialog::Accepted) return;
        codigo = tela.codigo();
        desmembramento = tela.desmembramento();
    }
    conjunto()->definir("CNAEF_ID", fb::Valor(codigo));
    conjunto()->definir("DESMEMBRAMENTO", fb::Valor(desmembramento.empty() ? std::string("00") : desmembramento));
}

void TfrmAncestralKOV::localizarMunicipio() {
    if (!conjunto() || !conjunto()->editando()) return;
    int codigo = 0;
    {
        TfrmEscolheMunicipio tela(dm(), this);
        if (tela.exec() != QDialog::Accepted) return;
        if (!tela.municipio()) return;
        codigo = tela.CODDRUMUNICIPIO();
    }
    conjunto()->definir("CODDRUMUNICIPIO", fb::Valor(codigo));
}

bool TfrmAncestralKOV::confirmarFechamento() {
    if (!ui().pergunta("Gravação", "Confirma cancelamento de todas as alterações, \r\n"
                                   "que ainda não foram enviadas para a base de dados ?"))
        return false;
    conjunto()->cancelar();
    return true;
}

}  // namespace kov::ui
