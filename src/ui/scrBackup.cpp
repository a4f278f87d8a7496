#include "ui/scrBackup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "delivery/untBackup.h"
#include "platform/Interacao.h"
#include "ui/AncestralDRU.h"
#include "ui/Ajuda.h"
#include "ui/Formulario.h"
#include "ui/frmSetDeclaracao.h"

namespace kov::ui {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QLabel* texto(const QString& t, QWidget* pai, const char* nome = nullptr) {
    auto* l = new QLabel(t, pai);
    l->setWordWrap(true);
    if (nome) l->setObjectName(QString::fromLatin1(nome));
    return l;
}

QPushButton* botaoAjuda(QWidget* pai, QWidget* tela) {
    auto* b = new QPushButton(QStringLiteral("&Ajuda"), pai);
    b->setObjectName(QStringLiteral("btnAjuda"));
    b->setIcon(b->style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    QObject::connect(b, &QPushButton::clicked, tela, [tela] { PressionarF1(tela); });
    return b;
}

// Linha de botões no pé de uma página.
QHBoxLayout* linhaBotoes(std::initializer_list<QWidget*> botoes) {
    auto* h = new QHBoxLayout;
    h->addStretch(1);
    for (QWidget* b : botoes) h->addWidget(b);
    return h;
}

}  // namespace

TscrBackup::TscrBackup(Tdm& dm, int modo, QWidget* pai)
    : TscrPdrBasica(pai), dm_(dm), modo_(modo), backup_(std::make_unique<TBackup>(dm, dm.ui())) {
    setObjectName(QStringLiteral("scrBackup"));
    DefinirContextoAjuda(this, ContextoAjuda::Backup);
    acFazRestore->setText(QStringLiteral("&Executar"));
    acFazRestore->setToolTip(QStringLiteral("Executar a restauração"));
    selecionar = [this](QWidget* p) {
        TscrUntSetDeclaracao escolha(dm_, ModoSelecao::Copia, p);
        return escolha.SelecionaDeclaracoes();
    };
    escolherArquivo = [](QWidget* p, const QString& pasta) {
        return QFileDialog::getOpenFileName(p, QString(), pasta, QStringLiteral("Arquivos de Backup KOV (*.zip *.ZIP)"));
    };
    encerrarAplicacao = [] { QCoreApplication::exit(0); };
    montar();

    connect(acTipoBackup, &QAction::triggered, this, &TscrBackup::continuar);
    connect(acVoltar, &QAction::triggered, this, [this] { paginas_->setCurrentIndex(PaginaTipo); });
    connect(acSelecionar, &QAction::triggered, this, &TscrBackup::selecionarDeclaracoes);
    connect(acFazBackup, &QAction::triggered, this, &TscrBackup::iniciarCopiaDeclaracoes);
    connect(acBackupFile, &QAction::triggered, this, &TscrBackup::localizarArquivo);
    connect(acFazRestore, &QAction::triggered, this, &TscrBackup::executarRestauracao);
    connect(acConfirmaRestore, &QAction::triggered, this, &TscrBackup::iniciarRestauracaoDeclaracoes);

    if (modo_ == ModoCopia) {
        setWindowTitle(QStringLiteral("Cópia de segurança dos dados"));
        btnPasta->setText(QStringLiteral("Selecione o local para a cópia de segurança"));
        // 270 pixels, ou o que o texto pedir na fonte do sistema (nunca cortado)
        btnPasta->setMinimumWidth(270);
        btnPasta->show();
    } else {
        setWindowTitle(QStringLiteral("Restauração de cópia de segurança dos dados"));
        btnPasta->setMinimumWidth(400);
        btnPasta->hide();
    }
    paginas_->setCurrentIndex(PaginaTipo);
}

TscrBackup::~TscrBackup() = default;

void TscrBackup::Executar() { exec(); }

TscrBackup::Pagina TscrBackup::pagina() const { return static_cast<Pagina>(paginas_->currentIndex()); }

void TscrBackup::montar() {
    auto* aviso = texto(QStringLiteral("A cópia de segurança ou a restauração dos dados podem ser demoradas dependendo do "
                                       "equipamento utilizado. Após iniciar nunca interrompa o processo para evitar "
                                       "perda de dados!"),
                        corpo(), "lblAviso");
    aviso->setAutoFillBackground(true);
    QPalette pal = aviso->palette();
    pal.setColor(QPalette::Window, Qt::white);
    aviso->setPalette(pal);
    aviso->setMargin(10);

    paginas_ = new QStackedWidget(corpo());
    paginas_->setObjectName(QStringLiteral("pgcBackup"));
    paginas_->addWidget(paginaTipo());
    paginas_->addWidget(paginaSelecao());
    paginas_->addWidget(paginaArquivo());
    paginas_->addWidget(paginaRestauraDeclaracoes());

    pnlAguarde = texto(QStringLiteral("Aguarde, compactando arquivo de dados..."), corpo(), "pnlAguarde");
    pnlAguarde->setAlignment(Qt::AlignCenter);
    pnlAguarde->setFrameShape(QFrame::Box);
    pnlAguarde->hide();
    barraProgresso = new QProgressBar(corpo());
    barraProgresso->setObjectName(QStringLiteral("barraProgresso"));
    barraProgresso->setRange(0, 1000);
    barraProgresso->setTextVisible(false);
    barraProgresso->hide();

    auto* lay = new QVBoxLayout(corpo());
    lay->addWidget(aviso);
    lay->addWidget(paginas_, 1);
    lay->addWidget(pnlAguarde);
    lay->addWidget(barraProgresso);
    resize(620, 420);
}

QWidget* TscrBackup::paginaTipo() {
    auto* p = new QWidget;
    p->setObjectName(QStringLiteral("tsTipo"));
    auto* grupo = new QGroupBox(QStringLiteral("Tipo"), p);
    grupo->setObjectName(QStringLiteral("rgTipo"));
    rbDeclaracoes = new QRadioButton(QStringLiteral("Declarações (Declarações específicas selecionadas)"), grupo);
    rbDeclaracoes->setObjectName(QStringLiteral("rbDeclaracoes"));
    rbBanco = new QRadioButton(QStringLiteral("Banco de Dados (Todos os dados cadastrados)"), grupo);
    rbBanco->setObjectName(QStringLiteral("rbBanco"));
    rbDeclaracoes->setChecked(true);
    auto* g = new QVBoxLayout(grupo);
    g->addWidget(rbDeclaracoes);
    g->addWidget(rbBanco);
    btnPasta = new QPushButton(QStringLiteral("Selecione o local onde se encontra a cópia de segurança a ser restaurada"), p);
    btnPasta->setObjectName(QStringLiteral("btnPasta"));
    btnPasta->setIcon(btnPasta->style()->standardIcon(QStyle::SP_DirOpenIcon));
    connect(btnPasta, &QPushButton::clicked, this, &TscrBackup::escolherPasta);

    auto* lay = new QVBoxLayout(p);
    lay->addWidget(texto(QStringLiteral("Indique o tipo da cópia de segurança ou da restauração desejada"), p));
    lay->addWidget(grupo);
    lay->addWidget(btnPasta, 0, Qt::AlignLeft);
    lay->addStretch(1);
    lay->addLayout(linhaBotoes({BotaoDaAcao(p, acTipoBackup, "btnContinuar", QStyle::SP_ArrowForward),
                                BotaoDaAcao(p, AcFechar, "btnFechar", QStyle::SP_DialogCloseButton),
                                botaoAjuda(p, this)}));
    return p;
}

QWidget* TscrBackup::paginaSelecao() {
    auto* p = new QWidget;
    p->setObjectName(QStringLiteral("tsSelecao"));
    lstSelecionadas = new QListWidget(p);
    lstSelecionadas->setObjectName(QStringLiteral("lstSelecionadas"));
    QFont fixa(QStringLiteral("Monospace"));
    fixa.setStyleHint(QFont::TypeWriter);
    lstSelecionadas->setFont(fixa);
    lstSelecionadas->addItem(QStringLiteral("Nenhuma selecionada"));
    lblSelecionadas = texto(QStringLiteral("Declarações Selecionadas"), p, "lblSelecionadas");
    auto* btnSelecionar = BotaoDaAcao(p, acSelecionar, "btnSelecionar", QStyle::SP_FileDialogContentsView);
    acFazBackup->setEnabled(false);

    auto* lay = new QVBoxLayout(p);
    lay->addWidget(texto(QStringLiteral("Selecione as declarações a serem incluídas na cópia"), p));
    lay->addWidget(lblSelecionadas);
    lay->addWidget(lstSelecionadas, 1);
    lay->addLayout(linhaBotoes({BotaoDaAcao(p, acVoltar, "btnVoltar", QStyle::SP_ArrowBack),
                                BotaoDaAcao(p, acFazBackup, "btnIniciar", QStyle::SP_DialogApplyButton), btnSelecionar,
                                BotaoDaAcao(p, AcFechar, "btnFechar", QStyle::SP_DialogCloseButton),
                                botaoAjuda(p, this)}));
    return p;
}

QWidget* TscrBackup::paginaArquivo() {
    auto* p = new QWidget;
    p->setObjectName(QStringLiteral("tsArquivo"));
    edtArquivo = new QLineEdit(p);
    edtArquivo->setObjectName(QStringLiteral("edtArquivo"));
    auto* btnLocalizar = BotaoDaAcao(p, acBackupFile, "btnLocalizar", QStyle::SP_DirOpenIcon);
    btnLocalizar->setMaximumWidth(48);
    auto* linha = new QHBoxLayout;
    linha->addWidget(edtArquivo, 1);
    linha->addWidget(btnLocalizar);

    auto* lay = new QVBoxLayout(p);
    lay->addWidget(texto(QStringLiteral("Escolha o caminho e o nome do arquivo onde foi gerada a cópia"), p));
    lay->addWidget(texto(QStringLiteral("Arquivo de cópia de segurança"), p));
    lay->addLayout(linha);
    lay->addStretch(1);
    lay->addLayout(linhaBotoes({BotaoDaAcao(p, acVoltar, "btnVoltar", QStyle::SP_ArrowBack),
                                BotaoDaAcao(p, acFazRestore, "btnExecutar", QStyle::SP_DialogApplyButton),
                                BotaoDaAcao(p, AcFechar, "btnFechar", QStyle::SP_DialogCloseButton),
                                botaoAjuda(p, this)}));
    return p;
}

QWidget* TscrBackup::paginaRestauraDeclaracoes() {
    auto* p = new QWidget;
    p->setObjectName(QStringLiteral("tsRestauraDeclaracoes"));
    lstRestaurar = new QListWidget(p);
    lstRestaurar->setObjectName(QStringLiteral("lstRestaurar"));
    chkTodas = new QCheckBox(QStringLiteral("Selecionar Todas"), p);
    chkTodas->setObjectName(QStringLiteral("chkTodas"));
    connect(chkTodas, &QCheckBox::toggled, this, [this](bool marcar) {
        for (int i = 0; i < lstRestaurar->count(); ++i)
            lstRestaurar->item(i)->setCheckState(marcar ? Qt::Checked : Qt::Unchecked);
    });

    auto* lay = new QVBoxLayout(p);
    lay->addWidget(texto(QStringLiteral("Declarações contidas na cópia de segurança"), p));
    lay->addWidget(texto(QStringLiteral("Selecione as declarações a serem restauradas para o seu computador"), p));
    lay->addWidget(lstRestaurar, 1);
    lay->addWidget(chkTodas);
    lay->addLayout(linhaBotoes({BotaoDaAcao(p, acVoltar, "btnVoltar", QStyle::SP_ArrowBack),
                                BotaoDaAcao(p, acConfirmaRestore, "btnIniciar", QStyle::SP_DialogApplyButton),
                                BotaoDaAcao(p, AcFechar, "btnFechar", QStyle::SP_DialogCloseButton),
                                botaoAjuda(p, this)}));
    return p;
}

template <class F>
void TscrBackup::comAndamento(F f) {
    barraProgresso->setValue(0);
    barraProgresso->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        f();
    } catch (const Abortar&) {
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        barraProgresso->hide();
        dm_.ui().erro(e.what());
        return;
    }
    QApplication::restoreOverrideCursor();
    barraProgresso->hide();
}

