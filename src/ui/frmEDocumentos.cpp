#include "ui/frmEDocumentos.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/Consistencia.h"
#include "data/EdicaoDeclaracao.h"
#include "data/RegrasCabecalho.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "ui/Ajuda.h"
#include "ui/Controles.h"
#include "ui/Formulario.h"
#include "ui/frmMudancaMunicipio.h"
#include "ui/frmVContribuintes.h"

namespace kov::ui {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

std::optional<int> inteiro(const fb::Valor& v) {
    if (v.nulo()) return std::nullopt;
    return static_cast<int>(v.inteiro());
}

const char* const MSG_CANCELAMENTO =
    "Confirma cancelamento de todas as alterações, \r\nque ainda não foram enviadas para a base de dados ?";
const char* const MSG_ZERAR_ANTERIORES = "Existe(m) valor(es) para município(s) anterior(es). Deseja zerar?";

QLineEdit* campoMostrado(QWidget* pai, const char* campo, const char* objeto) {
    auto* e = new QLineEdit(pai);
    e->setObjectName(QString::fromLatin1(objeto));
    e->setReadOnly(true);
    LigarCampo(e, campo, true);
    return e;
}

GrupoOpcoes* simNao(QWidget* pai, const QString& titulo, const char* campo, const char* objeto) {
    auto* g = new GrupoOpcoes(titulo, pai);
    g->setObjectName(QString::fromLatin1(objeto));
    g->adicionar(QStringLiteral("Sim"), QStringLiteral("S"));
    g->adicionar(QStringLiteral("Nao"), QStringLiteral("N"));
    LigarCampo(g, campo);
    return g;
}

QToolButton* botaoAo(QWidget* pai, const char* objeto, QAction* acao) {
    auto* b = new QToolButton(pai);
    b->setObjectName(QString::fromLatin1(objeto));
    b->setDefaultAction(acao);
    b->setFixedHeight(26);
    return b;
}

}  // namespace

TFormEdicaoDocumentos::TFormEdicaoDocumentos(Tdm& dm, ConjuntoDeclaracoes* declaracoes, QWidget* pai)
    : TfrmAncestralKOV(dm, declaracoes, pai) {
    setObjectName(QStringLiteral("FormEdicaoDocumentos"));
    setWindowTitle(QStringLiteral("Documentos"));
    DefinirContextoAjuda(this, ContextoAjuda::Documentos);
    // A declaração está sempre em edição no editor: os comandos de navegar, incluir e
    // exportar não têm vez, e fechar é pelo Esc ou pela moldura
    barraComandos()->hide();
    botaoFechar()->hide();

    actCadastrarContribuinte = new QAction(style()->standardIcon(QStyle::SP_FileDialogNewFolder),
                                           QStringLiteral("Contribuinte"), this);
    actCadastrarContribuinte->setObjectName(QStringLiteral("actCadastrarContribuinte"));
    actCadastrarContribuinte->setToolTip(QStringLiteral("Cadastro de Contribuintes"));
    connect(actCadastrarContribuinte, &QAction::triggered, this, &TFormEdicaoDocumentos::cadastrarContribuinte);
    actLocalizarMunicipio->setToolTip(QStringLiteral("Localizar o município"));

    pgcPrincipal = new QTabWidget(corpo());
    pgcPrincipal->setObjectName(QStringLiteral("pgcPrincipal"));
    tbsDocumento = new QWidget;
    tbsDocumento->setObjectName(QStringLiteral("tbsDocumento"));
    tbsPrelo = new QWidget;
    tbsPrelo->setObjectName(QStringLiteral("tbsPrelo"));
    tbsKOV = new QWidget;
    tbsKOV->setObjectName(QStringLiteral("tbsKOV"));
    tbsGI = new QWidget;
    tbsGI->setObjectName(QStringLiteral("tbsGI"));
    pgcPrincipal->addTab(tbsDocumento, QStringLiteral("Documento"));
    pgcPrincipal->addTab(tbsPrelo, QStringLiteral("PRELO"));
    pgcPrincipal->addTab(tbsKOV, QStringLiteral("KOV"));
    pgcPrincipal->addTab(tbsGI, QStringLiteral("GI"));
    // A troca de página pelo mouse ou pelo teclado passa pelas regras de saída do cabeçalho
    connect(pgcPrincipal, &QTabWidget::currentChanged, this, [this](int pagina) {
        if (mudandoPagina_ || pagina == paginaAtual_) return;
        mudandoPagina_ = true;
        pgcPrincipal->setCurrentIndex(paginaAtual_);
        mudandoPagina_ = false;
        irParaPagina(pagina);
    });
    auto* lay = new QVBoxLayout(corpo());
    lay->setContentsMargins(0, 4, 0, 0);
    lay->addWidget(pgcPrincipal);
    montarDocumento();
    montarFiguras();

    // 1. Criação: o marcador das outras entradas e os estados do editor
    dm.MudancaMunicipioPadrao.assign(1, 'N');
    carregarContribuintes();
    tomarAnos();
    iniciarTela();
    // 2. A primeira página
    pgcPrincipal->setCurrentIndex(PaginaDocumento);
    // 3. a 8.: anos de referência, apuração, legenda da mudança, o que aparece, regimes
    preencherAnos();
    recarregarRegimes();
    aplicarApuracao();
    grpMudanca->setTitle(QStringLiteral("Mudou de município em ") + QString::number(anoBase_));
    aplicarVisibilidade();
    mostrarRegistro();
    atualizarGrades();
    setMinimumWidth(760);
    // Cabe numa tela de 1366x768 com as grades da GI inteiras
    resize(1040, 690);
}

