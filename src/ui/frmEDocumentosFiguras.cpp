// Páginas das figuras do editor da declaração: PRELO (simplificada e débito/crédito), KOV
// (exclusões, KOV e outras entradas por município) e GI (entradas e saídas por UF). Os
// campos vêm dos quadros de QuadrosFiguras; as regras (variante, figuras travadas,
// disponibilidade, KOV, totais) são as do núcleo, chamadas nos momentos das páginas.
#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "data/EdicaoDeclaracao.h"
#include "data/Figuras.h"
#include "data/RegrasFiguras.h"
#include "data/dmPrincipal.h"
#include "ui/Ajuda.h"
#include "ui/Controles.h"
#include "ui/Formulario.h"
#include "ui/GradeEditavel.h"
#include "ui/ModeloLinhas.h"
#include "ui/QuadrosFiguras.h"
#include "ui/frmAncestralDetalhamentoES.h"
#include "ui/frmEDocumentos.h"

namespace kov::ui {

namespace {

const char* const TITULO_AVISO = "KOV";
constexpr int LARGURA_VALOR = 112;
constexpr int LARGURA_DESCRICAO = 150;
constexpr int LARGURA_MUNICIPIO = 260;

// Abas de uma variante da PRELO, na ordem dos quadros
enum AbaPrelo { AbaEstoque = 0, AbaDO, AbaDRO, AbaEntrada, AbaSaida };
enum AbaKOV { AbaExclusoes = 0, AbaKovKov, AbaDetalhamento };

QTabWidget* abas(QWidget* dona, const char* nome) {
    auto* t = new QTabWidget(dona);
    t->setObjectName(QString::fromLatin1(nome));
    t->setDocumentMode(false);
    return t;
}

QWidget* pagina(const QString& nome) {
    auto* w = new QWidget;
    w->setObjectName(nome);
    return w;
}

QString formatado(Dinheiro d) { return QString::fromStdString(d.formatado()); }

}  // namespace

QWidget* TFormEdicaoDocumentos::aba(const QString& nome) const { return findChild<QWidget*>(nome); }

CampoValor* TFormEdicaoDocumentos::figura(const QString& nomeAba, const char* campo) const {
    QWidget* a = aba(nomeAba);
    return a ? a->findChild<CampoValor*>(QString::fromLatin1(campo)) : nullptr;
}

QString TFormEdicaoDocumentos::total(const char* nome) const {
    const auto i = totais_.find(nome);
    return i == totais_.end() ? QString() : i->second->text();
}

void TFormEdicaoDocumentos::montarFiguras() {
    montarPrelo();
    montarKOV();
    montarGI();
    // Os campos das seções se ligam pela fonte: o nome da seção
    for (SecaoFigura s : {SecaoFigura::Estoque, SecaoFigura::Despesas, SecaoFigura::Resultado, SecaoFigura::Entrada,
                          SecaoFigura::Saida, SecaoFigura::Kov, SecaoFigura::Exclusoes})
        definirFonte(NomeSecao(s), &declaracoes()->secao(s));
    for (CampoValor* c : findChildren<CampoValor*>())
        if (const auto s = SecaoPeloNome(c->property(PropriedadeFonte).toString().toStdString());
            s && c->property(PropriedadeTag).toInt() != TagSempreIgual)
            figuras_.emplace_back(c, *s);
}

void TFormEdicaoDocumentos::montarPrelo() {
    pgcPrelo = abas(tbsPrelo, "pgcPrelo");
    tbsPreloSimples = pagina(QStringLiteral("tbsPreloSimples"));
    tbsPreloDebCred = pagina(QStringLiteral("tbsPreloDebCred"));
    pgcPrelo->addTab(tbsPreloSimples, QStringLiteral("Simplificada"));
    pgcPrelo->addTab(tbsPreloDebCred, QStringLiteral("Débito/Crédito"));
    auto* lay = new QVBoxLayout(tbsPrelo);
    lay->setContentsMargins(6, 6, 6, 6);
    lay->addWidget(pgcPrelo);

    // Botões das telas de detalhamento, por tipo de operação
    const struct {
        QAction** acao;
        const char* nome;
        const char* texto;
        int tipo;
    } botoes[] = {
        {&actEntradaEstado, "actEntradaEstado", "Do estado...", 1},
        {&actEntradaOutros, "actEntradaOutros", "De outros estados...", 2},
        {&actEntradaExterior, "actEntradaExterior", "Do exterior...", 3},
        {&actSaidaEstado, "actSaidaEstado", "Para o estado...", 4},
        {&actSaidaOutros, "actSaidaOutros", "Para outros estados...", 5},
        {&actSaidaExterior, "actSaidaExterior", "Para o exterior...", 6},
    };
    for (const auto& b : botoes) {
        *b.acao = NovaAcao(this, b.nome, QString::fromUtf8(b.texto),
                           QStringLiteral("Detalhamento: ") + QString::fromUtf8(b.texto).chopped(3));
        const int tipo = b.tipo;
        connect(*b.acao, &QAction::triggered, this, [this, tipo] { abrirDetalhamento(tipo); });
    }

    for (bool debCred : {false, true}) {
        QWidget* variante = debCred ? tbsPreloDebCred : tbsPreloSimples;
        const QString prefixo = debCred ? QStringLiteral("tbsPreloDebCred") : QStringLiteral("tbsPreloSimples");
        QTabWidget* t = abas(variante, debCred ? "pgcPreloDebCred" : "pgcPreloSimples");
        (debCred ? pgcPreloDebCred : pgcPreloSimples) = t;
        auto* lv = new QVBoxLayout(variante);
        lv->setContentsMargins(4, 4, 4, 4);
        lv->addWidget(t);
        for (const QuadroFiguras& q : QuadrosPrelo(debCred)) {
            QWidget* a = pagina(prefixo + QString::fromLatin1(q.objeto));
            QWidget* quadro = new QWidget(a);
            MontarQuadro(q, quadro);
            auto* la = new QVBoxLayout(a);
            la->setContentsMargins(0, 0, 0, 0);
            // Débito/crédito: entradas e saídas vêm das telas de detalhamento
            if (debCred && (q.secao == SecaoFigura::Entrada || q.secao == SecaoFigura::Saida)) {
                auto* linha = new QHBoxLayout;
                linha->setContentsMargins(14, 10, 14, 0);
                const bool entrada = q.secao == SecaoFigura::Entrada;
                for (int i = 0; i < 3; ++i) {
                    QAction* acao = (entrada ? botoes[i] : botoes[i + 3]).acao[0];
                    auto* b = BotaoDaAcao(a, acao, "btn", QStyle::SP_FileDialogDetailedView);
                    b->setObjectName(QStringLiteral("btn") + acao->objectName().mid(3));
                    b->setMinimumWidth(160);
                    linha->addWidget(b);
                }
                linha->addStretch(1);
                la->addLayout(linha);
            }
            la->addWidget(quadro, 1);
            t->addTab(a, QString::fromUtf8(q.titulo));
        }
        connect(t, &QTabWidget::currentChanged, this, [this] { atualizarAjuda(); });
    }
    // Trocar de variante mostra a primeira aba dela
    connect(pgcPrelo, &QTabWidget::currentChanged, this, [this](int i) {
        (i == 0 ? pgcPreloSimples : pgcPreloDebCred)->setCurrentIndex(AbaEstoque);
        atualizarAjuda();
    });
}

QWidget* TFormEdicaoDocumentos::montarGrade(QWidget* a, QTableView*& grade, GradeEditavel*& g, ConjuntoDados& c,
                                            std::vector<std::string> colunas, std::vector<const char*> totais,
                                            QAction* incluir, QAction* excluir) {
    c.abrir();
    grade = new QTableView(a);
    grade->verticalHeader()->setVisible(false);
    grade->horizontalHeader()->setHighlightSections(false);
    const size_t n = colunas.size();
    g = new GradeEditavel(grade, c, std::move(colunas), ui(), this);
    // Larguras fixas: os totais ficam sob as suas colunas
    // Outras entradas: código, município e valor; GI: a UF e os valores
    const bool municipios = n == 3;
    for (size_t i = 0; i < n; ++i) {
        int largura = LARGURA_VALOR;
        if (i == 0) largura = municipios ? 80 : LARGURA_DESCRICAO;
        else if (municipios && i == 1) largura = LARGURA_MUNICIPIO;
        grade->setColumnWidth(static_cast<int>(i), largura);
    }
    grade->horizontalHeader()->setStretchLastSection(false);
    connect(g->modelo(), &QAbstractItemModel::modelReset, this, [this] { atualizarGrades(); });
    connect(g->modelo(), &QAbstractItemModel::dataChanged, this, [this] { atualizarGrades(); });

    auto* linhaTotais = new QHBoxLayout;
    linhaTotais->setSpacing(0);
    linhaTotais->setContentsMargins(grade->frameWidth(), 0, 0, 0);
    auto* rotulo = new QLabel(QStringLiteral("Totais"), a);
    QFont negrito = rotulo->font();
    negrito.setBold(true);
    rotulo->setFont(negrito);
    int antes = 0;
    for (size_t i = 0; i + totais.size() < n; ++i) antes += grade->columnWidth(static_cast<int>(i));
    rotulo->setFixedWidth(antes);
    rotulo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rotulo->setContentsMargins(0, 0, 8, 0);
    linhaTotais->addWidget(rotulo);
    for (size_t i = 0; i < totais.size(); ++i) {
        auto* t = new QLineEdit(a);
        t->setObjectName(QString::fromLatin1(totais[i]));
        t->setReadOnly(true);
        t->setFocusPolicy(Qt::NoFocus);
        t->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setFont(negrito);
        t->setFixedWidth(grade->columnWidth(static_cast<int>(n - totais.size() + i)));
        t->setProperty(PropriedadeTag, TagSempreIgual);
        QPalette p = t->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        t->setPalette(p);
        totais_[totais[i]] = t;
        linhaTotais->addWidget(t);
    }
    linhaTotais->addStretch(1);

    auto* botoes = new QHBoxLayout;
    botoes->addWidget(BotaoDaAcao(a, incluir, "btnIncluir", QStyle::SP_FileIcon));
    botoes->addWidget(BotaoDaAcao(a, excluir, "btnExcluir", QStyle::SP_TrashIcon));
    botoes->addStretch(1);
    connect(incluir, &QAction::triggered, g, &GradeEditavel::incluirLinha);
    connect(excluir, &QAction::triggered, g, &GradeEditavel::excluirLinha);

    auto* lay = new QVBoxLayout(a);
    lay->setContentsMargins(8, 8, 8, 8);
    lay->setSpacing(4);
    lay->addWidget(grade, 1);
    lay->addLayout(linhaTotais);
    lay->addSpacing(4);
    lay->addLayout(botoes);
    return grade;
}

void TFormEdicaoDocumentos::montarKOV() {
    pgcKov = abas(tbsKOV, "pgcKov");
    for (const QuadroFiguras& q : QuadrosKOV()) {
        QWidget* a = pagina(QString::fromLatin1(q.objeto));
        MontarQuadro(q, a);
        pgcKov->addTab(a, QString::fromUtf8(q.titulo));
    }
    tbsKovExclusoes = pgcKov->widget(AbaExclusoes);
    tbsKovKov = pgcKov->widget(AbaKovKov);
    tbsKovDetalhamento = pagina(QStringLiteral("tbsKovDetalhamento"));
    pgcKov->addTab(tbsKovDetalhamento, QStringLiteral("Detalhamento de outras entradas"));
    actIncluirDetalhamentoEntrada =
        NovaAcao(this, "actIncluirDetalhamentoEntrada", QStringLiteral("&Incluir"), QStringLiteral("Inserir novo registro"));
    actExcluirDetalhamentoEntrada = NovaAcao(this, "actExcluirDetalhamentoEntrada", QStringLiteral("E&xcluir"),
                                             QStringLiteral("Deletar o registro atual"));
    auto& det = declaracoes()->detalhamentoEntrada();
    montarGrade(tbsKovDetalhamento, grdDetalhamento, gradeDetalhamento, det,
                {"CODDRUMUNICIPIO", "DESCRICAO_MUNICIPIO", "VALOR"}, {"agTotalValor"}, actIncluirDetalhamentoEntrada,
                actExcluirDetalhamentoEntrada);
    grdDetalhamento->setObjectName(QStringLiteral("grdDetalhamento"));
    auto* titulo = new QLabel(QStringLiteral("Detalhamento do KOV(Outras Entradas) por Município"), tbsKovDetalhamento);
    QFont negrito = titulo->font();
    negrito.setBold(true);
    titulo->setFont(negrito);
    static_cast<QVBoxLayout*>(tbsKovDetalhamento->layout())->insertWidget(0, titulo);
    gradeDetalhamento->definirCampoChave("CODDRUMUNICIPIO");
    GradeEditavel::Itens municipios;
    for (const auto& m : dm().ref.cdsMunicipio)
        municipios.emplace_back(QString::fromStdString(m.DESCRICAO), QString::number(m.CODDRUMUNICIPIO));
    gradeDetalhamento->definirLista("DESCRICAO_MUNICIPIO", std::move(municipios));

    auto* lay = new QVBoxLayout(tbsKOV);
    lay->setContentsMargins(6, 6, 6, 6);
    lay->addWidget(pgcKov);
    connect(pgcKov, &QTabWidget::currentChanged, this, &TFormEdicaoDocumentos::mudouAbaKOV);
}

void TFormEdicaoDocumentos::montarGI() {
    pgcGI = abas(tbsGI, "pgcGI");
    tbsGIEntrada = pagina(QStringLiteral("tbsGIEntrada"));
    tbsGISaida = pagina(QStringLiteral("tbsGISaida"));
    pgcGI->addTab(tbsGIEntrada, QStringLiteral("Entradas"));
    pgcGI->addTab(tbsGISaida, QStringLiteral("Saidas"));
    actIncluirGIEntrada =
        NovaAcao(this, "actIncluirGIEntrada", QStringLiteral("&Incluir"), QStringLiteral("Inserir novo registro"));
    actExcluirGIEntrada =
        NovaAcao(this, "actExcluirGIEntrada", QStringLiteral("E&xcluir"), QStringLiteral("Deletar o registro atual"));
    actIncluirGISaida =
        NovaAcao(this, "actIncluirGISaida", QStringLiteral("&Incluir"), QStringLiteral("Inserir novo registro"));
    actExcluirGISaida =
        NovaAcao(this, "actExcluirGISaida", QStringLiteral("E&xcluir"), QStringLiteral("Deletar o registro atual"));
    GradeEditavel::Itens ufs;
    for (const auto& uf : dm().ref.cdsUF)
        ufs.emplace_back(QString::fromStdString(UF_DESCRICAO(uf)), QString::fromStdString(uf.UF_ID));
    montarGrade(tbsGIEntrada, grdGIEntrada, gradeGIEntrada, declaracoes()->giEntrada(),
                {"DESCRICAO_UF", "VALORCONTABIL", "BASECALCULO", "OUTRASENTRADAS", "STPETROLEO", "STOUTROS"},
                {"agTotalVC", "agTotalBC", "agTotalOE", "agTotalSP", "agTotalSO"}, actIncluirGIEntrada,
                actExcluirGIEntrada);
    montarGrade(tbsGISaida, grdGISaida, gradeGISaida, declaracoes()->giSaidas(),
                {"DESCRICAO_UF", "VALORCONTABILCONT", "VALORCONTABILNAOCONT", "BASECALCULOCONT", "BASECALCULONAOCONT",
                 "OUTRASSAIDAS", "SUBSTTRIBUTARIA"},
                {"agTotalVCC", "agTotalVCNC", "agTotalBCC", "agTotalBCNC", "agTotalOS", "agTotalST"}, actIncluirGISaida,
                actExcluirGISaida);
    grdGIEntrada->setObjectName(QStringLiteral("grdGIEntrada"));
    grdGISaida->setObjectName(QStringLiteral("grdGISaida"));
    for (GradeEditavel* g : {gradeGIEntrada, gradeGISaida}) {
        g->definirCampoChave("UF_ID");
        g->definirLista("DESCRICAO_UF", ufs);
    }
    auto* lay = new QVBoxLayout(tbsGI);
    lay->setContentsMargins(6, 6, 6, 6);
    lay->addWidget(pgcGI);
    connect(pgcGI, &QTabWidget::currentChanged, this, [this] { atualizarAjuda(); });
}

// --- Regras das páginas ---------------------------------------------------------------------

void TFormEdicaoDocumentos::alterarFiguras(const std::function<void(Declaracao&)>& regra) {
    if (declaracoes()->editando()) declaracoes()->alterarAgregado(regra);
}

void TFormEdicaoDocumentos::aplicarRegrasFiguras() {
    const Declaracao* d = declaracoes()->agregado();
    if (!d) return;
    // 1. Variante da PRELO e despesas ou resultado
    const bool debCred = PreloDebitoCredito(d->doc);
    const bool escrita = ComEscritaContabil(d->doc);
    pgcPrelo->setTabVisible(0, !debCred);
    pgcPrelo->setTabVisible(1, debCred);
    for (QTabWidget* t : {pgcPreloSimples, pgcPreloDebCred}) {
        t->setTabVisible(AbaDO, !escrita);
        t->setTabVisible(AbaDRO, escrita);
    }
    // 2. a 4. Figuras travadas e zeradas, depois o KOV
    alterarFiguras([](Declaracao& x) {
        ZerarFigurasTravadas(x);
        CalcularKOV(x);
    });
    for (const auto& [campo, secao] : figuras_)
        TravarFigura(campo, FiguraTravada(d->doc, secao, campo->objectName().toStdString()));
    aplicarDisponibilidade();
}

bool TFormEdicaoDocumentos::aplicarDisponibilidade() {
    const Declaracao* d = declaracoes()->agregado();
    if (!d) return true;
    // 1. GI
    if (!GIDisponivel(d->doc) && pgcPrincipal->currentIndex() == PaginaGI) {
        for (GradeEditavel* g : {gradeGIEntrada, gradeGISaida})
            if (g->modelo()->conjunto().editando()) g->modelo()->conjunto().cancelar();
        alterarFiguras(ApagarGI);
        ui().mensagem(TipoMensagem::Informacao, TITULO_AVISO, MSG_GI_INDISPONIVEL);
        mudandoPagina_ = true;
        pgcPrincipal->setCurrentIndex(PaginaDocumento);
        mudandoPagina_ = false;
        paginaAtual_ = PaginaDocumento;
        mostrarRegistro();
        atualizarAjuda();
        return false;
    }
    // 2. Ajustes de transferência das exclusões: só com transferências no detalhamento
    const bool entradas = ExisteTransferenciaEntradas(*d), saidas = ExisteTransferenciaSaidas(*d);
    for (auto [nome, habilitado] : {std::pair{"ENTAJUSTETRANSFERENCIA", entradas}, {"SAIAJUSTETRANSFERENCIA", saidas}})
        if (CampoValor* c = figura(QStringLiteral("tbsKovExclusoes"), nome)) {
            c->setEnabled(habilitado);
            QPalette p = c->palette();
            p.setColor(QPalette::Base, palette().color(habilitado && !SomenteLeitura(c) ? QPalette::Base : QPalette::Button));
            c->setPalette(p);
        }
    return true;
}

void TFormEdicaoDocumentos::entrarPagina(int p) {
    if (!aplicarDisponibilidade()) return;
    switch (p) {
        case PaginaPrelo: {
            const Declaracao* d = declaracoes()->agregado();
            alterarFiguras([](Declaracao& x) {
                if (x.doc.TIPORECOLHIMENTO_ID.value_or(0) == 2) LimparPorRecolhimento(x);
                PrepararDetalhesPrelo(x);
            });
            if (!modoCabecalho_ && d) {
                const bool debCred = PreloDebitoCredito(d->doc);
                pgcPrelo->setCurrentIndex(debCred ? 1 : 0);
                (debCred ? pgcPreloDebCred : pgcPreloSimples)->setCurrentIndex(AbaEstoque);
            }
            break;
        }
        case PaginaKOV: {
            const int ano = anoCorrente_;
            alterarFiguras([ano](Declaracao& x) {
                PrepararDetalhesKOV(x);
                LimparExclusoes(x, ano);
                LimparKOV(x, ano);
            });
            if (pgcKov->currentIndex() != AbaExclusoes) pgcKov->setCurrentIndex(AbaExclusoes);  // avisa a troca
            else mudouAbaKOV(AbaExclusoes);
            break;
        }
        case PaginaGI:
            pgcGI->setCurrentIndex(0);
            pgcGI->setFocus(Qt::OtherFocusReason);
            break;
        default: break;
    }
    atualizarAjuda();
}

void TFormEdicaoDocumentos::mudouAbaKOV(int a) {
    if (!aplicarDisponibilidade()) return;
    if (a == AbaKovKov) alterarFiguras(CalcularKOV);
    atualizarAjuda();
}

void TFormEdicaoDocumentos::atualizarAjuda() {
    int contexto = ContextoAjudaDe(this);
    switch (pgcPrincipal->currentIndex()) {
        case PaginaDocumento: contexto = ContextoAjuda::Documentos; break;
        case PaginaPrelo:
            // As abas da simplificada deixam o contexto como está
            if (pgcPrelo->currentIndex() == 1) {
                static const int porAba[] = {ContextoAjuda::PreloEstoque, ContextoAjuda::DespesasOperacionais,
                                             ContextoAjuda::PreloEstoque, ContextoAjuda::PreloEntrada,
                                             ContextoAjuda::PreloSaida};
                const int i = pgcPreloDebCred->currentIndex();
                if (i >= 0 && i < 5) contexto = porAba[i];
            }
            break;
        case PaginaKOV: {
            static const int porAba[] = {ContextoAjuda::ExclusoesKOV, ContextoAjuda::KOV,
                                         ContextoAjuda::OutrasEntradasMunicipio};
            const int i = pgcKov->currentIndex();
            if (i >= 0 && i < 3) contexto = porAba[i];
            break;
        }
        case PaginaGI: contexto = ContextoAjuda::GI; break;
        default: break;
    }
    DefinirContextoAjuda(this, contexto);
}

void TFormEdicaoDocumentos::atualizarGrades() {
    if (!gradeGISaida) return;
    const Declaracao* d = declaracoes()->agregado();
    const Declaracao vazia;
    const Declaracao& x = d ? *d : vazia;
    // Os totais são os do módulo de dados, sobre as linhas gravadas na declaração
    const SomasGIEntrada e = SomarGIEntrada(x.giEntrada);
    const SomasGISaidas s = SomarGISaidas(x.giSaidas);
    const SomasDetalhamentoEntrada m = SomarDetalhamentoEntrada(x.detalhamentoEntrada);
    const std::pair<const char*, Dinheiro> valores[] = {
        {"agTotalValor", m.agTotalValor}, {"agTotalVC", e.agTotalVC},     {"agTotalBC", e.agTotalBC},
        {"agTotalOE", e.agTotalOE},       {"agTotalSP", e.agTotalSP},     {"agTotalSO", e.agTotalSO},
        {"agTotalVCC", s.agTotalVCC},     {"agTotalVCNC", s.agTotalVCNC}, {"agTotalBCC", s.agTotalBCC},
        {"agTotalBCNC", s.agTotalBCNC},   {"agTotalOS", s.agTotalOS},     {"agTotalST", s.agTotalST}};
    for (const auto& [nome, valor] : valores)
        if (const auto i = totais_.find(nome); i != totais_.end()) i->second->setText(formatado(valor));
    const bool editavel = declaracoes()->editando();
    for (auto [g, incluir, excluir] : {std::tuple{gradeDetalhamento, actIncluirDetalhamentoEntrada,
                                                  actExcluirDetalhamentoEntrada},
                                       {gradeGIEntrada, actIncluirGIEntrada, actExcluirGIEntrada},
                                       {gradeGISaida, actIncluirGISaida, actExcluirGISaida}}) {
        const ConjuntoDados& c = g->modelo()->conjunto();
        incluir->setEnabled(editavel);
        excluir->setEnabled(editavel && (!c.vazio() || c.editando()));
    }
}

void TFormEdicaoDocumentos::abrirDetalhamento(int tipoOperacao) {
    if (!declaracoes()->editando()) return;
    try {
        auto tela = CriarTelaDetalhamento(tipoOperacao, dm(), *declaracoes(), this);
        if (tela) tela->exec();
    } catch (const std::exception& e) {
        ui().erro(e.what());
    }
    aplicarDisponibilidade();
    mostrarRegistro();
}

// --- Correção vinda da lista de consistências -------------------------------------------------

namespace {

// As abas das páginas das figuras pela ABA da tabela de consistências, em cada página.
struct AbaCorrecao {
    PaginaCorrecao pagina;
    const char* aba;
    const char* objeto;
};
constexpr AbaCorrecao AbasCorrecao[] = {
    {PaginaCorrecao::Prelo, "SIMPLES_ENTRADAS", "tbsPreloSimplesEntrada"},
    {PaginaCorrecao::Prelo, "SIMPLES_SAIDAS", "tbsPreloSimplesSaida"},
    {PaginaCorrecao::Prelo, "DEBCRED_DRO", "tbsPreloDebCredDO"},
    {PaginaCorrecao::Prelo, "DEBCRED_SAIDAS", "tbsPreloDebCredSaida"},
    {PaginaCorrecao::Prelo, "ENTRADAS", "tbsPreloDebCredEntrada"},
    {PaginaCorrecao::Prelo, "SAIDAS", "tbsPreloDebCredSaida"},
    {PaginaCorrecao::KOV, "EXCLUSOES", "tbsKovExclusoes"},
    {PaginaCorrecao::KOV, "KOV", "tbsKovKov"},
    {PaginaCorrecao::KOV, "DETALHAMENTO", "tbsKovDetalhamento"},
    {PaginaCorrecao::GI, "ENTRADAS", "tbsGIEntrada"},
    {PaginaCorrecao::GI, "SAIDAS", "tbsGISaida"},
};

// As abas (de fora para dentro) que mostram o widget; vazio quando alguma delas está
// escondida (a variante da PRELO que não vale para a declaração, DO ou DRO).
std::vector<std::pair<QTabWidget*, QWidget*>> abasAte(QWidget* w, QWidget* pagina) {
    std::vector<std::pair<QTabWidget*, QWidget*>> abas;
    for (QWidget* p = w; p && p != pagina; p = p->parentWidget()) {
        auto* pilha = p->parentWidget();
        auto* t = pilha ? qobject_cast<QTabWidget*>(pilha->parentWidget()) : nullptr;
        if (!t || !qobject_cast<QStackedWidget*>(pilha)) continue;
        const int i = t->indexOf(p);
        if (i < 0 || !t->isTabVisible(i)) return {};
        abas.insert(abas.begin(), {t, p});
    }
    return abas;
}

bool revelar(QWidget* w, QWidget* pagina) {
    if (!w || !pagina->isAncestorOf(w)) return false;
    const auto abas = abasAte(w, pagina);
    if (abas.empty() && w != pagina) return false;
    for (const auto& [t, a] : abas) t->setCurrentWidget(a);
    return true;
}

}  // namespace

void TFormEdicaoDocumentos::definirCorrecao(const DestinoCorrecao& destino) {
    correcao_ = destino;
    modoCabecalho_ = true;
}

void TFormEdicaoDocumentos::irParaCorrecao(const DestinoCorrecao& destino) {
    // Página: o cabeçalho fica; as figuras passam pelas regras de saída do cabeçalho
    int pagina = -1;
    switch (destino.pagina) {
        case PaginaCorrecao::Documento: pagina = PaginaDocumento; break;
        case PaginaCorrecao::Prelo: pagina = PaginaPrelo; break;
        case PaginaCorrecao::KOV: pagina = PaginaKOV; break;
        case PaginaCorrecao::GI: pagina = PaginaGI; break;
        case PaginaCorrecao::Nenhuma: break;
    }
    if (pagina > PaginaDocumento && pagina != pgcPrincipal->currentIndex() && !irParaPagina(pagina)) return;
    if (destino.pagina == PaginaCorrecao::Documento && destino.aba == "MUDANCAMUNICIPIO") {
        // A resposta gravada é repetida: o clique grava e, com "Sim", abre os municípios
        // anteriores; a resposta nunca muda por conta própria
        const QString resposta = QString::fromStdString(conjunto()->texto("MUDANCAMUNICIPIO"));
        clicarMudancaMunicipio(resposta == u"S" ? resposta : QStringLiteral("N"));
        grpMudanca->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (pagina <= PaginaDocumento) return;
    QWidget* paginaW = pgcPrincipal->widget(pagina);
    QWidget* aba = nullptr;
    for (const AbaCorrecao& a : AbasCorrecao)
        if (a.pagina == destino.pagina && destino.aba == a.aba) aba = this->aba(QString::fromLatin1(a.objeto));
    if (!revelar(aba, paginaW)) aba = nullptr;
    // O campo na aba do erro; não estando nela (a aba escondida pela variante ou pela
    // escrita, ou o campo noutra aba da mesma página), onde a página o mostra
    const QString campo = QString::fromStdString(destino.campo);
    QWidget* alvo = aba && !campo.isEmpty() ? aba->findChild<CampoValor*>(campo) : nullptr;
    if (!alvo && !campo.isEmpty())
        for (CampoValor* c : paginaW->findChildren<CampoValor*>(campo))
            if (!alvo && revelar(c, paginaW)) alvo = c;
    if (alvo) revelar(alvo, paginaW);
    if (!alvo && aba) {
        // Sem campo próprio: a grade da aba, na coluna do campo quando ele é uma delas
        // (municípios do KOV, UFs da GI), ou a própria aba
        for (GradeEditavel* g : {gradeDetalhamento, gradeGIEntrada, gradeGISaida})
            if (g && aba->isAncestorOf(g->grade())) {
                g->irParaCampo(destino.campo);
                alvo = g->grade();
            }
        if (!alvo) alvo = aba;
    }
    // Aba escondida pela variante da declaração: as abas da página, onde estão
    if (!alvo) alvo = paginaW->findChild<QTabWidget*>();
    if (alvo) alvo->setFocus(Qt::OtherFocusReason);
}

}  // namespace kov::ui