void TscrBackup::escolherPasta() {
    const std::string padrao = PastaBackupPadrao(dm_.diretorioPrograma());
    std::error_code ec;
    std::filesystem::create_directories(padrao, ec);
    const std::string escolhida = dm_.ui().escolherPasta({}, padrao);
    pastaBackup_ = IncluirBarra(escolhida.empty() ? padrao : escolhida);
}

void TscrBackup::continuar() {
    if (pastaBackup_.empty()) pastaBackup_ = PastaBackupPadrao(dm_.diretorioPrograma());
    std::error_code ec;
    std::filesystem::create_directories(pastaBackup_, ec);
    if (!std::filesystem::is_directory(pastaBackup_, ec)) {
        dm_.ui().erro("Não foi possível criar o diretório de backup");
        return;
    }
    const bool banco = rbBanco->isChecked();
    if (modo_ == ModoCopia) {
        if (!banco) {
            paginas_->setCurrentIndex(PaginaSelecao);
            return;
        }
        pnlAguarde->show();
        comAndamento([this] { backup_->GerarBackupBase(pastaBackup_); });
        pnlAguarde->hide();
        return;
    }
    if (banco) {
        paginas_->setCurrentIndex(PaginaArquivo);
        return;
    }
    abrirCopiaDeclaracoes();
}