ConjuntoDeclaracoes* TFormEdicaoDocumentos::declaracoes() const { return static_cast<ConjuntoDeclaracoes*>(conjunto()); }

void TFormEdicaoDocumentos::montarDocumento() {
    QWidget* p = tbsDocumento;

    // Contribuinte: escolhido na lista de inscrições; o resto só mostra
    auto* grpContribuinte = new QGroupBox(QStringLiteral("Contribuinte"), p);
    grpContribuinte->setObjectName(QStringLiteral("grpContribuinte"));
    auto* g1 = GradeFormulario(grpContribuinte);
    cbInscricao = new ListaConsulta(grpContribuinte);
    cbInscricao->setObjectName(QStringLiteral("cbInscricao"));
    cbInscricao->definirSoPelaLista(true);
    cbInscricao->setMaxVisibleItems(20);
    cbInscricao->setMinimumContentsLength(34);
    cbInscricao->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    LigarCampo(cbInscricao, "IE_CONTRIBUINTE");
    cbInscricao->setProperty(PropriedadeSoMostra, true);
    connect(cbInscricao, qOverload<int>(&QComboBox::activated), this, &TFormEdicaoDocumentos::escolherContribuinte);
    btnContribuinte = botaoAo(grpContribuinte, "btnContribuinte", actCadastrarContribuinte);
    btnContribuinte->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    edtCNPJ = campoMostrado(grpContribuinte, "CNPJ_CONTRIBUINTE", "edtCNPJ");
    edtRazaoSocial = campoMostrado(grpContribuinte, "NOME_CONTRIBUINTE", "edtRazaoSocial");
    edtTipoContribuinte = campoMostrado(grpContribuinte, "TITULO_TIPOCONTRIBUINTE", "edtTipoContribuinte");
    edtCNPJ->setMaximumWidth(160);
    Rotular(g1, QStringLiteral("Inscrição Estadual"), cbInscricao, 0, 0);
    g1->addWidget(cbInscricao, 0, 1);
    g1->addWidget(btnContribuinte, 0, 2);
    Rotular(g1, QStringLiteral("CNPJ"), edtCNPJ, 0, 3);
    g1->addWidget(edtCNPJ, 0, 4);
    Rotular(g1, QStringLiteral("Razão Social"), edtRazaoSocial, 1, 0);
    g1->addWidget(edtRazaoSocial, 1, 1, 1, 4);
    Rotular(g1, QStringLiteral("Tipo Contribuinte"), edtTipoContribuinte, 2, 0);
    g1->addWidget(edtTipoContribuinte, 2, 1, 1, 4);
    g1->setColumnStretch(1, 1);

    // Atividade econômica: a do contribuinte, só mostrada
    auto* grpAtividade = new QGroupBox(QStringLiteral("Atividade Econômica"), p);
    grpAtividade->setObjectName(QStringLiteral("grpAtividade"));
    auto* g2 = GradeFormulario(grpAtividade);
    edtCnae = campoMostrado(grpAtividade, "CNAEF_ID", "edtCnae");
    edtDesmembramento = campoMostrado(grpAtividade, "DESMEMBRAMENTO", "edtDesmembramento");
    edtDescricaoCnae = campoMostrado(grpAtividade, "DESCRICAO_CNAEF", "edtDescricaoCnae");
    for (QLineEdit* e : {edtCnae, edtDesmembramento, edtDescricaoCnae}) e->setFocusPolicy(Qt::ClickFocus);
    edtCnae->setMaximumWidth(90);
    edtDesmembramento->setMaximumWidth(40);
    Rotular(g2, QStringLiteral("CNAE"), edtCnae, 0, 0);
    g2->addWidget(edtCnae, 0, 1);
    Rotular(g2, QStringLiteral("Desmembramento"), edtDesmembramento, 0, 2);
    g2->addWidget(edtDesmembramento, 0, 3);
    g2->addWidget(edtDescricaoCnae, 0, 4);
    g2->setColumnStretch(4, 1);

    // Município do estabelecimento no ano de apuração: só pelo localizador
    auto* grpMunicipio =
        new QGroupBox(QStringLiteral("Municípío de localização do estabelecimento no ano de apuração"), p);
    grpMunicipio->setObjectName(QStringLiteral("grpMunicipio"));
    auto* g3 = new QHBoxLayout(grpMunicipio);
    g3->setSpacing(4);
    edtMunicipio = campoMostrado(grpMunicipio, "DESCRICAO_MUNICIPIO", "edtMunicipio");
    btnMunicipio = botaoAo(grpMunicipio, "btnMunicipio", actLocalizarMunicipio);
    g3->addWidget(edtMunicipio, 1);
    g3->addWidget(btnMunicipio);

    // Período de referência
    auto* grpPeriodo = new QGroupBox(QStringLiteral("Período de referência:"), p);
    grpPeriodo->setObjectName(QStringLiteral("grpPeriodo"));
    auto* g4 = GradeFormulario(grpPeriodo);
    cbAno = new QComboBox(grpPeriodo);
    cbAno->setObjectName(QStringLiteral("cbAno"));
    LigarCampo(cbAno, "PERIODO");
    cbAno->setProperty(PropriedadeSoMostra, true);
    DefinirSomenteLeitura(cbAno, true);
    cbMesInicial = new QComboBox(grpPeriodo);
    cbMesInicial->setObjectName(QStringLiteral("cbMesInicial"));
    cbMesFinal = new QComboBox(grpPeriodo);
    cbMesFinal->setObjectName(QStringLiteral("cbMesFinal"));
    for (auto [cb, campo] : {std::pair{cbMesInicial, "MESINICIAL"}, {cbMesFinal, "MESFINAL"}}) {
        for (int m = 1; m <= 12; ++m)
            cb->addItem(QStringLiteral("%1 - %2").arg(m, 2, 10, QLatin1Char('0')).arg(q(NomeMes(m))), QString::number(m));
        cb->setMaxVisibleItems(12);
        LigarCampo(cb, campo);
        cb->setProperty(PropriedadeSoMostra, true);
    }
    connect(cbMesInicial, qOverload<int>(&QComboBox::activated), this, [this](int i) { escolherMes(true, i); });
    connect(cbMesFinal, qOverload<int>(&QComboBox::activated), this, [this](int i) { escolherMes(false, i); });
    Rotular(g4, QStringLiteral("Ano Referência"), cbAno, 0, 0);
    g4->addWidget(cbAno, 0, 1);
    Rotular(g4, QStringLiteral("Mês Inicial"), cbMesInicial, 1, 0);
    g4->addWidget(cbMesInicial, 1, 1);
    Rotular(g4, QStringLiteral("Mês Final"), cbMesFinal, 2, 0);
    g4->addWidget(cbMesFinal, 2, 1);
    g4->setColumnStretch(1, 1);

    // Regime e apuração
    auto* grpRegime = new QGroupBox(QStringLiteral("Regime de recolhimento"), p);
    grpRegime->setObjectName(QStringLiteral("grpRegime"));
    auto* g5 = GradeFormulario(grpRegime);
    cbRegime = new ListaConsulta(grpRegime);
    cbRegime->setObjectName(QStringLiteral("cbRegime"));
    cbRegime->setMinimumContentsLength(24);
    cbRegime->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    LigarCampo(cbRegime, "DESCRICAO_TIPOREGIME");
    cbRegime->setProperty(PropriedadeSoMostra, true);
    cbRegime->installEventFilter(this);
    connect(cbRegime, &ListaConsulta::abrindo, this, [this] {
        regimeLembrado_ = inteiro(conjunto()->valor("REGIME_ID")).value_or(-1);
    });
    connect(cbRegime, &ListaConsulta::fechada, this, &TFormEdicaoDocumentos::aplicarApuracao);
    connect(cbRegime, qOverload<int>(&QComboBox::activated), this, &TFormEdicaoDocumentos::escolherRegime);
    grpApuracao = new GrupoOpcoes(QStringLiteral("Apuração"), grpRegime);
    grpApuracao->setObjectName(QStringLiteral("grpApuracao"));
    grpApuracao->adicionar(QStringLiteral("Real"), QStringLiteral("1"));
    grpApuracao->adicionar(QStringLiteral("Presumida"), QStringLiteral("2"));
    LigarCampo(grpApuracao, "TIPORECOLHIMENTO_ID");
    Rotular(g5, QStringLiteral("Regime"), cbRegime, 0, 0);
    g5->addWidget(cbRegime, 0, 1);
    g5->addWidget(grpApuracao, 1, 0, 1, 2);
    g5->setColumnStretch(1, 1);

    // As escolhas Sim/Nao
    grpEscrita = simNao(p, QStringLiteral("Escrita Contábil"), "ESCRITACONTABIL", "grpEscrita");
    grpSubstituicao = simNao(p, QStringLiteral("Substituição"), "SUBSTITUICAO", "grpSubstituicao");
    grpBaixa = simNao(p, QStringLiteral("Baixa Referente Ano Corrente"), "BAIXA", "grpBaixa");
    grpBaixa->setProperty(PropriedadeSoMostra, true);
    connect(grpBaixa, &GrupoOpcoes::escolhida, this, &TFormEdicaoDocumentos::clicarBaixa);
    grpMudanca = simNao(p, QStringLiteral("Mudança de Município no Ano Base"), "MUDANCAMUNICIPIO", "grpMudanca");
    grpMudanca->setProperty(PropriedadeSoMostra, true);
    connect(grpMudanca, &GrupoOpcoes::escolhida, this, &TFormEdicaoDocumentos::clicarMudancaMunicipio);

    auto* meio = new QHBoxLayout;
    meio->setSpacing(10);
    meio->addWidget(grpPeriodo, 1);
    meio->addWidget(grpRegime, 1);
    auto* escolhas = new QGridLayout;
    escolhas->setHorizontalSpacing(10);
    escolhas->setVerticalSpacing(8);
    escolhas->addWidget(grpEscrita, 0, 0);
    escolhas->addWidget(grpSubstituicao, 0, 1);
    escolhas->addWidget(grpBaixa, 1, 0);
    escolhas->addWidget(grpMudanca, 1, 1);
    auto* lay = new QVBoxLayout(p);
    lay->setContentsMargins(10, 10, 10, 10);
    lay->setSpacing(10);
    lay->addWidget(grpContribuinte);
    lay->addWidget(grpAtividade);
    lay->addWidget(grpMunicipio);
    lay->addLayout(meio);
    lay->addLayout(escolhas);
    lay->addStretch(1);

    // Ordem do teclado: do contribuinte ao período; de "Mês Final" ao regime e do regime ao
    // município
    QWidget::setTabOrder(cbInscricao, btnContribuinte);
    QWidget::setTabOrder(btnContribuinte, cbMesInicial);
    QWidget::setTabOrder(cbMesInicial, cbMesFinal);
    QWidget::setTabOrder(cbMesFinal, cbRegime);
    QWidget::setTabOrder(cbRegime, edtMunicipio);
    QWidget::setTabOrder(edtMunicipio, btnMunicipio);
    QWidget* anterior = btnMunicipio;
    for (GrupoOpcoes* g : {grpApuracao, grpEscrita, grpSubstituicao, grpBaixa, grpMudanca})
        for (QWidget* b : g->botoes()) {
            QWidget::setTabOrder(anterior, b);
            anterior = b;
        }
}

