#include "ui/frmFiltros.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QDir>
#include <QGuiApplication>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "platform/Interacao.h"
#include "reports/DadosImpressao.h"
#include "ui/InteracaoGui.h"

namespace kov::ui {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

const char* const MsgSelecione = "Selecione uma declaração, clicando sobre a linha da inscrição estadual desejada.";
const char* const MsgNadaAImprimir = "Nenhum formulário a imprimir para esta declaração.";

}  // namespace

// As colunas da lista: "IE", "Contribuinte", "Período", "Mês Inicial" e "Mês Final".
class ModeloFiltros : public QAbstractTableModel {
public:
    ModeloFiltros(const std::vector<LinhaListaDeclaracao>& linhas, QObject* pai)
        : QAbstractTableModel(pai), linhas_(linhas) {}
    int rowCount(const QModelIndex& pai = {}) const override {
        return pai.isValid() ? 0 : static_cast<int>(linhas_.size());
    }
    int columnCount(const QModelIndex& pai = {}) const override { return pai.isValid() ? 0 : 5; }
    QVariant data(const QModelIndex& i, int papel) const override {
        if (papel != Qt::DisplayRole || !i.isValid()) return {};
        const auto& l = linhas_[static_cast<size_t>(i.row())];
        switch (i.column()) {
        case 0: return q(l.INSCESTADUAL);
        case 1: return q(l.RAZAOSOCIAL);
        case 2: return l.PERIODO;
        case 3: return q(NomeMes(l.MESINICIAL));
        default: return q(NomeMes(l.MESFINAL));
        }
    }
    QVariant headerData(int s, Qt::Orientation o, int papel) const override {
        if (o != Qt::Horizontal || papel != Qt::DisplayRole) return {};
        static const char* const titulos[] = {"IE", "Contribuinte", "Período", "Mês Inicial", "Mês Final"};
        return QString::fromUtf8(titulos[s]);
    }
    void recarregar() {
        beginResetModel();
        endResetModel();
    }

private:
    const std::vector<LinhaListaDeclaracao>& linhas_;
};

TFormFiltros::TFormFiltros(Tdm& dm, QWidget* pai) : TscrPdrBasica(pai), dm_(dm) {
    setObjectName(QStringLiteral("FormFiltros"));
    setWindowTitle(QStringLiteral("Filtros"));
    // A lista das declarações do ano base, lida quando a tela é criada
    linhas_ = ListarDeclaracoes(dm_.MainConnection, dm_.LerParametro("ANOEXERCICIO"));

    auto* layout = new QVBoxLayout(corpo());
    auto* topo = new QHBoxLayout;
    auto* lblOrdem = new QLabel(QStringLiteral("Ordenar por:"), corpo());
    cbOrdem_ = new QComboBox(corpo());
    cbOrdem_->setObjectName(QStringLiteral("CB_Ordem"));
    cbOrdem_->addItems({QStringLiteral("Inscrição Estadual"), QStringLiteral("Período"), QStringLiteral("Razão Social")});
    lblOrdem->setBuddy(cbOrdem_);
    topo->addWidget(lblOrdem);
    topo->addWidget(cbOrdem_);
    topo->addStretch();
    layout->addLayout(topo);

    modelo_ = new ModeloFiltros(linhas_, this);
    grade_ = new QTableView(corpo());
    grade_->setObjectName(QStringLiteral("DBGrid1"));
    grade_->setModel(modelo_);
    grade_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grade_->setSelectionMode(QAbstractItemView::SingleSelection);
    grade_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grade_->verticalHeader()->hide();
    grade_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    grade_->setColumnWidth(0, 120);
    grade_->setMinimumHeight(220);
    layout->addWidget(grade_, 1);

    auto* grupo = new QGroupBox(QStringLiteral("Relatórios"), corpo());
    auto* g = new QGridLayout(grupo);
    auto caixa = [&](const char* nome, const char* texto, int linha, int coluna) {
        auto* c = new QCheckBox(QString::fromUtf8(texto), grupo);
        c->setObjectName(QString::fromLatin1(nome));
        g->addWidget(c, linha, coluna);
        return c;
    };
    CHK_PRELO = caixa("CHK_PRELO", "PRELO ", 0, 0);
    CHK_Entradas = caixa("CHK_Entradas", "Entradas", 0, 1);
    CHK_Saidas = caixa("CHK_Saidas", "Saidas", 0, 2);
    CHK_KOV = caixa("CHK_KOV", "KOV", 1, 0);
    CHK_KOVOutras = caixa("CHK_KOVOutras", "KOV - Outras", 1, 1);
    CHK_GI = caixa("CHK_GI", "GI", 1, 2);
    CHKMarca = caixa("CHKMarca", "Marcar todas", 2, 0);
    CHK_DiretoImpressora = caixa("CHK_DiretoImpressora", "Enviar direto para Impressora", 2, 1);
    g->addWidget(CHK_DiretoImpressora, 2, 1, 1, 2);
    layout->addWidget(grupo);

    auto* botoes = new QHBoxLayout;
    botoes->addStretch();
    BTN_Executar = new QPushButton(QStringLiteral("&Executar"), corpo());
    BTN_Executar->setObjectName(QStringLiteral("BTN_Executar"));
    BTN_Fechar = new QPushButton(AcFechar->text(), corpo());
    BTN_Fechar->setObjectName(QStringLiteral("BTN_Fechar"));
    botoes->addWidget(BTN_Executar);
    botoes->addWidget(BTN_Fechar);
    layout->addLayout(botoes);

    connect(cbOrdem_, &QComboBox::currentIndexChanged, this, &TFormFiltros::ordenar);
    connect(CHKMarca, &QCheckBox::toggled, this, &TFormFiltros::marcarTodas);
    connect(BTN_Executar, &QPushButton::clicked, this, &TFormFiltros::executar);
    connect(BTN_Fechar, &QPushButton::clicked, AcFechar, &QAction::trigger);
    connect(grade_, &QTableView::doubleClicked, this, &TFormFiltros::executar);

    produtor_ = [this](const relatorios::FormularioMontado& f, bool direto) {
        if (direto) ImprimirRelatorio(f.relatorio, this);
        else VisualizarRelatorio(f.relatorio, this);
    };
    resize(640, 480);
}

