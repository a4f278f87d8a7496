#include "ui/frmHistorico.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/EdicaoDeclaracao.h"
#include "data/dmPrincipal.h"
#include "data/fb/Transacao.h"
#include "data/untUtils.h"
#include "platform/Interacao.h"
#include "reports/Recibo.h"
#include "ui/Ajuda.h"
#include "ui/ModeloLinhas.h"
#include "ui/frmFiltros.h"

namespace kov::ui {

namespace {

constexpr int AJUDA_RECIBOS = 34;

QTableWidget* novaGrade(QWidget* pai, const char* nome, const QStringList& titulos) {
    auto* g = new QTableWidget(pai);
    g->setObjectName(QString::fromUtf8(nome));
    g->setColumnCount(static_cast<int>(titulos.size()));
    g->setHorizontalHeaderLabels(titulos);
    g->verticalHeader()->setVisible(false);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return g;
}

void celula(QTableWidget* g, int l, int c, const QString& t) { g->setItem(l, c, new QTableWidgetItem(t)); }

}  // namespace

void VisualizarRecibo(Tdm& dm, const Entrega& e, QWidget* pai) {
    relatorios::TscrRptRecibo recibo(e, QString::fromStdString(VersaoSistema(dm.ConfigApp)));
    VisualizarRelatorio(recibo.relatorio(), pai);
}

TscrUntHistorico::TscrUntHistorico(Tdm& dm, const QString& topo, std::vector<Entrega> entregas, QWidget* pai)
    : TscrPdrBasica(pai), dm_(dm), entregas_(std::move(entregas)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("scrUntHistorico"));
    setWindowTitle(QStringLiteral("Histórico de Entregas"));
    auto* barra = new QLabel(topo, corpo());
    barra->setObjectName(QStringLiteral("lblTopo"));
    grade_ = novaGrade(corpo(), "grHistorico",
                       {QStringLiteral("Data"), QStringLiteral("Hora"), QStringLiteral("Protocolo"),
                        QStringLiteral("Transmissao")});
    grade_->setRowCount(static_cast<int>(entregas_.size()));
    for (int i = 0; i < static_cast<int>(entregas_.size()); ++i) {
        const Entrega& e = entregas_[static_cast<size_t>(i)];
        celula(grade_, i, 0, relatorios::DataDoRecibo(e));
        celula(grade_, i, 1, QString::fromStdString(e.HORA));
        celula(grade_, i, 2, QString::fromStdString(e.PROTOCOLO));
        celula(grade_, i, 3, QString::fromStdString(e.TIPOTRANSMISSAO));
    }
    if (!entregas_.empty()) grade_->setCurrentCell(0, 0);
    grade_->setWordWrap(false);
    grade_->resizeColumnsToContents();
    auto* legenda = new QLabel(QStringLiteral("T -  Transmissão via Internet\nD - Gravação em Disquete"), corpo());
    legenda->setObjectName(QStringLiteral("lblLegenda"));
    auto* fechar = new QPushButton(QStringLiteral("&Fechar"), corpo());
    fechar->setShortcut(QKeySequence(Qt::Key_F4));
    btnImprimir_ = new QPushButton(QStringLiteral("Imprimir"), corpo());
    btnImprimir_->setObjectName(QStringLiteral("btnImprimir"));
    btnImprimir_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    btnImprimir_->setEnabled(!entregas_.empty());
    connect(fechar, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnImprimir_, &QPushButton::clicked, this, &TscrUntHistorico::actImprimirExecute);
    connect(grade_, &QTableWidget::cellDoubleClicked, this, [this] { actImprimirExecute(); });
    auto* baixo = new QHBoxLayout;
    baixo->addWidget(legenda, 1);
    baixo->addWidget(fechar);
    baixo->addWidget(btnImprimir_);
    auto* l = new QVBoxLayout(corpo());
    l->addWidget(barra);
    l->addWidget(grade_, 1);
    l->addLayout(baixo);
    resize(480, 300);
}

void TscrUntHistorico::actImprimirExecute() {
    const int i = grade_->currentRow();
    if (i < 0 || i >= static_cast<int>(entregas_.size())) return;
    VisualizarRecibo(dm_, entregas_[static_cast<size_t>(i)], this);
}

