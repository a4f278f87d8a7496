#include "ui/frmPrincipal.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "platform/Interacao.h"
#include "ui/Ajuda.h"
#include "ui/Aplicacao.h"
#include "ui/CaixaMensagem.h"
#include "ui/Eventos.h"
#include "ui/Parametros.h"
#include "ui/QuadroMensagens.h"
#include "ui/frmFiltros.h"
#include "ui/frmCaptura.h"
#include "ui/frmEntrega.h"
#include "ui/frmHistorico.h"
#include "ui/frmVContribuintes.h"
#include "ui/frmVDocumentos.h"
#include "ui/frmVResponsaveis.h"
#include "ui/scrBackup.h"
#include "delivery/untBackup.h"

namespace kov::ui {

namespace {

const char* const TextoVersaoTeste = "* * *  V e r s ã o  d e  T e s t e  * * *";

QString q(const std::string& s) { return QString::fromStdString(s); }

// Abre uma lista de cadastro modal; a falha ao ler a lista é mostrada e nada abre.
template <class Lista>
void abrirLista(Tdm& dm, QWidget* dona) {
    std::unique_ptr<Lista> tela;
    try {
        tela = std::make_unique<Lista>(dm, dona);
    } catch (const std::exception& ex) {
        dm.ui().erro(ex.what());
        return;
    }
    tela->exec();
}

}  // namespace

TFormPrincipal::TFormPrincipal(Tdm& dm, QWidget* pai)
    : QMainWindow(pai), dm_(dm), relogio_([] { return QDateTime::currentDateTime(); }) {
    setObjectName(QStringLiteral("FormPrincipal"));
    DefinirContextoAjuda(this, ContextoAjuda::Principal);
    setWindowTitle(q(TituloSistema(dm_.ConfigApp)));

    // F1 em qualquer janela do programa abre a ajuda da janela ativa.
    filtroAjuda_ = new FiltroAjuda(dm_.ui(), IncluirBarra(dm_.diretorioPrograma()), this);
    qApp->installEventFilter(filtroAjuda_);

    criarMenus();
    criarBarraBotoes();
    criarPainel();

    lblPainelCaminho_ = new QLabel(QStringLiteral("Caminho Banco"), this);
    lblPainelCaminho_->setObjectName(QStringLiteral("lblPainelCaminho"));
    lblPainelCaminho_->setMinimumWidth(110);
    lblPainelBanco_ = new QLabel(this);
    lblPainelBanco_->setObjectName(QStringLiteral("lblPainelBanco"));
    statusBar()->addWidget(lblPainelCaminho_);
    statusBar()->addWidget(lblPainelBanco_, 1);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("timerRelogio"));
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &TFormPrincipal::atualizarRelogio);
    timer_->start();
    atualizarRelogio();

    // Tamanho normal: a área útil da tela. Sem gerenciador de janelas o pedido de maximizar
    // não tem efeito, e a janela ocupa a tela assim mesmo.
    if (QScreen* tela = screen()) setGeometry(tela->availableGeometry());
}

TFormPrincipal::~TFormPrincipal() = default;

void TFormPrincipal::definirRelogio(std::function<QDateTime()> relogio) {
    relogio_ = std::move(relogio);
    atualizarRelogio();
}

QAction* TFormPrincipal::criarAcao(const char* nome, const QString& texto, const QString& dica, bool habilitada) {
    auto* a = new QAction(texto, this);
    a->setObjectName(QString::fromLatin1(nome));
    if (!dica.isEmpty()) {
        a->setStatusTip(dica);
        a->setToolTip(dica);
    }
    // Comandos cujas telas ainda não fazem parte do programa ficam visíveis e desabilitados.
    a->setEnabled(habilitada);
    return a;
}

void TFormPrincipal::abrirRelatorios() {
    TFormFiltros* tela = nullptr;
    try {
        tela = new TFormFiltros(dm_, this);
    } catch (const std::exception& ex) {
        dm_.ui().erro(ex.what());
        return;
    }
    tela->exec();  // destruída ao fechar
}