// --- Estado do editor ------------------------------------------------------------------------

void TFormEdicaoDocumentos::carregarContribuintes() {
    try {
        contribuintes_ = ListarContribuintes(dm().MainConnection);
    } catch (const std::exception& e) {
        ui().erro(e.what());
    }
    const QSignalBlocker bloqueio(cbInscricao);
    cbInscricao->clear();
    for (const auto& l : contribuintes_)
        cbInscricao->addItem(q(l.c.INSCESTADUAL + " - " + l.c.RAZAOSOCIAL), QString::number(l.c.CONTRIBUINTE_ID));
}

void TFormEdicaoDocumentos::tomarAnos() {
    anoCorrente_ = declaracoes()->anoCorrente();
    anoBase_ = declaracoes()->anoBase();
}

void TFormEdicaoDocumentos::preencherAnos() {
    const QSignalBlocker bloqueio(cbAno);
    cbAno->clear();
    const int periodo = static_cast<int>(conjunto()->valor("PERIODO").inteiro());
    for (int ano : AnosDeReferencia(periodo, anoCorrente_)) cbAno->addItem(QString::number(ano), QString::number(ano));
    cbAno->setCurrentIndex(cbAno->findData(QString::number(periodo)));
}

void TFormEdicaoDocumentos::recarregarRegimes() {
    const QSignalBlocker bloqueio(cbRegime);
    cbRegime->clear();
    for (const auto& r : RegimesDoAnoBase(dm().ref.cdsRegime, anoBase_))
        cbRegime->addItem(q(r.DESCRICAO), QString::number(r.REGIME_ID));
    mostrarRegistro();
}

