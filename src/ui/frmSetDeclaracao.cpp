#include "ui/frmSetDeclaracao.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/dmPrincipal.h"
#include "platform/Interacao.h"
#include "ui/Ajuda.h"
#include "ui/Formulario.h"

namespace kov::ui {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// Os dois botões "&Ajuda" produzem um F1 (a ajuda da janela ativa).
QPushButton* botaoAjuda(QWidget* pai, QWidget* tela) {
    auto* b = new QPushButton(QStringLiteral("&Ajuda"), pai);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, tela, [tela] {
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(tela, &f1);
    });
    return b;
}

}  // namespace

TscrUntSetDeclaracao::TscrUntSetDeclaracao(Tdm& dm, ModoSelecao modo, QWidget* pai)
    : TscrPdrBasica(pai), dm_(dm), selecao_(modo) {
    // Quem chama cria a tela antes e a destrói depois
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("scrUntSetDeclaracao"));
    const TextosModoSelecao t = TextosDoModo(modo);
    setWindowTitle(QString::fromUtf8(t.legenda));
    DefinirContextoAjuda(this, t.ajuda);

    actTodas = NovaAcao(this, "actTodas", QStringLiteral("Todas Declarações"), {});
    actFiltros = NovaAcao(this, "actFiltros", QStringLiteral("Usar Filtros"), {});
    actNaoTranmistidas = NovaAcao(this, "actNaoTranmistidas", QStringLiteral("Não Transmitidas"), {});
    actContribuinte = NovaAcao(this, "actContribuinte", QStringLiteral("Contribuinte"), {});
    actPeriodo = NovaAcao(this, "actPeriodo", QStringLiteral("Período"), {});
    actInserir = NovaAcao(this, "actInserir", QStringLiteral(">"), QStringLiteral("Incluir Declaração"));
    actExcluir = NovaAcao(this, "actExcluir", QStringLiteral("<"), QStringLiteral("Excluir Declaração"));
    actInserirTodas = NovaAcao(this, "actInserirTodas", QStringLiteral(">>"), QStringLiteral("Incluir todas declarações"));
    actExcluirTodas =
        NovaAcao(this, "actExcluirTodas", QStringLiteral("<<"), QStringLiteral("Excluir todas declarações escolhidas"));
    actConfirmar = NovaAcao(this, "actConfirmar", QStringLiteral("C&onfirmar"), QStringLiteral("Confirmar"));
    actConfirmar->setShortcut(QKeySequence(Qt::Key_F2));

    // Cabeçalho: título e descrição do modo
    auto* titulo = new QLabel(QString::fromUtf8(t.titulo), corpo());
    titulo->setObjectName(QStringLiteral("lblTitulo"));
    QFont ft = titulo->font();
    ft.setBold(true);
    ft.setPointSizeF(ft.pointSizeF() * 1.5);
    titulo->setFont(ft);
    auto* descricao = new QLabel(QString::fromUtf8(t.descricao), corpo());
    descricao->setObjectName(QStringLiteral("lblDescricao"));

    paginas_ = new QTabWidget(corpo());
    paginas_->setObjectName(QStringLiteral("pgcPaginas"));

    // Página Filtros
    auto* filtros = new QWidget(paginas_);
    rbTodas_ = new QRadioButton(actTodas->text(), filtros);
    rbTodas_->setObjectName(QStringLiteral("rbTodas"));
    rbFiltros_ = new QRadioButton(actFiltros->text(), filtros);
    rbFiltros_->setObjectName(QStringLiteral("rbFiltros"));
    rbTodas_->setChecked(true);
    auto* painel = new QGroupBox(filtros);
    painel->setObjectName(QStringLiteral("pnlFiltros"));
    ckContribuinte_ = new QCheckBox(actContribuinte->text(), painel);
    ckContribuinte_->setObjectName(QStringLiteral("ckContribuinte"));
    ckPeriodo_ = new QCheckBox(actPeriodo->text(), painel);
    ckPeriodo_->setObjectName(QStringLiteral("ckPeriodo"));
    ckNaoTransmitidas_ = new QCheckBox(actNaoTranmistidas->text(), painel);
    ckNaoTransmitidas_->setObjectName(QStringLiteral("ckNaoTransmitidas"));
    edInscricao_ = new QLineEdit(painel);
    edInscricao_->setObjectName(QStringLiteral("edInscricao"));
    edInscricao_->setInputMask(QStringLiteral("000.000000.0000;_"));
    edInicio_ = new QLineEdit(painel);
    edInicio_->setObjectName(QStringLiteral("edInicio"));
    edInicio_->setInputMask(QStringLiteral("00/00/0000;_"));
    edFim_ = new QLineEdit(painel);
    edFim_->setObjectName(QStringLiteral("edFim"));
    edFim_->setInputMask(QStringLiteral("00/00/0000;_"));
    lblA_ = new QLabel(QStringLiteral("a"), painel);
    auto* gp = GradeFormulario(painel);
    gp->addWidget(ckContribuinte_, 0, 0);
    gp->addWidget(edInscricao_, 0, 1, 1, 3);
    gp->addWidget(ckPeriodo_, 1, 0);
    gp->addWidget(edInicio_, 1, 1);
    gp->addWidget(lblA_, 1, 2, Qt::AlignCenter);
    gp->addWidget(edFim_, 1, 3);
    gp->addWidget(ckNaoTransmitidas_, 2, 0, 1, 4);
    gp->setColumnStretch(4, 1);
    auto* lf = new QVBoxLayout(filtros);
    lf->addWidget(rbTodas_);
    lf->addWidget(rbFiltros_);
    lf->addWidget(painel);
    auto* ajuda1 = botaoAjuda(filtros, this);
    auto* lb1 = new QHBoxLayout;
    lb1->addStretch(1);
    lb1->addWidget(ajuda1);
    lf->addStretch(1);
    lf->addLayout(lb1);
    paginas_->addTab(filtros, QStringLiteral("Filtros"));

    // Página Declarações consistentes
    auto* decl = new QWidget(paginas_);
    const QFont fixa = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* cabecalho = new QLabel(QStringLiteral("   Insc. Estadual  Nome Empresarial      Período"), decl);
    cabecalho->setFont(fixa);
    lstDisponiveis_ = new QListWidget(decl);
    lstDisponiveis_->setObjectName(QStringLiteral("lstDisponiveis"));
    lstEscolhidas_ = new QListWidget(decl);
    lstEscolhidas_->setObjectName(QStringLiteral("lstEscolhidas"));
    for (QListWidget* l : {lstDisponiveis_, lstEscolhidas_}) {
        l->setFont(fixa);
        l->setSelectionMode(QAbstractItemView::ExtendedSelection);
        l->setMinimumWidth(QFontMetrics(fixa).horizontalAdvance(QString(70, QLatin1Char('M'))));
    }
    lblContagem_ = new QLabel(q(selecao_.rotuloContagem()), decl);
    lblContagem_->setObjectName(QStringLiteral("lblContagem"));
    auto* botoesMeio = new QHBoxLayout;
    botoesMeio->addWidget(BotaoDaAcao(decl, actInserir, "btnInserir", QStyle::SP_ArrowDown));
    botoesMeio->addWidget(BotaoDaAcao(decl, actInserirTodas, "btnInserirTodas", QStyle::SP_ArrowDown));
    botoesMeio->addWidget(BotaoDaAcao(decl, actExcluir, "btnExcluir", QStyle::SP_ArrowUp));
    botoesMeio->addWidget(BotaoDaAcao(decl, actExcluirTodas, "btnExcluirTodas", QStyle::SP_ArrowUp));
    botoesMeio->addStretch(1);
    auto* ld = new QVBoxLayout(decl);
    ld->addWidget(cabecalho);
    ld->addWidget(lstDisponiveis_, 1);
    ld->addLayout(botoesMeio);
    ld->addWidget(lblContagem_);
    ld->addWidget(lstEscolhidas_, 1);
    auto* lb2 = new QHBoxLayout;
    lb2->addStretch(1);
    lb2->addWidget(botaoAjuda(decl, this));
    ld->addLayout(lb2);
    paginas_->addTab(decl, QStringLiteral("Declarações consistentes"));

    auto* botoes = new QHBoxLayout;
    botoes->addStretch(1);
    botoes->addWidget(BotaoDaAcao(corpo(), actConfirmar, "btnConfirmar", QStyle::SP_DialogOkButton));
    botoes->addWidget(BotaoDaAcao(corpo(), AcFechar, "btnFechar", QStyle::SP_DialogCloseButton));
    auto* lay = new QVBoxLayout(corpo());
    lay->addWidget(titulo);
    lay->addWidget(descricao);
    lay->addWidget(paginas_, 1);
    lay->addLayout(botoes);

    connect(rbTodas_, &QRadioButton::clicked, this, [this] { escolherTodas(false); });
    connect(rbFiltros_, &QRadioButton::clicked, this, [this] { escolherTodas(true); });
    connect(actTodas, &QAction::triggered, this, [this] { rbTodas_->setChecked(true); escolherTodas(false); });
    connect(actFiltros, &QAction::triggered, this, [this] { rbFiltros_->setChecked(true); escolherTodas(true); });
    connect(edInscricao_, &QLineEdit::textChanged, this, [this](const QString& t) {
        bool digitos = false;
        for (QChar ch : t) digitos = digitos || ch.isDigit();
        ckContribuinte_->setChecked(digitos);
    });
    connect(paginas_, &QTabWidget::currentChanged, this, &TscrUntSetDeclaracao::trocarPagina);
    connect(actInserir, &QAction::triggered, this, &TscrUntSetDeclaracao::incluir);
    connect(actExcluir, &QAction::triggered, this, &TscrUntSetDeclaracao::excluir);
    connect(actInserirTodas, &QAction::triggered, this, [this] {
        lstDisponiveis_->selectAll();
        incluir();
    });
    connect(actExcluirTodas, &QAction::triggered, this, [this] {
        lstEscolhidas_->selectAll();
        excluir();
    });
    connect(lstDisponiveis_, &QListWidget::itemDoubleClicked, actInserir, &QAction::trigger);
    connect(actConfirmar, &QAction::triggered, this, &TscrUntSetDeclaracao::confirmar);

    escolherTodas(false);
    painelStatus()->setText(QStringLiteral("Todas"));
    resize(720, 560);
}