TscrUntEscolheDeclaracao::TscrUntEscolheDeclaracao(Tdm& dm, QWidget* pai)
    : TscrPdrBasica(pai), dm_(dm), declaracoes_(std::make_unique<ConjuntoDeclaracoes>(dm)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("scrUntEscolheDeclaracao"));
    setWindowTitle(QStringLiteral("Selecione a Declaração"));
    DefinirContextoAjuda(this, AJUDA_RECIBOS);
    auto* rotulo = new QLabel(QStringLiteral("Declarações"), corpo());
    // Aberto agora: a lista mostra o conteúdo atual da base
    declaracoes_->abrir();
    struct Coluna {
        const char* campo;
        const char* titulo;
        int largura;
    };
    static const Coluna colunas[] = {
        {"IE_CONTRIBUINTE", "Insc. Estadual", 115},   {"NOME_CONTRIBUINTE", "Razão Social", 230},
        {"PERIODO", "Periodo", 55},                   {"calcMesInicial", "Mês Inicial", 80},
        {"calcMesFinal", "Mês Final", 80},            {"DESCRICAO_MUNICIPIO", "Município", 150},
        {"DESCRICAO_STATUS", "Status", 95},           {"TITULO_TIPOCONTRIBUINTE", "Tipo", 120},
        {"DESCRICAO_TIPOREGIME", "Regime", 170}};
    std::vector<std::string> campos;
    for (const auto& c : colunas) campos.emplace_back(c.campo);
    modelo_ = new ModeloLinhas(*declaracoes_, std::move(campos), this);
    for (const auto& c : colunas) modelo_->definirTitulo(c.campo, QString::fromUtf8(c.titulo));
    grade_ = new QTableView(corpo());
    grade_->setObjectName(QStringLiteral("grDeclaracoes"));
    grade_->setModel(modelo_);
    grade_->verticalHeader()->setVisible(false);
    grade_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grade_->setSelectionMode(QAbstractItemView::SingleSelection);
    grade_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // As larguras são as mínimas; com a fonte da tela a coluna cresce até caber o conteúdo
    grade_->setWordWrap(false);
    grade_->resizeColumnsToContents();
    for (int i = 0; i < static_cast<int>(std::size(colunas)); ++i)
        grade_->setColumnWidth(i, std::max(colunas[i].largura, grade_->columnWidth(i)));
    if (modelo_->rowCount() > 0) grade_->selectRow(0);
    auto* fechar = new QPushButton(QStringLiteral("&Fechar"), corpo());
    fechar->setShortcut(QKeySequence(Qt::Key_F4));
    auto* imprimir = new QPushButton(QStringLiteral("&Imprimir"), corpo());
    imprimir->setObjectName(QStringLiteral("btnImprimir"));
    imprimir->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    auto* ajuda = new QPushButton(QStringLiteral("&Ajuda"), corpo());
    connect(fechar, &QPushButton::clicked, this, &QDialog::accept);
    connect(imprimir, &QPushButton::clicked, this, &TscrUntEscolheDeclaracao::actImprimirExecute);
    connect(grade_, &QTableView::doubleClicked, this, [this] { actImprimirExecute(); });
    connect(ajuda, &QPushButton::clicked, this, [this] {
        JanelaAjuda janela(this);
        if (janela.mostrar(ArquivoAjuda(dm_.diretorioPrograma(), AJUDA_RECIBOS), AJUDA_RECIBOS)) janela.exec();
    });
    auto* botoes = new QHBoxLayout;
    botoes->addStretch(1);
    botoes->addWidget(fechar);
    botoes->addWidget(imprimir);
    botoes->addWidget(ajuda);
    auto* l = new QVBoxLayout(corpo());
    l->addWidget(rotulo);
    l->addWidget(grade_, 1);
    l->addLayout(botoes);
    resize(1260, 440);
}

TscrUntEscolheDeclaracao::~TscrUntEscolheDeclaracao() {
    // O modelo observa o conjunto: sai antes dele
    delete modelo_;
}

void TscrUntEscolheDeclaracao::actImprimirExecute() {
    const int i = grade_->currentIndex().row();
    if (i < 0 || i >= declaracoes_->quantidade()) return;
    const LinhaListaDeclaracao& d = declaracoes_->linha(i);
    std::vector<Entrega> recibos;
    try {
        auto tr = fb::Transacao::leitura(dm_.MainConnection);
        recibos = RecibosDaDeclaracao(tr, d.DOCUMENTO_ID);
        tr.commit();
    } catch (const std::exception& e) {
        dm_.ui().erro(e.what());
        return;
    }
    if (recibos.empty()) {
        dm_.ui().mensagem(TipoMensagem::Informacao, "Informação", "Não existe recibo para esta declaração!");
    } else if (recibos.size() == 1) {
        VisualizarRecibo(dm_, recibos.front(), this);
    } else {
        TscrUntHistorico h(dm_, QString::fromStdString(d.INSCESTADUAL + " - " + d.RAZAOSOCIAL), std::move(recibos),
                           this);
        h.exec();
    }
}

void AbrirEscolhaRecibo(Tdm& dm, QWidget* pai) {
    try {
        TscrUntEscolheDeclaracao tela(dm, pai);
        tela.setWindowTitle(QStringLiteral("Impressão de recibos"));
        tela.exec();
    } catch (const std::exception& e) {
        dm.ui().erro(e.what());
    }
}

}  // namespace kov::ui