void TFormEdicaoDocumentos::definirCampo(const char* campo, const fb::Valor& v) {
    if (conjunto()->editando()) conjunto()->definir(campo, v);
}

void TFormEdicaoDocumentos::aplicarApuracao() {
    const EstadoApuracao e = ApuracaoDoRegime(inteiro(conjunto()->valor("REGIME_ID")),
                                              inteiro(conjunto()->valor("TIPORECOLHIMENTO_ID")));
    grpApuracao->setEnabled(e.habilitada);
    const int atual = static_cast<int>(conjunto()->valor("TIPORECOLHIMENTO_ID").inteiro());
    if (!e.habilitada && atual != 0) definirCampo("TIPORECOLHIMENTO_ID", 0);
    else if (e.escrever) definirCampo("TIPORECOLHIMENTO_ID", *e.escolha);
}

void TFormEdicaoDocumentos::aplicarVisibilidade() {
    grpBaixa->setVisible(BaixaVisivel(anoBase_, anoCorrente_));
    grpMudanca->setVisible(
        MudancaMunicipioVisivel(inteiro(conjunto()->valor("TIPOCONTRIBUINTE_ID")), anoBase_, anoCorrente_));
}

void TFormEdicaoDocumentos::estadoMudou() {
    if (!cbRegime) return;
    recarregarRegimes();
}