void TscrBackup::abrirCopiaDeclaracoes() {
    lstRestaurar->clear();
    chkTodas->setChecked(false);
    // A pasta das cópias (no Linux "Backup" e "backup" seriam pastas diferentes)
    const QString arquivo = escolherArquivo(this, q(pastaBackup_));
    if (arquivo.isEmpty()) return;  // cancelado: a tela fica na página do tipo
    bool abriu = false;
    comAndamento([&] {
        for (const auto& nome : backup_->AbrirBackupDeclaracoes(arquivo.toStdString())) {
            auto* item = new QListWidgetItem(q(nome), lstRestaurar);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        abriu = true;
    });
    if (abriu) paginas_->setCurrentIndex(PaginaRestauraDeclaracoes);
}

void TscrBackup::selecionarDeclaracoes() {
    try {
        if (auto chaves = selecionar(this)) escolhidas_ = *chaves;
    } catch (const std::exception& e) {
        dm_.ui().erro(e.what());
    }
    lstSelecionadas->clear();
    for (const auto& k : escolhidas_) lstSelecionadas->addItem(q(LinhaPaginaBackup(k)));
    if (escolhidas_.empty()) lstSelecionadas->addItem(QStringLiteral("Nenhuma selecionada"));
    lblSelecionadas->setText(QStringLiteral("Declarações Selecionadas [%1]").arg(escolhidas_.size()));
    acFazBackup->setEnabled(!escolhidas_.empty());
}

void TscrBackup::iniciarCopiaDeclaracoes() {
    comAndamento([this] { backup_->GerarBackupDeclaracoes(escolhidas_, pastaBackup_); });
}

void TscrBackup::localizarArquivo() {
    const QString arquivo = escolherArquivo(this, pastaDialogo_.isEmpty() ? q(pastaBackup_) : pastaDialogo_);
    if (arquivo.isEmpty()) return;
    edtArquivo->setText(arquivo);
    pastaDialogo_ = QFileInfo(arquivo).absolutePath();
}

void TscrBackup::executarRestauracao() {
    const std::string arquivo = edtArquivo->text().trimmed().toStdString();
    if (arquivo.empty() || !std::filesystem::is_regular_file(arquivo)) {
        dm_.ui().erro("Arquivo de cópia de segurança não encontrado: " + arquivo);
        return;
    }
    FimRestauracao fim = FimRestauracao::NaoRestaurada;
    comAndamento([&] { fim = backup_->ExecutarRestauracao(arquivo); });
    if (fim == FimRestauracao::NaoRestaurada) return;
    // A base restaurada só é usada no próximo início do programa
    close();
    encerrarAplicacao();
}

void TscrBackup::iniciarRestauracaoDeclaracoes() {
    std::vector<std::pair<int, std::string>> marcados;
    for (int i = 0; i < lstRestaurar->count(); ++i)
        if (lstRestaurar->item(i)->checkState() == Qt::Checked)
            marcados.emplace_back(i + 1, lstRestaurar->item(i)->text().toStdString());
    comAndamento([&] { backup_->RestaurarDeclaracoes(marcados); });
}

void TscrBackup::closeEvent(QCloseEvent* e) {
    try {
        backup_->LimparRestauracaoDeclaracoes();
    } catch (const std::exception& ex) {
        dm_.ui().erro(ex.what());
    }
    TscrPdrBasica::closeEvent(e);
}

}  // namespace kov::ui