void TFormPrincipal::criarMenus() {
    actCadastroContribuintes = criarAcao("actCadastroContribuintes", QStringLiteral("&Contribuintes"),
                                         QStringLiteral("Cadastro de Contribuintes"), true);
    actCadastroDocumentos = criarAcao("actCadastroDocumentos", QStringLiteral("&Documentos"),
                                      QStringLiteral("Cadastro de Documentos"), true);
    actCadastroResponsaveis = criarAcao("actCadastroResponsaveis", QStringLiteral("Responsáveis"),
                                        QStringLiteral("Cadastro de Responsáveis"), true);
    actSair = criarAcao("actSair", QStringLiteral("&Sair"), QStringLiteral("Sair"), true);
    actSair->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    actTransmissao = criarAcao("actTransmissao", QStringLiteral("&Transmissão via Internet"),
                               QStringLiteral("Transmite via Internet"), true);
    actGravaDisquete = criarAcao("actGravaDisquete", QStringLiteral("&Gravação em Mídia Eletrônica"),
                                 QStringLiteral("Gravação em Mídia Eletrônica"), true);
    actCaptura = criarAcao("actCaptura", QStringLiteral("Capturar Protocolo"), {}, true);
    actBackup = criarAcao("actBackup", QStringLiteral("&Cópia de Segurança"), QStringLiteral("Gera cópia de segurança"),
                          true);
    actRestore = criarAcao("actRestore", QStringLiteral("&Restauração"), QStringLiteral("Restaura cópia de segurança"),
                           true);
    actParametros = criarAcao("actParametros", QStringLiteral("&Parâmetros"), QStringLiteral("Parâmetros do Sistema"),
                              true);
    actRelatorios = criarAcao("actRelatorios", QStringLiteral("Relatórios"), {}, true);
    actPrintReciboComputador = criarAcao("actPrintReciboComputador", QStringLiteral("do &Computador"), {}, true);
    actPrintReciboDisquete = criarAcao("actPrintReciboDisquete", QStringLiteral("do &Disquete"), {}, true);
    actAjuda = criarAcao("actAjuda", QStringLiteral("&Conteúdo"), QStringLiteral("Ajuda"), true);
    actSobre = criarAcao("mnuSobre", QStringLiteral("Sobre"), {}, true);

    connect(actCadastroContribuintes, &QAction::triggered, this,
            [this] { abrirLista<TFormVisaoContribuintes>(dm_, this); });
    connect(actCadastroResponsaveis, &QAction::triggered, this,
            [this] { abrirLista<TFormVisaoResponsaveis>(dm_, this); });
    connect(actCadastroDocumentos, &QAction::triggered, this, [this] { abrirLista<TFormVisaoDocumentos>(dm_, this); });
    connect(actRelatorios, &QAction::triggered, this, &TFormPrincipal::abrirRelatorios);
    connect(actTransmissao, &QAction::triggered, this, [this] { AbrirTelaEntrega(dm_, ModoEntrega::Transmissao, this); });
    connect(actGravaDisquete, &QAction::triggered, this, [this] { AbrirTelaEntrega(dm_, ModoEntrega::Gravacao, this); });
    connect(actCaptura, &QAction::triggered, this, [this] { AbrirTelaProtocolos(dm_, ModoCaptura::Captura, this); });
    connect(actPrintReciboDisquete, &QAction::triggered, this,
            [this] { AbrirTelaProtocolos(dm_, ModoCaptura::Recibo, this); });
    connect(actPrintReciboComputador, &QAction::triggered, this, [this] { AbrirEscolhaRecibo(dm_, this); });
    connect(actSair, &QAction::triggered, this, &TFormPrincipal::sair);
    connect(actBackup, &QAction::triggered, this, [this] { abrirBackup(TscrBackup::ModoCopia); });
    connect(actRestore, &QAction::triggered, this, [this] { abrirBackup(TscrBackup::ModoRestauracao); });
    connect(actParametros, &QAction::triggered, this, &TFormPrincipal::abrirParametros);
    connect(actAjuda, &QAction::triggered, this, &TFormPrincipal::abrirAjuda);
    connect(actSobre, &QAction::triggered, this, &TFormPrincipal::mostrarSobre);

    QMenuBar* barra = menuBar();
    QMenu* cadastro = barra->addMenu(QStringLiteral("&Cadastro"));
    cadastro->setObjectName(QStringLiteral("mnuCadastro"));
    cadastro->addAction(actCadastroContribuintes);
    cadastro->addAction(actCadastroDocumentos);
    cadastro->addAction(actCadastroResponsaveis);
    cadastro->addSeparator();
    cadastro->addAction(actSair);

    QMenu* entrega = barra->addMenu(QStringLiteral("&Entrega"));
    entrega->setObjectName(QStringLiteral("mnuEntrega"));
    entrega->addAction(actTransmissao);
    entrega->addAction(actGravaDisquete);
    entrega->addSeparator();
    entrega->addAction(actCaptura);

    QMenu* utilitarios = barra->addMenu(QStringLiteral("&Utilitarios"));
    utilitarios->setObjectName(QStringLiteral("mnuUtilitarios"));
    utilitarios->addAction(actBackup);
    utilitarios->addAction(actRestore);
    utilitarios->addSeparator();
    utilitarios->addAction(actParametros);

    QMenu* impressoes = barra->addMenu(QStringLiteral("Impressões"));
    impressoes->setObjectName(QStringLiteral("mnuImpressoes"));
    impressoes->addAction(actRelatorios);
    QMenu* recibo = impressoes->addMenu(QStringLiteral("&Recibo de Entrega"));
    recibo->setObjectName(QStringLiteral("mnuReciboEntrega"));
    recibo->addAction(actPrintReciboComputador);
    recibo->addAction(actPrintReciboDisquete);

    QMenu* ajuda = barra->addMenu(QStringLiteral("&Ajuda"));
    ajuda->setObjectName(QStringLiteral("mnuAjuda"));
    ajuda->addAction(actAjuda);
    ajuda->addSeparator();
    ajuda->addAction(actSobre);
}