void TFormEdicaoDocumentos::atualizarComandos() {
    TfrmAncestralKOV::atualizarComandos();
    // A gravação do editor vale sempre; as suas recusas dizem o que falta
    actdbAncestralGravar->setEnabled(true);
    botaoGravar()->setEnabled(true);
    if (actCadastrarContribuinte) actCadastrarContribuinte->setEnabled(conjunto() && conjunto()->editando());
}

void TFormEdicaoDocumentos::showEvent(QShowEvent* e) {
    TfrmAncestralKOV::showEvent(e);
    if (mostrado_) return;
    mostrado_ = true;
    tomarAnos();
    if (!modoCabecalho_) cbInscricao->setFocus(Qt::OtherFocusReason);
    aplicarVisibilidade();
    // No ano corrente a declaração só pode ser uma baixa
    if (anoBase_ == anoCorrente_) {
        if (conjunto()->texto("BAIXA") != "S") definirCampo("BAIXA", "S");
        DefinirSomenteLeitura(grpBaixa, true);
    }
    if (correcao_) irParaCorrecao(*correcao_);
}

// --- Escolhas do cabeçalho -------------------------------------------------------------------

void TFormEdicaoDocumentos::escolherContribuinte(int indice) {
    if (indice < 0 || !conjunto()->editando()) return;
    const int id = cbInscricao->itemData(indice).toInt();
    const LinhaListaContribuinte* escolhido = nullptr;
    for (const auto& l : contribuintes_)
        if (l.c.CONTRIBUINTE_ID == id) escolhido = &l;
    if (!escolhido) return;
    try {
        declaracoes()->alterarAgregado([&](Declaracao& d) { EscolherContribuinte(d, escolhido->c); });
    } catch (const std::exception& e) {
        ui().erro(e.what());
        mostrarRegistro();  // a lista volta ao contribuinte da declaração
        return;
    }
    tomarAnos();
    aplicarVisibilidade();
    definirCampo("MUDANCAMUNICIPIO", "N");
}