void TscrUntSetDeclaracao::escolherTodas(bool filtros) {
    edInscricao_->clear();
    edInicio_->clear();
    edFim_->clear();
    for (QCheckBox* c : {ckContribuinte_, ckPeriodo_, ckNaoTransmitidas_}) c->setChecked(false);
    for (QWidget* w : std::initializer_list<QWidget*>{ckContribuinte_, ckPeriodo_, ckNaoTransmitidas_, edInscricao_,
                                                      edInicio_, edFim_})
        w->setEnabled(filtros);
    painelStatus()->setText(filtros ? QStringLiteral("Filtros") : QStringLiteral("Todas"));
}

void TscrUntSetDeclaracao::trocarPagina(int pagina) {
    if (pagina == paginaAtual_) return;
    // Cada troca refaz a oferta contra a base atual e esvazia a escolha
    selecao_.usarFiltros = rbFiltros_->isChecked();
    selecao_.inscricao = edInscricao_->text().toStdString();
    selecao_.dataInicio = edInicio_->text().toStdString();
    selecao_.dataFim = edFim_->text().toStdString();
    selecao_.naoTransmitidas = ckNaoTransmitidas_->isChecked();
    bool achou = false;
    try {
        achou = selecao_.reconstruir(dm_.MainConnection, dm_.LerParametro("ANOEXERCICIO"));
    } catch (const std::exception& e) {
        dm_.ui().erro(e.what());
    }
    mostrarListas();
    if (!achou) {
        dm_.ui().erro(MSG_NENHUMA_ENCONTRADA);
        QSignalBlocker b(paginas_);
        paginas_->setCurrentIndex(0);
        paginaAtual_ = 0;
        return;
    }
    paginaAtual_ = pagina;
}

