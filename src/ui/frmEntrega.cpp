#include "ui/frmEntrega.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "platform/Interacao.h"
#include "ui/Ajuda.h"
#include "ui/Formulario.h"
#include "ui/frmSetDeclaracao.h"

namespace kov::ui {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TscrUntEntrega::TscrUntEntrega(Tdm& dm, ModoEntrega modo, QWidget* pai)
    : TscrPdrBasica(pai), dm_(dm), relogio_(std::make_unique<RelogioSistema>()) {
    // Quem chama cria a tela antes e a destrói depois
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("scrUntEntrega"));
    execucao_ = std::make_unique<ExecucaoEntrega>(dm, modo, *this, *relogio_);
    const QString legenda = QString::fromUtf8(LegendaEntrega(modo));
    setWindowTitle(legenda);
    // F1 abre a ajuda do modo (transmissão 20, gravação 17); nada abre sozinho
    DefinirContextoAjuda(this, modo == ModoEntrega::Transmissao ? ContextoAjuda::Transmissao : ContextoAjuda::Gravacao);

    auto* cabecalho = new QLabel(legenda, corpo());
    cabecalho->setObjectName(QStringLiteral("lblModo"));
    QFont fc = cabecalho->font();
    fc.setBold(true);
    fc.setPointSizeF(fc.pointSizeF() * 1.5);
    cabecalho->setFont(fc);
    auto* figura = new QLabel(corpo());
    const QString arquivo = q(IncluirBarra(dm.diretorioPrograma())) + QStringLiteral("botoes/") +
                            (modo == ModoEntrega::Transmissao ? QStringLiteral("transmissao.png")
                                                              : QStringLiteral("gravacao.png"));
    figura->setPixmap(QPixmap(arquivo).scaledToHeight(40, Qt::SmoothTransformation));
    auto* topo = new QHBoxLayout;
    topo->addWidget(figura);
    topo->addWidget(cabecalho, 1);

    auto* quadro = new QFrame(corpo());
    quadro->setFrameShape(QFrame::StyledPanel);
    lblContagem_ = new QLabel(quadro);
    lblContagem_->setObjectName(QStringLiteral("lblContagem"));
    QFont negrito = lblContagem_->font();
    negrito.setBold(true);
    lblContagem_->setFont(negrito);
    auto* lq = new QVBoxLayout(quadro);
    lq->addWidget(lblContagem_);
    for (int i = 0; i < 9; ++i) {
        linhas_[i] = new QLabel(quadro);
        linhas_[i]->setObjectName(QStringLiteral("lblMsg%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        lq->addWidget(linhas_[i]);
    }
    separador_ = new QFrame(quadro);
    separador_->setObjectName(QStringLiteral("separador"));
    separador_->setFrameShape(QFrame::HLine);
    separador_->setVisible(false);
    lblResultado_ = new QLabel(quadro);
    lblResultado_->setObjectName(QStringLiteral("lblResultado"));
    lblResultado_->setFont(negrito);
    lq->addStretch(1);
    lq->addWidget(separador_);
    lq->addWidget(lblResultado_);

    barra_ = new QProgressBar(corpo());
    barra_->setObjectName(QStringLiteral("pbProgresso"));
    barra_->setValue(0);
    auto* baixo = new QHBoxLayout;
    baixo->addWidget(barra_, 1);
    baixo->addWidget(BotaoDaAcao(corpo(), AcFechar, "btnFechar", QStyle::SP_DialogCloseButton));

    auto* lay = new QVBoxLayout(corpo());
    lay->addLayout(topo);
    lay->addWidget(quadro, 1);
    lay->addLayout(baixo);
    resize(520, 420);
}

TscrUntEntrega::~TscrUntEntrega() = default;

QLabel* TscrUntEntrega::linhaPasso(int numero) const {
    return numero >= 1 && numero <= 9 ? linhas_[numero - 1] : nullptr;
}

void TscrUntEntrega::contagem(const std::string& texto) { lblContagem_->setText(q(texto)); }

void TscrUntEntrega::redesenharLinhas() {
    const auto& linhas = execucao_->linhas();
    for (size_t i = 0; i < linhas.size() && i < 9; ++i) linhas_[i]->setText(q(linhas[i]));
    processarEventos();
}

void TscrUntEntrega::passo(int, const std::string&) { redesenharLinhas(); }

void TscrUntEntrega::marcado(int, const std::string&, bool) { redesenharLinhas(); }

void TscrUntEntrega::nota(const std::string&) { redesenharLinhas(); }

void TscrUntEntrega::progresso(int valor, int maximo) {
    barra_->setMaximum(std::max(maximo, 1));
    barra_->setValue(valor);
    processarEventos();
}

void TscrUntEntrega::resultado(const std::string& texto, bool falhou) {
    lblResultado_->setText(q(texto));
    QPalette p = lblResultado_->palette();
    p.setColor(QPalette::WindowText, falhou ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    lblResultado_->setPalette(p);
    separador_->setVisible(true);
}

void TscrUntEntrega::ocupado(bool sim) {
    if (sim) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void TscrUntEntrega::processarEventos() {
    // A tela se redesenha, mas não aceita comandos enquanto a entrega anda
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TscrUntEntrega::showEvent(QShowEvent* e) {
    TscrPdrBasica::showEvent(e);
    if (iniciada_) return;
    iniciada_ = true;
    // A execução começa quando a tela já está na frente, uma vez só
    QTimer::singleShot(0, this, &TscrUntEntrega::executar);
}

void TscrUntEntrega::executar() {
    rodando_ = true;
    AcFechar->setEnabled(false);
    bool ok = false;
    try {
        ok = execucao_->executar();
    } catch (const std::exception& e) {
        dm_.ui().erro(std::string(e.what()) + "\rContacte o suporte da DRU!");
    }
    barra_->setValue(0);
    painelStatus()->clear();
    rodando_ = false;
    AcFechar->setEnabled(true);
    emit execucaoTerminada(ok);
}

void TscrUntEntrega::closeEvent(QCloseEvent* e) {
    if (rodando_) {
        e->ignore();
        return;
    }
    TscrPdrBasica::closeEvent(e);
}

void TscrUntEntrega::keyPressEvent(QKeyEvent* e) {
    if (rodando_ && e->key() == Qt::Key_Escape) return;
    TscrPdrBasica::keyPressEvent(e);
}

void AbrirTelaEntrega(Tdm& dm, ModoEntrega modo, QWidget* pai) {
    std::optional<std::vector<std::string>> chaves;
    try {
        TscrUntSetDeclaracao escolha(dm, modo == ModoEntrega::Transmissao ? ModoSelecao::Transmissao : ModoSelecao::Gravacao,
                                     pai);
        chaves = escolha.SelecionaDeclaracoes();
    } catch (const std::exception& e) {
        dm.ui().erro(std::string(e.what()) + "\rContacte o suporte da DRU!");
        return;
    }
    if (!chaves) return;
    TscrUntEntrega tela(dm, modo, pai);
    try {
        if (!tela.execucao().confirmar(*chaves)) return;
    } catch (const std::exception& e) {
        dm.ui().erro(e.what());
        return;
    }
    tela.exec();
    try {
        tela.execucao().encerrar();
    } catch (const std::exception& e) {
        dm.ui().erro(e.what());
    }
}

}  // namespace kov::ui