void TFormEdicaoDocumentos::escolherRegime(int indice) {
    if (indice < 0 || !conjunto()->editando()) return;
    const int novo = cbRegime->itemData(indice).toInt();
    // Sem a lista aberta (escolha pelo teclado) vale o regime de antes da escolha
    const std::optional<int> de =
        regimeLembrado_ >= 0 ? std::optional<int>(regimeLembrado_) : inteiro(conjunto()->valor("REGIME_ID"));
    conjunto()->definir("REGIME_ID", novo);
    if (TrocaDeRegimeApagaFiguras(de, novo)) declaracoes()->alterarAgregado(ApagarFiguras);
    regimeLembrado_ = novo;
    aplicarApuracao();
}

void TFormEdicaoDocumentos::escolherMes(bool inicial, int indice) {
    if (indice < 0 || !conjunto()->editando()) return;
    const int mes = indice + 1;
    const std::optional<int> o = inteiro(conjunto()->valor(inicial ? "MESFINAL" : "MESINICIAL"));
    const std::string aviso = inicial ? ConferirMesInicial(mes, o) : ConferirMesFinal(mes, o);
    if (!aviso.empty()) ui().mensagem(TipoMensagem::Erro, "Erro", aviso);
    definirCampo(inicial ? "MESINICIAL" : "MESFINAL", mes);
}

void TFormEdicaoDocumentos::clicarBaixa(const QString& valor) {
    if (!conjunto()->editando()) return;
    if (valor == u"S" && conjunto()->texto("MUDANCAMUNICIPIO") == "S") {
        ui().mensagem(TipoMensagem::Informacao, TITULO_AVISO,
                      MensagemBaixaComMudanca(grpBaixa->title().toStdString(), grpMudanca->title().toStdString()));
        definirCampo("BAIXA", "N");
        mostrarRegistro();
        return;
    }
    definirCampo("BAIXA", valor.toStdString());
}