TFormFiltros::~TFormFiltros() = default;

void TFormFiltros::showEvent(QShowEvent* e) {
    TscrPdrBasica::showEvent(e);
    if (!linhas_.empty() && !grade_->selectionModel()->hasSelection()) grade_->selectRow(0);
}

void TFormFiltros::ordenar(int escolha) {
    // A declaração escolhida continua escolhida na nova ordem
    const QModelIndexList sel = grade_->selectionModel()->selectedRows();
    const int atual = sel.isEmpty() ? -1 : linhas_[static_cast<size_t>(sel.front().row())].DOCUMENTO_ID;
    auto chave = [escolha](const LinhaListaDeclaracao& l) {
        switch (escolha) {
        case 1: return std::tuple<std::string, int, int, int>({}, l.PERIODO, l.MESINICIAL, l.MESFINAL);
        case 2: return std::tuple<std::string, int, int, int>(ChaveOrdemAlfabetica(l.RAZAOSOCIAL), 0, 0, 0);
        default: return std::tuple<std::string, int, int, int>(l.INSCESTADUAL, 0, 0, 0);
        }
    };
    std::stable_sort(linhas_.begin(), linhas_.end(),
                     [&](const LinhaListaDeclaracao& a, const LinhaListaDeclaracao& b) { return chave(a) < chave(b); });
    modelo_->recarregar();
    for (size_t i = 0; i < linhas_.size(); ++i)
        if (linhas_[i].DOCUMENTO_ID == atual) grade_->selectRow(static_cast<int>(i));
}

std::vector<std::pair<QCheckBox*, relatorios::TipoFormulario>> TFormFiltros::caixas() const {
    using T = relatorios::TipoFormulario;
    return {{CHK_PRELO, T::Prelo}, {CHK_Entradas, T::Entradas},   {CHK_Saidas, T::Saidas},
            {CHK_KOV, T::Kov},     {CHK_KOVOutras, T::KovOutras}, {CHK_GI, T::GI}};
}

void TFormFiltros::marcarTodas(bool marcar) {
    CHKMarca->setText(marcar ? QStringLiteral("Desmarcar todas") : QStringLiteral("Marcar todas"));
    for (const auto& [c, t] : caixas()) c->setChecked(marcar);
}

void TFormFiltros::limparEscolhas() {
    for (const auto& [c, t] : caixas()) c->setChecked(false);
    CHK_DiretoImpressora->setChecked(false);
    CHKMarca->setChecked(false);
    CHKMarca->setText(QStringLiteral("Marcar todas"));
}