void TscrUntSetDeclaracao::mostrarListas() {
    auto preencher = [](QListWidget* l, const std::vector<std::string>& linhas) {
        l->clear();
        for (const auto& t : linhas) l->addItem(q(t));
    };
    preencher(lstDisponiveis_, selecao_.disponiveis());
    preencher(lstEscolhidas_, selecao_.escolhidas());
    lblContagem_->setText(q(selecao_.rotuloContagem()));
}

std::vector<size_t> TscrUntSetDeclaracao::selecionadas(QListWidget* lista) const {
    std::vector<size_t> v;
    for (QListWidgetItem* i : lista->selectedItems()) v.push_back(static_cast<size_t>(lista->row(i)));
    return v;
}

void TscrUntSetDeclaracao::incluir() {
    const auto sel = selecionadas(lstDisponiveis_);
    selecao_.incluir(sel);
    mostrarListas();
    for (size_t i : sel) lstDisponiveis_->item(static_cast<int>(i))->setSelected(true);
    lstDisponiveis_->setFocus();
}

void TscrUntSetDeclaracao::excluir() {
    selecao_.excluir(selecionadas(lstEscolhidas_));
    mostrarListas();
    lstEscolhidas_->setFocus();
}

void TscrUntSetDeclaracao::confirmar() {
    auto chaves = selecao_.confirmar(dm_.ui());
    if (!chaves) return;
    if (!selecao_.disponiveis().empty()) resultado_ = std::move(chaves);
    accept();
}

std::optional<std::vector<std::string>> TscrUntSetDeclaracao::SelecionaDeclaracoes() {
    resultado_.reset();
    exec();
    return resultado_;
}

}  // namespace kov::ui
