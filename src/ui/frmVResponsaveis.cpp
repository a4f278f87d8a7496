#include "ui/frmVResponsaveis.h"

#include <QHeaderView>
#include <QTableView>

#include "data/Cadastros.h"
#include "data/dmPrincipal.h"
#include "ui/Ajuda.h"
#include "ui/frmEResponsaveis.h"

namespace kov::ui {

std::unique_ptr<ConjuntoLinhas<Responsavel>> CriarConjuntoResponsaveis(Tdm& dm) {
    auto ui = std::make_shared<InteracaoTela>(dm.ui());
    ConjuntoLinhas<Responsavel>::Operacoes ops;
    ops.carregar = [&dm] { return ListarResponsaveis(dm.MainConnection); };
    ops.novo = [] { return NovoResponsavel(); };
    ops.gravar = [&dm, ui](Responsavel& r) { GravarResponsavel(dm.MainConnection, r, *ui); };
    ops.excluir = [&dm](const Responsavel& r) { ExcluirResponsavel(dm.MainConnection, r.RESPONSAVEL_ID); };
    return std::make_unique<ConjuntoLinhas<Responsavel>>(
        "cdsResponsavel", std::move(ops),
        std::vector<DescricaoCampo>{{"RESPONSAVEL_ID", "Código", false},
                                    {"NOME", "Nome", true},
                                    {"DDD", "DDD", true},
                                    {"TELEFONE", "Telefone", true},
                                    {"EMAIL", "E-Mail", true}});
}

TFormVisaoResponsaveis::TFormVisaoResponsaveis(Tdm& dm, QWidget* pai) : TfrmVisaoAncestral(dm, pai) {
    setObjectName(QStringLiteral("FormVisaoResponsaveis"));
    setWindowTitle(QStringLiteral("Cadastro de Responsáveis"));
    DefinirContextoAjuda(this, ContextoAjuda::Responsaveis);
    definirConjunto(CriarConjuntoResponsaveis(dm), {"NOME", "DDD", "TELEFONE", "EMAIL"});
    definirEdicao([this](QWidget* p) { return new TFormEdicaoResponsavel(this->dm(), conjunto(), p); });
    grade()->setColumnWidth(0, 280);
    grade()->setColumnWidth(1, 60);
    grade()->setColumnWidth(2, 110);
    resize(680, 420);
}

}  // namespace kov::ui