QToolButton* TFormPrincipal::criarBotao(const char* nome, QAction* acao, const QString& legenda, const char* figura,
                                        int iconePadrao) {
    auto* b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(nome));
    b->setText(legenda);
    // Figura da pasta "botoes" do programa; sem ela, o ícone padrão do estilo.
    const QString arquivo =
        q(IncluirBarra(dm_.diretorioPrograma())) + QStringLiteral("botoes/") + QString::fromLatin1(figura);
    QIcon icone(arquivo);
    if (!QFileInfo(arquivo).isFile()) icone = style()->standardIcon(static_cast<QStyle::StandardPixmap>(iconePadrao));
    b->setIcon(icone);
    b->setToolTip(acao->toolTip());
    b->setStatusTip(acao->statusTip());
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setMinimumWidth(92);
    b->setEnabled(acao->isEnabled());
    connect(acao, &QAction::enabledChanged, b, &QWidget::setEnabled);
    connect(b, &QToolButton::clicked, acao, &QAction::trigger);
    return b;
}

void TFormPrincipal::criarBarraBotoes() {
    QToolBar* barra = addToolBar(QStringLiteral("Botões"));
    barra->setObjectName(QStringLiteral("barraBotoes"));
    barra->setMovable(false);
    barra->setFloatable(false);
    barra->toggleViewAction()->setEnabled(false);
    barra->setIconSize(QSize(32, 32));
    barra->addWidget(criarBotao("btnResponsaveis", actCadastroResponsaveis, QStringLiteral("Responsáveis"),
                                "responsaveis.png", QStyle::SP_FileDialogDetailedView));
    barra->addWidget(criarBotao("btnContribuintes", actCadastroContribuintes, QStringLiteral("Contribuintes"),
                                "contribuintes.png", QStyle::SP_DirHomeIcon));
    barra->addWidget(criarBotao("btnDocumentos", actCadastroDocumentos, QStringLiteral("Documentos"),
                                "documentos.png", QStyle::SP_FileIcon));
    barra->addSeparator();
    barra->addWidget(criarBotao("btnBackup", actBackup, QStringLiteral("Cópia Segurança"), "backup.png",
                                QStyle::SP_DialogSaveButton));
    barra->addWidget(criarBotao("btnRestore", actRestore, QStringLiteral("Restauração"), "restauracao.png",
                                QStyle::SP_BrowserReload));
    barra->addSeparator();
    barra->addWidget(criarBotao("btnTransmissao", actTransmissao, QStringLiteral("Transmissão"), "transmissao.png",
                                QStyle::SP_DriveNetIcon));
    barra->addWidget(criarBotao("btnGravacao", actGravaDisquete, QStringLiteral("Gravação"), "gravacao.png",
                                QStyle::SP_DriveFDIcon));
    barra->addSeparator();
    barra->addWidget(
        criarBotao("btnSair", actSair, QStringLiteral("Sair"), "sair.png", QStyle::SP_DialogCloseButton));
}

