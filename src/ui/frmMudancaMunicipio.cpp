#include "ui/frmMudancaMunicipio.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include "data/EdicaoDeclaracao.h"
#include "data/dmPrincipal.h"
#include "ui/Ajuda.h"
#include "ui/Formulario.h"
#include "ui/GradeEditavel.h"

namespace kov::ui {

namespace {

bool deMunicipioAnterior(const DetalhamentoEntrada& l) { return l.MUDANCAMUNICIPIO == "S"; }

}  // namespace

TfrmMudouMunicipio::TfrmMudouMunicipio(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai)
    : TfrmAncestralKOV(dm, &declaracoes.detalhamentoEntrada(), pai) {
    setObjectName(QStringLiteral("frmMudouMunicipio"));
    setWindowTitle(QStringLiteral("KOV - Mudança de município"));
    DefinirContextoAjuda(this, ContextoAjuda::Documentos);
    barraComandos()->hide();
    for (QPushButton* b : {botaoGravar(), botaoCancelar(), botaoFechar(), botaoAjuda()}) b->hide();

    // Linhas novas são de município anterior; só elas aparecem
    dm.MudancaMunicipioPadrao = "S";
    declaracoes.detalhamentoEntrada().definirFiltro(deMunicipioAnterior);

    auto* titulo = new QLabel(QStringLiteral("Valores das outras entradas nos municípios anteriores"), corpo());
    titulo->setObjectName(QStringLiteral("lblTitulo"));
    grade_ = new QTableView(corpo());
    grade_->setObjectName(QStringLiteral("grdMunicipios"));
    grade_->verticalHeader()->setVisible(false);
    grade_->horizontalHeader()->setStretchLastSection(true);
    gradeEditavel_ = new GradeEditavel(grade_, *conjunto(), {"CODDRUMUNICIPIO", "DESCRICAO_MUNICIPIO", "VALORMUDANCA"},
                                       ui(), this);
    gradeEditavel_->definirCampoChave("CODDRUMUNICIPIO");
    GradeEditavel::Itens municipios;
    for (const auto& m : dm.ref.cdsMunicipio)
        municipios.emplace_back(QString::fromStdString(m.DESCRICAO), QString::number(m.CODDRUMUNICIPIO));
    gradeEditavel_->definirLista("DESCRICAO_MUNICIPIO", std::move(municipios));
    grade_->setColumnWidth(0, 80);
    grade_->setColumnWidth(1, 300);

    actInserirMunicipio =
        NovaAcao(this, "actInserirMunicipio", QStringLiteral("&Inserir"), QStringLiteral("Inserir novo registro"));
    actExcluirMunicipio =
        NovaAcao(this, "actExcluirMunicipio", QStringLiteral("E&xcluir"), QStringLiteral("Deletar o registro atual"));
    connect(actInserirMunicipio, &QAction::triggered, this, &TfrmMudouMunicipio::inserirMunicipio);
    connect(actExcluirMunicipio, &QAction::triggered, this, &TfrmMudouMunicipio::excluirMunicipio);
    btnInserir_ = BotaoDaAcao(corpo(), actInserirMunicipio, "btnInserir", QStyle::SP_FileIcon);
    btnExcluir_ = BotaoDaAcao(corpo(), actExcluirMunicipio, "btnExcluir", QStyle::SP_TrashIcon);
    btnConfirmar_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("C&onfirmar"), this);
    btnConfirmar_->setObjectName(QStringLiteral("btnConfirmar"));
    btnConfirmar_->setToolTip(QStringLiteral("Confirmar"));
    btnConfirmar_->setAutoDefault(false);
    btnConfirmar_->setMinimumWidth(96);
    connect(btnConfirmar_, &QPushButton::clicked, this, &TfrmMudouMunicipio::confirmar);

    auto* botoes = new QHBoxLayout;
    botoes->addWidget(btnInserir_);
    botoes->addWidget(btnExcluir_);
    botoes->addStretch(1);
    botoes->addWidget(btnConfirmar_);
    auto* lay = new QVBoxLayout(corpo());
    lay->setContentsMargins(0, 4, 0, 0);
    lay->addWidget(titulo);
    lay->addWidget(grade_, 1);
    lay->addLayout(botoes);
    resize(560, 380);
    iniciarTela();
}

void TfrmMudouMunicipio::atualizarComandos() {
    TfrmAncestralKOV::atualizarComandos();
    if (!actInserirMunicipio) return;
    ConjuntoDados* c = conjunto();
    actInserirMunicipio->setEnabled(c && !c->somenteLeitura());
    actExcluirMunicipio->setEnabled(c && !c->somenteLeitura() && (c->editando() || !c->vazio()));
}

void TfrmMudouMunicipio::inserirMunicipio() {
    if (conjunto()->editando()) return;
    gradeEditavel_->incluirLinha();
}

void TfrmMudouMunicipio::excluirMunicipio() { gradeEditavel_->excluirLinha(); }

void TfrmMudouMunicipio::confirmar() {
    if (!gradeEditavel_->sairDaGrade()) return;
    accept();
}

void TfrmMudouMunicipio::aoFechar() {
    dm().MudancaMunicipioPadrao = "N";
    static_cast<ConjuntoDetalhe<DetalhamentoEntrada>*>(conjunto())->definirFiltro({});
}

}  // namespace kov::ui
