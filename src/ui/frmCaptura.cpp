#include "ui/frmCaptura.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "platform/Interacao.h"
#include "reports/Recibo.h"
#include "ui/Ajuda.h"
#include "ui/frmFiltros.h"

namespace kov::ui {

namespace {
constexpr int AJUDA_PROTOCOLOS = 35;
// Larguras mínimas das colunas; com a fonte da tela elas crescem até caber o conteúdo.
constexpr int LARGURAS[6] = {24, 92, 99, 112, 80, 68};
}

TscrUntCaptura::TscrUntCaptura(Tdm& dm, ModoCaptura modo, QWidget* pai) : TscrPdrBasica(pai), dm_(dm) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("scrUntCaptura"));
    const bool captura = modo == ModoCaptura::Captura;
    setWindowTitle(captura ? QStringLiteral("Protocolos") : QStringLiteral("Impressão de Recibos"));
    DefinirContextoAjuda(this, AJUDA_PROTOCOLOS);
    captura_ = std::make_unique<CapturaProtocolos>(dm, modo, [this](const Entrega& e) {
        relatorios::TscrRptRecibo recibo(e, QString::fromStdString(VersaoSistema(dm_.ConfigApp)));
        VisualizarRelatorio(recibo.relatorio(), this);
    });

    lblTitulo_ = new QLabel(captura ? QStringLiteral("Captura de Protocolos")
                                    : QStringLiteral("Impressão do Recibo do disquete"),
                            corpo());
    lblTitulo_->setObjectName(QStringLiteral("lblTitulo"));
    QFont f = lblTitulo_->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.5);
    lblTitulo_->setFont(f);
    auto* figura = new QLabel(corpo());
    figura->setPixmap(QPixmap(QString::fromStdString(IncluirBarra(dm.diretorioPrograma())) + QStringLiteral("botoes/") +
                              (captura ? QStringLiteral("transmissao.png") : QStringLiteral("documentos.png")))
                          .scaledToHeight(40, Qt::SmoothTransformation));
    auto* topo = new QHBoxLayout;
    topo->addWidget(figura);
    topo->addWidget(lblTitulo_, 1);

    grProtocolos_ = new QTableWidget(corpo());
    grProtocolos_->setObjectName(QStringLiteral("grProtocolos"));
    grProtocolos_->setColumnCount(6);
    QStringList titulos;
    for (const char* t : TITULOS_GRADE_PROTOCOLOS) titulos << QString::fromUtf8(t);
    grProtocolos_->setHorizontalHeaderLabels(titulos);
    for (int i = 0; i < 6; ++i) grProtocolos_->setColumnWidth(i, LARGURAS[i]);
    grProtocolos_->setWordWrap(false);
    grProtocolos_->verticalHeader()->setVisible(false);
    grProtocolos_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grProtocolos_->setSelectionMode(QAbstractItemView::SingleSelection);
    grProtocolos_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(grProtocolos_, &QTableWidget::currentCellChanged, this,
            [this](int linha, int, int, int) { captura_->selecionar(linha); });

    btnCapturar_ = new QPushButton(QStringLiteral("Capturar Protocolo"), corpo());
    btnCapturar_->setObjectName(QStringLiteral("btnCapturar"));
    btnCapturar_->setToolTip(QStringLiteral("Captura protocolo do disquete"));
    btnImprimir_ = new QPushButton(QStringLiteral("&Imprimir Recibo"), corpo());
    btnImprimir_->setObjectName(QStringLiteral("btnImprimir"));
    btnImprimir_->setToolTip(QStringLiteral("Imprime recibo do disquete"));
    btnCapturar_->setVisible(captura);
    btnImprimir_->setVisible(!captura);
    btnImprimir_->setEnabled(!captura);
    auto* fechar = new QPushButton(QStringLiteral("&Fechar"), corpo());
    fechar->setObjectName(QStringLiteral("btnFechar"));
    auto* ajuda = new QPushButton(QStringLiteral("&Ajuda"), corpo());
    ajuda->setObjectName(QStringLiteral("btnAjuda"));
    connect(btnCapturar_, &QPushButton::clicked, this, &TscrUntCaptura::actCapturarExecute);
    connect(btnImprimir_, &QPushButton::clicked, this, &TscrUntCaptura::actImprimirExecute);
    connect(fechar, &QPushButton::clicked, this, &QDialog::accept);
    connect(ajuda, &QPushButton::clicked, this, [this] {
        JanelaAjuda janela(this);
        if (janela.mostrar(ArquivoAjuda(dm_.diretorioPrograma(), AJUDA_PROTOCOLOS), AJUDA_PROTOCOLOS)) janela.exec();
    });
    auto* botoes = new QHBoxLayout;
    botoes->setContentsMargins(8, 0, 0, 0);
    botoes->addWidget(btnCapturar_);
    botoes->addWidget(btnImprimir_);
    botoes->addStretch(1);
    botoes->addWidget(fechar);
    botoes->addWidget(ajuda);

    auto* l = new QVBoxLayout(corpo());
    l->addLayout(topo);
    l->addWidget(grProtocolos_, 1);
    l->addLayout(botoes);
    resize(520, 360);
}

TscrUntCaptura::~TscrUntCaptura() = default;

void TscrUntCaptura::preencherGrade() {
    const auto linhas = captura_->grade();
    grProtocolos_->setRowCount(static_cast<int>(std::max<size_t>(linhas.size(), 1)));
    if (linhas.empty())
        for (int c = 0; c < 6; ++c) grProtocolos_->setItem(0, c, new QTableWidgetItem());
    for (size_t i = 0; i < linhas.size(); ++i)
        for (size_t c = 0; c < linhas[i].size(); ++c)
            grProtocolos_->setItem(static_cast<int>(i), static_cast<int>(c),
                                   new QTableWidgetItem(QString::fromStdString(linhas[i][c])));
    if (!linhas.empty()) grProtocolos_->setCurrentCell(captura_->selecionado(), 0);
    // Inscrição, período e protocolo inteiros, sem cortar nem quebrar a linha
    grProtocolos_->resizeColumnsToContents();
    int total = 0;
    for (int c = 0; c < 6; ++c) {
        const int largura = std::max(LARGURAS[c], grProtocolos_->columnWidth(c));
        grProtocolos_->setColumnWidth(c, largura);
        total += largura;
    }
    // Moldura da grade, barra de rolagem e margens da tela
    const int desejada = total + 2 * grProtocolos_->frameWidth() +
                         grProtocolos_->verticalScrollBar()->sizeHint().width() + 40;
    if (desejada > width()) resize(desejada, height());
}

bool TscrUntCaptura::CarregarProtocolos() {
    if (!captura_->CarregarProtocolos()) return false;
    preencherGrade();
    return true;
}

void TscrUntCaptura::actCapturarExecute() {
    try {
        if (captura_->actCapturarExecute()) preencherGrade();
    } catch (const std::exception& e) {
        dm_.ui().limparStatus();
        dm_.ui().erro(e.what());
    }
}

void TscrUntCaptura::actImprimirExecute() {
    try {
        captura_->actImprimirExecute();
    } catch (const std::exception& e) {
        dm_.ui().erro(e.what());
    }
}

void AbrirTelaProtocolos(Tdm& dm, ModoCaptura modo, QWidget* pai) {
    TscrUntCaptura tela(dm, modo, pai);
    if (tela.CarregarProtocolos()) tela.exec();
}

}  // namespace kov::ui