void TFormEdicaoDocumentos::clicarMudancaMunicipio(const QString& valor) {
    // 1. Baixa e mudança de município não andam juntas
    if (conjunto()->texto("BAIXA") == "S") {
        ui().mensagem(TipoMensagem::Informacao, TITULO_AVISO,
                      MensagemBaixaComMudanca(grpMudanca->title().toStdString(), grpBaixa->title().toStdString()));
        mostrarRegistro();
        return;
    }
    // "Nao" depois de "Sim" com valores de municípios anteriores: zerá-los ou continuar "Sim"
    const Declaracao* d = declaracoes()->agregado();
    if (valor == u"N" && conjunto()->texto("MUDANCAMUNICIPIO") == "S" && d && TemValoresDeMunicipioAnterior(*d)) {
        if (!ui().pergunta("Confirme", MSG_ZERAR_ANTERIORES)) {
            mostrarRegistro();
            return;
        }
        declaracoes()->alterarAgregado(ApagarValoresDeMunicipioAnterior);
    }
    definirCampo("MUDANCAMUNICIPIO", valor.toStdString());
    // 2. A declaração é gravada com a resposta
    if (conjunto()->editando()) {
        const bool antes = modoCabecalho_;
        modoCabecalho_ = true;
        gravar();
        modoCabecalho_ = antes;
    }
    // 3. e 4. Gravada, volta à edição; com "Sim", os valores dos municípios anteriores
    if (conjunto()->navegando()) {
        try {
            conjunto()->editar();
        } catch (const std::exception& e) {
            ui().erro(e.what());
            return;
        }
    }
    if (valor == u"S" && podeFechar_) {
        TfrmMudouMunicipio tela(dm(), *declaracoes(), this);
        tela.exec();
    }
    definirCampo("MUDANCAMUNICIPIO", valor.toStdString());
}

void TFormEdicaoDocumentos::cadastrarContribuinte() {
    if (!conjunto()->editando()) return;
    int id = 0;
    try {
        TFormVisaoContribuintes lista(dm(), this);
        lista.exec();
        if (lista.conjunto()->navegando() && !lista.conjunto()->vazio())
            id = static_cast<int>(lista.conjunto()->valor("CONTRIBUINTE_ID").inteiro());
    } catch (const std::exception& e) {
        ui().erro(e.what());
    }
    carregarContribuintes();
    if (id > 0) {
        try {
            const Contribuinte c = CarregarContribuinte(dm().MainConnection, id);
            declaracoes()->alterarAgregado([&](Declaracao& d) { CopiarCadastroContribuinte(d, c); });
            tomarAnos();
            aplicarVisibilidade();
        } catch (const std::exception& e) {
            ui().erro(e.what());
        }
    }
    mostrarRegistro();
}

// --- Páginas ---------------------------------------------------------------------------------

bool TFormEdicaoDocumentos::recusaAnoCorrente() {
    const Declaracao* d = declaracoes()->agregado();
    const std::string msg = d ? InconsistenciaAnoCorrente(d->doc, anoBase_, anoCorrente_) : std::string();
    if (msg.empty()) return false;
    ui().mensagem(TipoMensagem::Aviso, "Inconsistência", msg);
    return true;
}

bool TFormEdicaoDocumentos::sairDoDocumento() {
    const Declaracao* d = declaracoes()->agregado();
    if (!d) return false;
    if (recusaAnoCorrente()) return false;
    if (anoBase_ != anoCorrente_ && !ValidarDocumento(dm().MainConnection, *d, ui())) return false;
    try {
        verificarConversoes();
        // A declaração é postada (fica na memória) e volta à edição para as figuras
        if (conjunto()->editando()) {
            conjunto()->postar();
            conjunto()->editar();
        }
        aplicarRegrasFiguras();
    } catch (const std::exception& e) {
        mostrarFalha(e);
        return false;
    }
    return true;
}