void TFormPrincipal::criarPainel() {
    const QString dir = q(IncluirBarra(dm_.diretorioPrograma()));
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("painelCentral"));
    auto* linha = new QHBoxLayout(central);
    linha->setContentsMargins(0, 0, 0, 0);
    linha->setSpacing(0);

    // Painel à esquerda: logotipo, sigla, versão e ano base.
    auto* lateral = new QWidget(central);
    lateral->setObjectName(QStringLiteral("painelLateral"));
    lateral->setAttribute(Qt::WA_StyledBackground);
    lateral->setFixedWidth(220);
    lateral->setStyleSheet(QStringLiteral(
        "#painelLateral { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #1d3557, stop:1 #2f5d8a); }"
        "#painelLateral QLabel { color: white; }"));
    auto* col = new QVBoxLayout(lateral);
    col->setContentsMargins(18, 24, 18, 18);
    col->setSpacing(6);

    auto* lblLogo = new QLabel(lateral);
    lblLogo->setObjectName(QStringLiteral("lblLogo"));
    const QPixmap logo(dir + QStringLiteral("Logo.png"));
    if (!logo.isNull()) lblLogo->setPixmap(logo);
    lblLogo->setAlignment(Qt::AlignHCenter);
    col->addWidget(lblLogo);
    col->addSpacing(8);

    lblSigla_ = new QLabel(QStringLiteral("KOV"), lateral);
    lblSigla_->setObjectName(QStringLiteral("lblSigla"));
    QFont fs(QStringLiteral("Arial"), 30, QFont::Bold);
    fs.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    lblSigla_->setFont(fs);
    lblSigla_->setAlignment(Qt::AlignHCenter);
    col->addWidget(lblSigla_);

    auto* lblNome = new QLabel(QStringLiteral("Declaração anual PRELO"), lateral);
    lblNome->setObjectName(QStringLiteral("lblNome"));
    lblNome->setAlignment(Qt::AlignHCenter);
    lblNome->setFont(QFont(QStringLiteral("Arial"), 9));
    col->addWidget(lblNome);
    col->addSpacing(18);

    QFont fi(QStringLiteral("Arial"), 11, QFont::Bold);
    lblVersao_ = new QLabel(lateral);
    lblVersao_->setObjectName(QStringLiteral("lblVersao"));
    lblVersao_->setFont(fi);
    lblVersao_->setAlignment(Qt::AlignHCenter);
    col->addWidget(lblVersao_);
    lblAnoBase_ = new QLabel(QStringLiteral("Ano Base: "), lateral);
    lblAnoBase_->setObjectName(QStringLiteral("lblAnoBase"));
    lblAnoBase_->setFont(fi);
    lblAnoBase_->setAlignment(Qt::AlignHCenter);
    col->addWidget(lblAnoBase_);
    col->addStretch(1);
    linha->addWidget(lateral);

    quadro_ = new QuadroMensagens(central);
    const QPixmap cabecalho(dir + QStringLiteral("Cabecalho.png"));
    if (!cabecalho.isNull()) quadro_->definirCabecalho(cabecalho);

    lblVersaoTeste_ = new QLabel(q(TextoVersaoTeste));
    lblVersaoTeste_->setObjectName(QStringLiteral("lblVersaoTeste"));
    QFont ft(QStringLiteral("Arial"), 12, QFont::Bold);
    ft.setUnderline(true);
    lblVersaoTeste_->setFont(ft);
    QPalette pt = lblVersaoTeste_->palette();
    pt.setColor(QPalette::WindowText, Qt::red);
    lblVersaoTeste_->setPalette(pt);
    lblVersaoTeste_->setVisible(dm_.ConfigApp.VersaoTeste);

    lblRelogio_ = new QLabel;
    lblRelogio_->setObjectName(QStringLiteral("lblRelogio"));
    lblRelogio_->setFont(QFont(QStringLiteral("Arial"), 10));
    QPalette pr = lblRelogio_->palette();
    pr.setColor(QPalette::WindowText, QColor(0x1d, 0x35, 0x57));
    lblRelogio_->setPalette(pr);
    quadro_->definirRotulos(lblVersaoTeste_, lblRelogio_);
    linha->addWidget(quadro_, 1);
    setCentralWidget(central);

    lblVersao_->setText(QStringLiteral("Versão: ") + q(VersaoSistema(dm_.ConfigApp)));
    lblAnoBase_->setText(QStringLiteral("Ano Base: ") + lerAnoBase());
}

QString TFormPrincipal::lerAnoBase() {
    // Sem conexão (base não aberta na partida) o rótulo fica só com o título.
    if (!dm_.conectado()) return {};
    try {
        return q(dm_.LerParametro("ANOEXERCICIO"));
    } catch (const std::exception&) {
        return {};
    }
}

std::string TFormPrincipal::pastaTemporaria() const { return IncluirBarra(dm_.diretorioPrograma()) + "temp/"; }