void TFormFiltros::executar() {
    const QModelIndexList sel = grade_->selectionModel()->selectedRows();
    if (sel.isEmpty()) {
        dm_.ui().mensagem(TipoMensagem::Informacao, "Atenção", MsgSelecione);
        return;
    }
    const int documentoId = linhas_[static_cast<size_t>(sel.front().row())].DOCUMENTO_ID;
    std::vector<relatorios::TipoFormulario> marcados;
    for (const auto& [c, t] : caixas())
        if (c->isChecked()) marcados.push_back(t);
    const bool direto = CHK_DiretoImpressora->isChecked();
    // As escolhas valem para esta execução só, também quando ela falha
    struct Limpeza {
        TFormFiltros* t;
        ~Limpeza() { t->limparEscolhas(); }
    } limpeza{this};
    if (marcados.empty()) return;
    relatorios::DadosImpressao dados;
    try {
        dados = relatorios::CarregarDadosImpressao(dm_, documentoId);
    } catch (const std::exception& ex) {
        dm_.ui().erro(ex.what());
        return;
    }
    // Cada formulário é montado, mostrado (ou impresso) e descartado antes do seguinte
    size_t produzidos = 0;
    const QDateTime momento = QDateTime::currentDateTime();
    for (relatorios::TipoFormulario t : marcados) {
        auto r = relatorios::MontarFormulario(t, dados, momento);
        if (!r) continue;
        ++produzidos;
        try {
            produtor_(relatorios::FormularioMontado{t, std::move(*r)}, direto);
        } catch (const std::exception& ex) {
            dm_.ui().erro(ex.what());
            return;
        }
    }
    if (produzidos == 0) dm_.ui().mensagem(TipoMensagem::Informacao, "Atenção", MsgNadaAImprimir);
}

// --- Pré-visualização e impressão --------------------------------------------------------

void VisualizarRelatorio(const relatorios::Relatorio& r, QWidget* pai) {
    QPrinter impressora(QPrinter::HighResolution);
    r.configurarImpressora(impressora);
    QPrintPreviewDialog dlg(&impressora, pai);
    dlg.setWindowTitle(r.tituloTrabalho());
    dlg.setObjectName(QStringLiteral("VisualizacaoRelatorio"));
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                     [&r](QPrinter* p) { r.desenhar(*p); });
    if (auto* barra = dlg.findChild<QToolBar*>()) {
        barra->addSeparator();
        QAction* salvar = barra->addAction(QStringLiteral("Salvar PDF"));
        salvar->setObjectName(QStringLiteral("actSalvarPdf"));
        salvar->setToolTip(QStringLiteral("Salvar como PDF"));
        QObject::connect(salvar, &QAction::triggered, &dlg, [&r, &dlg] {
            QString nome = r.tituloTrabalho();
            nome.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9À-ÿ -]")), QStringLiteral("_"));
            const QString pasta = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            const QString arquivo = QFileDialog::getSaveFileName(&dlg, QStringLiteral("Salvar PDF"),
                                                                 QDir(pasta).filePath(nome + QStringLiteral(".pdf")),
                                                                 QStringLiteral("PDF (*.pdf)"));
            if (arquivo.isEmpty()) return;
            try {
                r.gravarPdf(arquivo.toStdString());
            } catch (const std::exception& ex) {
                InteracaoGui(&dlg).erro(ex.what());
            }
        });
    }
    // Grande o bastante para ler a página inteira
    if (const QScreen* tela = (pai ? pai->screen() : QGuiApplication::primaryScreen())) {
        const QRect area = tela->availableGeometry();
        dlg.resize(area.width() * 8 / 10, area.height() * 9 / 10);
    }
    dlg.exec();
}

void ImprimirRelatorio(const relatorios::Relatorio& r, QWidget* pai) {
    if (QPrinterInfo::availablePrinters().isEmpty())
        throw ErroSistema("Nenhuma impressora disponível. Instale uma impressora ou desmarque \"Enviar direto para "
                          "Impressora\" para visualizar e salvar em PDF.");
    QPrinter impressora(QPrinter::HighResolution);
    r.configurarImpressora(impressora);
    // Janela de progresso com as páginas; cancelar desiste do trabalho inteiro
    QProgressDialog progresso(QStringLiteral("Imprimindo %1...").arg(r.tituloTrabalho()), QStringLiteral("Cancelar"), 0,
                              r.paginas(), pai);
    progresso.setWindowTitle(QStringLiteral("Impressão"));
    progresso.setWindowModality(Qt::WindowModal);
    progresso.setMinimumDuration(0);
    r.desenhar(impressora, [&progresso](int pagina, int total) {
        progresso.setMaximum(total);
        progresso.setValue(pagina - 1);
        QCoreApplication::processEvents();
        return !progresso.wasCanceled();
    });
    progresso.setValue(progresso.maximum());
}

}  // namespace kov::ui