TFormEdicaoDocumentos::~TFormEdicaoDocumentos() {
    // Ao fechar a janela na destruição, a lista de regimes aberta se fecha e avisaria um editor
    // que já não existe inteiro
    disconnect(cbRegime, nullptr, this, nullptr);
    cbRegime->removeEventFilter(this);
}

bool TFormEdicaoDocumentos::irParaPagina(int pagina) {
    const int atual = pgcPrincipal->currentIndex();
    if (pagina == atual || pagina < 0 || pagina >= pgcPrincipal->count() || !pgcPrincipal->isTabEnabled(pagina))
        return false;
    if (atual == PaginaDocumento && !sairDoDocumento()) return false;
    const bool botao = qobject_cast<QAbstractButton*>(focusWidget()) != nullptr;
    mudandoPagina_ = true;
    pgcPrincipal->setCurrentIndex(pagina);
    mudandoPagina_ = false;
    paginaAtual_ = pagina;
    // Um botão com o foco o passa à página nova
    if (botao) pgcPrincipal->currentWidget()->setFocus(Qt::OtherFocusReason);
    if (pagina == PaginaDocumento) mostrarRegistro();
    entrarPagina(pagina);
    return true;
}

bool TFormEdicaoDocumentos::eventFilter(QObject* alvo, QEvent* e) {
    if (alvo == cbRegime && e->type() == QEvent::FocusOut) aplicarApuracao();
    return TfrmAncestralKOV::eventFilter(alvo, e);
}

// --- Gravar, cancelar e fechar -----------------------------------------------------------------

bool TFormEdicaoDocumentos::gravar() {
    // 1. Pode fechar, salvo se uma das recusas abaixo o desligar
    podeFechar_ = true;
    ConjuntoDeclaracoes* cds = declaracoes();
    if (cds->navegando() && !cds->alteracoesPostadas()) return true;  // nada a gravar
    if (cds->navegando()) cds->editar();
    bool gravou = false;
    try {
        CursorEspera espera;
        verificarConversoes();
        const Declaracao& d = *cds->agregado();
        // 2. a 5. As recusas do cabeçalho, do CNPJ e das exclusões, com as suas mensagens
        if (!ConferirAntesDeGravar(dm().MainConnection, d, anoBase_, anoCorrente_, ui())) throw Abortar();
        verificarObrigatorios();
        // 6. a 8. Postada e aplicada pela gravação da declaração (KOV, limpeza e totais) e
        // consistida na mesma transação; as listas de erros passam a ter só os dela
        ListasConsistencia achados;
        struct Consistindo {
            ConjuntoDeclaracoes* c;
            ~Consistindo() { c->consistirAoGravar(nullptr); }
        } consistindo{cds};
        cds->consistirAoGravar(&achados);
        cds->postar();
        cds->aplicar();
        gravou = true;
        dm().Consistencias = std::move(achados);
    } catch (const std::exception& e) {
        mostrarFalha(e);
        if (!gravou) {
            podeFechar_ = false;
            // De volta à edição, com tudo o que foi digitado
            if (cds->navegando() && cds->alteracoesPostadas()) cds->editar();
        }
    }
    definirFechamentoBloqueado(false);
    atualizarComandos();
    verificarLembrete();
    return gravou;
}

void TFormEdicaoDocumentos::cancelar() {
    declaracoes()->descartarAlteracoes();
    podeFechar_ = true;
    definirFechamentoBloqueado(false);
    atualizarComandos();
}

void TFormEdicaoDocumentos::done(int) {
    // Fechar por qualquer caminho descarta o que não foi gravado; havendo alterações (não
    // depois de uma gravação nem do botão cancelar), pergunta antes
    if (declaracoes()->alteracoesPendentes() && !ui().pergunta("Gravação", MSG_CANCELAMENTO)) return;
    cancelar();
    lembrete()->stop();
    // O editor sempre diz a quem o abriu que foi cancelado
    QDialog::done(QDialog::Rejected);
}

}  // namespace kov::ui
