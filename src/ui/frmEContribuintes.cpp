#include "ui/frmEContribuintes.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/Cadastros.h"
#include "data/Edicao.h"
#include "data/dmPrincipal.h"
#include "ui/Ajuda.h"
#include "ui/Formulario.h"
#include "ui/frmVResponsaveis.h"

namespace kov::ui {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QToolButton* botaoLocalizar(QWidget* pai, const char* nome) {
    auto* b = new QToolButton(pai);
    b->setObjectName(QString::fromLatin1(nome));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setAutoRaise(false);
    b->setFixedSize(28, 26);
    return b;
}

}  // namespace

TFormEdicaoContribuinte::TFormEdicaoContribuinte(Tdm& dm, ConjuntoDados* conjunto, QWidget* pai)
    : TfrmAncestralKOV(dm, conjunto, pai) {
    setObjectName(QStringLiteral("FormEdicaoContribuinte"));
    setWindowTitle(QStringLiteral("Contribuinte"));
    DefinirContextoAjuda(this, ContextoAjuda::Contribuintes);

    auto texto = [](QWidget* pai, const char* campo, const char* objeto, int maximo, bool tag30 = false) {
        auto* e = new QLineEdit(pai);
        e->setObjectName(QString::fromLatin1(objeto));
        e->setMaxLength(maximo);
        LigarCampo(e, campo, tag30);
        if (tag30) e->setReadOnly(true);
        return e;
    };
    auto lista = [](QWidget* pai, const char* campo, const char* objeto) {
        auto* c = new QComboBox(pai);
        c->setObjectName(QString::fromLatin1(objeto));
        c->setEditable(false);
        c->setMaxVisibleItems(20);
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(18);
        LigarCampo(c, campo);
        return c;
    };

    // Identificação
    auto* grpContribuinte = new QGroupBox(QStringLiteral("Contribuinte"), corpo());
    grpContribuinte->setObjectName(QStringLiteral("grpContribuinte"));
    auto* g1 = GradeFormulario(grpContribuinte);
    edtInscEstadual = texto(grpContribuinte, "INSCESTADUAL", "edtInscEstadual", 13);
    edtCNPJ = texto(grpContribuinte, "CNPJ", "edtCNPJ", 14);
    edtRazaoSocial = texto(grpContribuinte, "RAZAOSOCIAL", "edtRazaoSocial", 60);
    edtEmail = texto(grpContribuinte, "EMAIL", "edtEmail", 50);
    cbTipoContribuinte = lista(grpContribuinte, "TITULO_TIPO", "cbTipoContribuinte");
    for (const auto& t : dm.ref.cdsTipoContribuinte) cbTipoContribuinte->addItem(q(t.TITULO), t.TIPOCONTRIBUINTE_ID);
    cbResponsavel = lista(grpContribuinte, "RESPONSAVEL_ID", "cbResponsavel");
    cbResponsavel->setPlaceholderText(QStringLiteral("Não atribuído"));
    btnNovoResponsavel = botaoLocalizar(grpContribuinte, "btnNovoResponsavel");
    btnNovoResponsavel->setIcon(style()->standardIcon(QStyle::SP_FileDialogNewFolder));
    btnNovoResponsavel->setToolTip(QStringLiteral("Cadastrar novo responsável"));
    btnNovoResponsavel->setStatusTip(QStringLiteral("Cadastrar novo responsável"));
    connect(btnNovoResponsavel, &QToolButton::clicked, this, &TFormEdicaoContribuinte::cadastrarResponsavel);
    edtInscEstadual->setMaximumWidth(150);
    edtCNPJ->setMaximumWidth(160);

    Rotular(g1, QStringLiteral("Inscrição Estadual"), edtInscEstadual, 0, 0);
    g1->addWidget(edtInscEstadual, 0, 1);
    Rotular(g1, QStringLiteral("CNPJ"), edtCNPJ, 0, 2);
    g1->addWidget(edtCNPJ, 0, 3, 1, 2);
    Rotular(g1, QStringLiteral("Razão Social"), edtRazaoSocial, 1, 0);
    g1->addWidget(edtRazaoSocial, 1, 1, 1, 4);
    Rotular(g1, QStringLiteral("Email"), edtEmail, 2, 0);
    g1->addWidget(edtEmail, 2, 1, 1, 4);
    Rotular(g1, QStringLiteral("Tipo Contribuinte"), cbTipoContribuinte, 3, 0);
    g1->addWidget(cbTipoContribuinte, 3, 1, 1, 4);
    Rotular(g1, QStringLiteral("Responsável"), cbResponsavel, 4, 0);
    g1->addWidget(cbResponsavel, 4, 1, 1, 3);
    g1->addWidget(btnNovoResponsavel, 4, 4);
    g1->setColumnStretch(3, 1);

    // Atividade econômica: só pelo localizador
    auto* grpAtividade = new QGroupBox(QStringLiteral("Atividade Econômica"), corpo());
    grpAtividade->setObjectName(QStringLiteral("grpAtividade"));
    auto* g2 = GradeFormulario(grpAtividade);
    edtCnaef = texto(grpAtividade, "CNAEF_ID", "edtCnaef", 7, true);
    edtDesmembramento = texto(grpAtividade, "DESMEMBRAMENTO", "edtDesmembramento", 2, true);
    edtDescricaoCnaef = texto(grpAtividade, "CNAEF_DESCRICAO", "edtDescricaoCnaef", 32767, true);
    btnLocalizarCnaef = botaoLocalizar(grpAtividade, "btnLocalizarCnaef");
    btnLocalizarCnaef->setDefaultAction(actLocalizarCnaef);
    // A descrição só acompanha o código: fundo de campo que não se edita
    QPalette fundo = edtDescricaoCnaef->palette();
    fundo.setColor(QPalette::Base, fundo.color(QPalette::Window));
    edtDescricaoCnaef->setPalette(fundo);
    edtDescricaoCnaef->setFocusPolicy(Qt::ClickFocus);
    edtCnaef->setMaximumWidth(90);
    edtDesmembramento->setMaximumWidth(40);
    Rotular(g2, QStringLiteral("CNAE"), edtCnaef, 0, 0);
    g2->addWidget(edtCnaef, 0, 1);
    Rotular(g2, QStringLiteral("Desmembramento"), edtDesmembramento, 0, 2);
    g2->addWidget(edtDesmembramento, 0, 3);
    g2->addWidget(btnLocalizarCnaef, 0, 4, Qt::AlignLeft);
    g2->addWidget(edtDescricaoCnaef, 1, 1, 1, 5);
    g2->setColumnStretch(5, 1);

    // Endereço
    auto* grpEndereco = new QGroupBox(QStringLiteral("Endereço atual:"), corpo());
    grpEndereco->setObjectName(QStringLiteral("grpEndereco"));
    auto* g3 = GradeFormulario(grpEndereco);
    cbMunicipio = lista(grpEndereco, "DESCRICAO_MUNICIPIO", "cbMunicipio");
    for (const auto& m : dm.ref.cdsMunicipio) cbMunicipio->addItem(q(m.DESCRICAO), m.CODDRUMUNICIPIO);
    btnLocalizarMunicipio = botaoLocalizar(grpEndereco, "btnLocalizarMunicipio");
    btnLocalizarMunicipio->setDefaultAction(actLocalizarMunicipio);
    edtEndereco = texto(grpEndereco, "ENDERECO", "edtEndereco", 50);
    edtNumero = texto(grpEndereco, "NUMERO", "edtNumero", 5);
    edtComplemento = texto(grpEndereco, "COMPLEMENTO", "edtComplemento", 20);
    edtBairro = texto(grpEndereco, "BAIRRO", "edtBairro", 30);
    edtCEP = texto(grpEndereco, "CEP", "edtCEP", 8);
    edtCaixaPostal = texto(grpEndereco, "CAIXAPOSTAL", "edtCaixaPostal", 7);
    edtAgenciaPostal = texto(grpEndereco, "AGENCIAPOSTAL", "edtAgenciaPostal", 3);
    edtDDD = texto(grpEndereco, "DDD", "edtDDD", 3);
    edtTelefone = texto(grpEndereco, "TELEFONE", "edtTelefone", 12);
    edtNumero->setMaximumWidth(70);
    edtCEP->setMaximumWidth(100);
    edtCaixaPostal->setMaximumWidth(90);
    edtAgenciaPostal->setMaximumWidth(50);
    edtDDD->setMaximumWidth(50);
    edtTelefone->setMaximumWidth(130);

    Rotular(g3, QStringLiteral("Municipio"), cbMunicipio, 0, 0);
    auto* linhaMunicipio = new QHBoxLayout;
    linhaMunicipio->setSpacing(4);
    linhaMunicipio->addWidget(cbMunicipio, 1);
    linhaMunicipio->addWidget(btnLocalizarMunicipio);
    g3->addLayout(linhaMunicipio, 0, 1, 1, 5);
    Rotular(g3, QStringLiteral("Logradouro"), edtEndereco, 1, 0);
    g3->addWidget(edtEndereco, 1, 1, 1, 3);
    Rotular(g3, QStringLiteral("Número"), edtNumero, 1, 4);
    g3->addWidget(edtNumero, 1, 5);
    Rotular(g3, QStringLiteral("Complemento"), edtComplemento, 2, 0);
    g3->addWidget(edtComplemento, 2, 1);
    Rotular(g3, QStringLiteral("Bairro"), edtBairro, 2, 2);
    g3->addWidget(edtBairro, 2, 3, 1, 3);
    Rotular(g3, QStringLiteral("CEP"), edtCEP, 3, 0);
    g3->addWidget(edtCEP, 3, 1);
    Rotular(g3, QStringLiteral("Caixa Postal"), edtCaixaPostal, 3, 2);
    g3->addWidget(edtCaixaPostal, 3, 3);
    Rotular(g3, QStringLiteral("Agência Postal"), edtAgenciaPostal, 3, 4);
    g3->addWidget(edtAgenciaPostal, 3, 5);
    Rotular(g3, QStringLiteral("DDD"), edtDDD, 4, 0);
    g3->addWidget(edtDDD, 4, 1);
    Rotular(g3, QStringLiteral("Telefone"), edtTelefone, 4, 2);
    g3->addWidget(edtTelefone, 4, 3);
    g3->setColumnStretch(1, 1);
    g3->setColumnStretch(3, 2);

    auto* lay = new QVBoxLayout(corpo());
    lay->setContentsMargins(0, 4, 0, 0);
    lay->setSpacing(10);
    lay->addWidget(grpContribuinte);
    lay->addWidget(grpAtividade);
    lay->addWidget(grpEndereco);
    lay->addStretch(1);
    setMinimumWidth(640);

    carregarResponsaveis();
    iniciarTela();
}

void TFormEdicaoContribuinte::carregarResponsaveis() {
    const QSignalBlocker bloqueio(cbResponsavel);
    cbResponsavel->clear();
    try {
        for (const auto& r : ListarResponsaveis(dm().MainConnection))
            cbResponsavel->addItem(q(r.NOME), r.RESPONSAVEL_ID);
    } catch (const std::exception& e) {
        ui().erro(e.what());
    }
    // Volta a mostrar o responsável do registro
    mostrarRegistro();
}

void TFormEdicaoContribuinte::cadastrarResponsavel() {
    try {
        TFormVisaoResponsaveis lista(dm(), this);
        lista.exec();
    } catch (const std::exception& e) {
        ui().erro(e.what());
    }
    carregarResponsaveis();
}

}  // namespace kov::ui