void TFormPrincipal::atualizarAnoBase() { lblAnoBase_->setText(QStringLiteral("Ano Base: ") + lerAnoBase()); }

void TFormPrincipal::atualizarRelogio() {
    const QDateTime agora = relogio_();
    lblRelogio_->setText(QStringLiteral("Data e hora do seu computador: ") + agora.toString(FormatoData) +
                         QLatin1Char(' ') + agora.toString(FormatoHora));
    lblPainelBanco_->setText(q(dm_.caminhoBanco()));
}

void TFormPrincipal::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    lblVersaoTeste_->setVisible(dm_.ConfigApp.VersaoTeste);
    if (mostrada_) return;
    mostrada_ = true;
    setWindowTitle(q(TituloSistema(dm_.ConfigApp)));
    lblVersao_->setText(QStringLiteral("Versão: ") + q(VersaoSistema(dm_.ConfigApp)));
    if (!(windowState() & Qt::WindowMaximized)) setWindowState(windowState() | Qt::WindowMaximized);
    atualizarAnoBase();
    montarQuadro();
}

void TFormPrincipal::montarQuadro() {
    const QString dir = q(IncluirBarra(dm_.diretorioPrograma()));
    const auto avisos = LerAvisos(dir + QStringLiteral("Msgs.dat"));
    if (avisos.empty()) return;
    QPixmap ativo, inativo;
    for (const auto& a : avisos) {
        QPixmap& figura = a.ativo ? ativo : inativo;
        if (!figura.isNull()) continue;
        const QString arquivo = dir + (a.ativo ? QStringLiteral("Item.bmp") : QStringLiteral("ItemDisable.bmp"));
        if (!figura.load(arquivo)) {
            dm_.ui().erro("Não foi possível abrir o arquivo \"" + arquivo.toStdString() + "\".");
            return;
        }
    }
    quadro_->montar(avisos, ativo, inativo);
}

bool TFormPrincipal::event(QEvent* e) {
    if (e->type() == EventoAtualizarAnoBase) {
        atualizarAnoBase();
        return true;
    }
    // Ao fechar, a cópia automática da base quando a mais nova já passou dos dias do KOV.ini;
    // uma falha é dita e o programa fecha assim mesmo
    if (e->type() == QEvent::Close && dm_.conectado()) {
        dm_.ui().mostrarStatus("Gerando cópia de segurança automática da base");
        TBackup(dm_, dm_.ui()).BackupAutomatico();
        dm_.ui().limparStatus();
    }
    return QMainWindow::event(e);
}

void TFormPrincipal::sair() {
    if (!dm_.ConfigApp.VersaoTeste && !dm_.ui().pergunta("Confirme", "Deseja sair do sistema ?")) return;
    try {
        ApagarArquivosDiretorio(pastaTemporaria());
    } catch (const std::exception& ex) {
        dm_.ui().erro(ex.what());
    }
    close();
}

void TFormPrincipal::abrirBackup(int modo) {
    // A tela é destruída ao fechar
    auto* tela = new TscrBackup(dm_, modo, this);
    tela->Executar();
}

void TFormPrincipal::abrirParametros() {
    std::unique_ptr<TfrmParametros> tela;
    try {
        tela = std::make_unique<TfrmParametros>(dm_, this);
    } catch (const std::exception& ex) {
        dm_.ui().erro(ex.what());
        return;
    }
    tela->exec();
}

void TFormPrincipal::abrirAjuda() {
    QWidget* ativa = QApplication::activeWindow();
    filtroAjuda_->abrirAjuda(ativa ? ativa : this);
}

void TFormPrincipal::mostrarSobre() {
    QMessageBox caixa(this);
    caixa.setObjectName(QStringLiteral("caixaSobre"));
    caixa.setWindowTitle(QStringLiteral("Sobre"));
    const QPixmap logo(q(IncluirBarra(dm_.diretorioPrograma())) + QStringLiteral("Logo.png"));
    if (!logo.isNull()) caixa.setIconPixmap(logo.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    caixa.setTextFormat(Qt::PlainText);
    caixa.setText(q(dm_.ConfigApp.NomeSistema) + QStringLiteral(" - ") + q(dm_.ConfigApp.SiglaSistema) +
                  QStringLiteral("\n\nVersão: ") + q(VersaoSistema(dm_.ConfigApp)));
    caixa.setStandardButtons(QMessageBox::Ok);
    TraduzirCaixa(caixa);
    caixa.exec();
}

}  // namespace kov::ui
