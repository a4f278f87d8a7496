#include "ui/AncestralDRU.h"
#include "ui/Teclado.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QChildEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/Cadastros.h"
#include "data/Edicao.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "ui/Controles.h"

namespace kov::ui {

namespace {

const char* const MSG_SEM_TABELA = "A tabela principal da tela não foi preenchida";
const char* const MSG_LEMBRETE =
    "É muito importante atualizar o banco de dados para evitar perda de informações.\r\n"
    "Já se passaram pelo menos 10 minutos desde a última vez que os dados foram atualizados no banco.\r\n"
    "Deseja gravar todas as alterações agora?";

QString q(const std::string& s) { return QString::fromStdString(s); }

// Último dos nomes listados na propriedade "campo".
std::string nomeListado(const QWidget* w) {
    const QString lista = w->property(PropriedadeCampo).toString();
    return lista.section(QLatin1Char(';'), -1).trimmed().toStdString();
}

int tagDe(const QWidget* w) { return w->property(PropriedadeTag).toInt(); }

// Propriedade do somente leitura que o estado do conjunto põe e tira.
const char* const SomenteLeituraEstado = "somenteLeituraEstado";
// A que a tela põe nos seus próprios controles.
const char* const SomenteLeituraTela = "somenteLeituraTela";

// Caixas de marcar gravam estes valores no campo, salvo outros nas propriedades.
QString valorMarcado(const QCheckBox* c) {
    const QVariant v = c->property("valorMarcado");
    return v.isValid() ? v.toString() : QStringLiteral("S");
}
QString valorDesmarcado(const QCheckBox* c) {
    const QVariant v = c->property("valorDesmarcado");
    return v.isValid() ? v.toString() : QStringLiteral("N");
}

// Controles de escolha: não ficam somente leitura pelo Qt; a tela recusa a entrada.
bool controleDeEscolha(const QWidget* w) {
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const GrupoOpcoes*>(w);
}

// Teclas que não mudam a escolha: andar pela tela, fechar, ajuda.
bool teclaDeNavegacao(const QKeyEvent* k) {
    switch (k->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_F1: return true;
        default: return false;
    }
}

// Executa 'f' com o cursor normal, devolvendo depois os cursores de espera que havia.
template <class F>
auto semEspera(F&& f) {
    struct Volta {
        int n = 0;
        ~Volta() {
            while (n-- > 0) QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    } volta;
    while (QApplication::overrideCursor()) {
        QApplication::restoreOverrideCursor();
        ++volta.n;
    }
    return f();
}

}  // namespace

void LigarCampo(QWidget* controle, const char* campo, bool tag30) {
    controle->setProperty(PropriedadeCampo, QString::fromLatin1(campo));
    if (tag30) controle->setProperty(PropriedadeTag, TagSempreIgual);
}

void LigarCampoDe(QWidget* controle, const char* fonte, const char* campo, bool tag30) {
    controle->setProperty(PropriedadeFonte, QString::fromLatin1(fonte));
    LigarCampo(controle, campo, tag30);
}

void DefinirSomenteLeitura(QWidget* controle, bool somenteLeitura) {
    controle->setProperty(SomenteLeituraTela, somenteLeitura);
    if (auto* e = qobject_cast<QLineEdit*>(controle)) e->setReadOnly(somenteLeitura);
    else if (auto* m = qobject_cast<QPlainTextEdit*>(controle)) m->setReadOnly(somenteLeitura);
}

bool SomenteLeitura(const QWidget* controle) {
    // O botão de opção segue o grupo em que está
    auto marcado = [](const QWidget* w) {
        return w->property(SomenteLeituraTela).toBool() || w->property(SomenteLeituraEstado).toBool();
    };
    if (marcado(controle)) return true;
    const auto* grupo = qobject_cast<const GrupoOpcoes*>(controle->parentWidget());
    return grupo && marcado(grupo);
}

std::string CampoVinculado(const QWidget* controle, const ConjuntoDados& conjunto) {
    const std::string nome = nomeListado(controle);
    const Campo* c = conjunto.campo(nome);
    if (!c) return {};
    if (c->consulta()) {
        const QString chaves = q(c->chaves);
        return chaves.section(QLatin1Char(';'), -1).trimmed().toStdString();
    }
    if (c->calculado) return {};
    return nome;
}

CursorEspera::CursorEspera() { QApplication::setOverrideCursor(Qt::WaitCursor); }
CursorEspera::~CursorEspera() { QApplication::restoreOverrideCursor(); }

void InteracaoTela::mensagem(TipoMensagem tipo, const std::string& titulo, const std::string& texto) {
    semEspera([&] {
        base_.mensagem(tipo, titulo, texto);
        return 0;
    });
}

bool InteracaoTela::pergunta(const std::string& titulo, const std::string& texto) {
    return semEspera([&] { return base_.pergunta(titulo, texto); });
}

void InteracaoTela::erro(const std::string& texto) {
    semEspera([&] {
        base_.erro(texto);
        return 0;
    });
}

std::string InteracaoTela::escolherPasta(const std::string& titulo, const std::string& inicial) {
    return semEspera([&] { return base_.escolherPasta(titulo, inicial); });
}

void PressionarF1(QWidget* janela) {
    QWidget* alvo = janela->focusWidget() ? janela->focusWidget() : janela;
    QKeyEvent aperta(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(alvo, &aperta);
    QKeyEvent solta(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(alvo, &solta);
}

// --- Tela ------------------------------------------------------------------------------------

TfrmAncestral::TfrmAncestral(Tdm& dm, ConjuntoDados* conjunto, QWidget* pai)
    : QDialog(pai), dm_(dm), ui_(dm.ui()), conjunto_(conjunto) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    actdbAncestralIncluir =
        criarAcao("actdbAncestralIncluir", QStringLiteral("Incluir"), QStringLiteral("Insere novo registro"),
                  QStyle::SP_FileIcon);
    actdbAncestralEditar = criarAcao("actdbAncestralEditar", QStringLiteral("Editar"),
                                     QStringLiteral("Editar registro atual"), QStyle::SP_FileDialogContentsView);
    actdbAncestralGravar = criarAcao("actdbAncestralGravar", QStringLiteral("Gravar"),
                                     QStringLiteral("Salvar registro atual"), QStyle::SP_DialogSaveButton);
    actdbAncestralCancelar = criarAcao("actdbAncestralCancelar", QStringLiteral("Cancelar"), QStringLiteral("Cancela"),
                                       QStyle::SP_DialogCancelButton);
    actdbAncestralExcluir =
        criarAcao("actdbAncestralExcluir", QStringLiteral("Excluir"), QStringLiteral("Deleta"), QStyle::SP_TrashIcon);
    actdbAncestralAtualizar = criarAcao("actdbAncestralAtualizar", QStringLiteral("Atualizar"),
                                        QStringLiteral("Atualizar"), QStyle::SP_BrowserReload);
    actdbAncestralPrimeiro = criarAcao("actdbAncestralPrimeiro", QStringLiteral("Primeiro"),
                                       QStringLiteral("Primeiro"), QStyle::SP_MediaSkipBackward);
    actdbAncestralAnterior = criarAcao("actdbAncestralAnterior", QStringLiteral("Anterior"),
                                       QStringLiteral("Anterior"), QStyle::SP_MediaSeekBackward);
    actdbAncestralProximo = criarAcao("actdbAncestralProximo", QStringLiteral("Próximo"), QStringLiteral("Próximo"),
                                      QStyle::SP_MediaSeekForward);
    actdbAncestralUltimo = criarAcao("actdbAncestralUltimo", QStringLiteral("Último"), QStringLiteral("Último"),
                                     QStyle::SP_MediaSkipForward);
    actAncestralExportar = criarAcao("actAncestralExportar", QStringLiteral("Exportar"),
                                     QStringLiteral("Exportar para arquivo"), QStyle::SP_DriveHDIcon);
    actAncestralFechar =
        criarAcao("actAncestralFechar", QStringLiteral("Fechar"), QStringLiteral("Fechar"), QStyle::SP_DialogCloseButton);
    actAncestralAjuda =
        criarAcao("actAncestralAjuda", QStringLiteral("Ajuda"), QStringLiteral("Ajuda"), QStyle::SP_MessageBoxQuestion);

    connect(actdbAncestralIncluir, &QAction::triggered, this, &TfrmAncestral::incluir);
    connect(actdbAncestralEditar, &QAction::triggered, this, &TfrmAncestral::editar);
    connect(actdbAncestralGravar, &QAction::triggered, this, [this] { gravar(); });
    connect(actdbAncestralCancelar, &QAction::triggered, this, &TfrmAncestral::cancelar);
    connect(actdbAncestralExcluir, &QAction::triggered, this, &TfrmAncestral::excluir);
    connect(actdbAncestralAtualizar, &QAction::triggered, this, &TfrmAncestral::atualizar);
    connect(actdbAncestralPrimeiro, &QAction::triggered, this, &TfrmAncestral::primeiro);
    connect(actdbAncestralAnterior, &QAction::triggered, this, &TfrmAncestral::anterior);
    connect(actdbAncestralProximo, &QAction::triggered, this, &TfrmAncestral::proximo);
    connect(actdbAncestralUltimo, &QAction::triggered, this, &TfrmAncestral::ultimo);
    connect(actAncestralExportar, &QAction::triggered, this, &TfrmAncestral::exportar);
    connect(actAncestralFechar, &QAction::triggered, this, &TfrmAncestral::fechar);
    connect(actAncestralAjuda, &QAction::triggered, this, &TfrmAncestral::ajuda);

    barra_ = new QToolBar(this);
    barra_->setObjectName(QStringLiteral("barraComandos"));
    barra_->setIconSize(QSize(20, 20));
    barra_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    barra_->addAction(actdbAncestralIncluir);
    barra_->addAction(actdbAncestralEditar);
    barra_->addAction(actdbAncestralGravar);
    barra_->addAction(actdbAncestralCancelar);
    barra_->addAction(actdbAncestralExcluir);
    barra_->addSeparator();
    barra_->addAction(actdbAncestralPrimeiro);
    barra_->addAction(actdbAncestralAnterior);
    barra_->addAction(actdbAncestralProximo);
    barra_->addAction(actdbAncestralUltimo);
    barra_->addSeparator();
    barra_->addAction(actdbAncestralAtualizar);
    barra_->addAction(actAncestralExportar);
    // A barra não recebe o foco: ao abrir, o espaço digitado no primeiro campo não pode
    // acionar um botão dela (Gravar, Excluir...)
    for (auto* b : barra_->findChildren<QToolButton*>()) b->setFocusPolicy(Qt::NoFocus);

    corpo_ = new QWidget(this);
    corpo_->setObjectName(QStringLiteral("corpo"));

    auto botao = [this](const char* nome, const QString& texto, const QString& dica, QStyle::StandardPixmap icone) {
        auto* b = new QPushButton(style()->standardIcon(icone), texto, this);
        b->setObjectName(QString::fromLatin1(nome));
        b->setToolTip(dica);
        b->setStatusTip(dica);
        b->setAutoDefault(false);
        b->setMinimumWidth(96);
        return b;
    };
    btnGravar_ = botao("btnGravar", QStringLiteral("&Gravar"), QStringLiteral("Salvar registro atual"),
                       QStyle::SP_DialogSaveButton);
    btnCancelar_ = botao("btnCancelar", QStringLiteral("&Cancelar"), QStringLiteral("Cancela"),
                         QStyle::SP_DialogCancelButton);
    btnFechar_ = botao("btnFechar", QStringLiteral("&Fechar"), QStringLiteral("Fechar"), QStyle::SP_DialogCloseButton);
    btnAjuda_ = botao("btnAjuda", QStringLiteral("A&juda"), QStringLiteral("Ajuda"), QStyle::SP_MessageBoxQuestion);
    connect(btnGravar_, &QPushButton::clicked, this, &TfrmAncestral::gravarEFechar);
    connect(btnCancelar_, &QPushButton::clicked, this, &TfrmAncestral::cancelarEFechar);
    connect(btnFechar_, &QPushButton::clicked, this, &TfrmAncestral::fechar);
    connect(btnAjuda_, &QPushButton::clicked, this, &TfrmAncestral::ajuda);
    connect(actdbAncestralGravar, &QAction::enabledChanged, btnGravar_, &QWidget::setEnabled);

    auto linha = [this] {
        auto* f = new QFrame(this);
        f->setFrameShape(QFrame::HLine);
        f->setFrameShadow(QFrame::Sunken);
        return f;
    };
    auto* rodape = new QHBoxLayout;
    rodape->setSpacing(8);
    rodape->addStretch(1);
    rodape->addWidget(btnGravar_);
    rodape->addWidget(btnCancelar_);
    rodape->addWidget(btnFechar_);
    rodape->addWidget(btnAjuda_);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(12, 6, 12, 12);
    lay->setSpacing(8);
    lay->addWidget(barra_);
    lay->addWidget(linha());
    lay->addWidget(corpo_, 1);
    lay->addWidget(linha());
    lay->addLayout(rodape);

    lembrete_ = new QTimer(this);
    lembrete_->setObjectName(QStringLiteral("tmrLembrete"));
    lembrete_->setInterval(IntervaloLembrete);
    lembrete_->setSingleShot(true);
    connect(lembrete_, &QTimer::timeout, this, &TfrmAncestral::dispararLembrete);
}

TfrmAncestral::~TfrmAncestral() {
    for (const auto& [c, id] : observadores_) c->deixarDeObservar(id);
}

QAction* TfrmAncestral::criarAcao(const char* nome, const QString& texto, const QString& dica, int icone) {
    auto* a = new QAction(style()->standardIcon(static_cast<QStyle::StandardPixmap>(icone)), texto, this);
    a->setObjectName(QString::fromLatin1(nome));
    a->setToolTip(dica);
    a->setStatusTip(dica);
    addAction(a);
    return a;
}

void TfrmAncestral::definirIntervaloLembrete(int ms) { lembrete_->setInterval(ms); }

void TfrmAncestral::definirFonte(const std::string& nome, ConjuntoDados* conjunto) {
    for (auto& f : fontes_)
        if (f.first == nome) {
            f.second = conjunto;
            return;
        }
    fontes_.emplace_back(nome, conjunto);
}

ConjuntoDados* TfrmAncestral::conjuntoDe(const QWidget* controle) const {
    const QString fonte = controle->property(PropriedadeFonte).toString();
    if (fonte.isEmpty()) return conjunto_;
    for (const auto& [nome, c] : fontes_)
        if (fonte.toStdString() == nome) return c;
    return nullptr;
}

void TfrmAncestral::iniciarTela() {
    if (!conjunto_) throw ErroSistema(MSG_SEM_TABELA);
    // Aberto pela lista, o conjunto já está no registro novo ou no alterado: continua nele.
    conjunto_->abrir();
    observadores_.emplace_back(conjunto_, conjunto_->observar([this](MudancaConjunto m, const std::string&) {
        aoMudarConjunto(static_cast<int>(m), true);
    }));
    for (const auto& [nome, c] : fontes_) {
        if (!c || c == conjunto_) continue;
        c->abrir();
        observadores_.emplace_back(
            c, c->observar([this](MudancaConjunto m, const std::string&) { aoMudarConjunto(static_cast<int>(m), false); }));
    }
    ligarControles();
    aplicarSomenteLeitura();
    mostrarRegistro();
    atualizarComandos();
    estadoMudou();
    verificarLembrete();
}

void TfrmAncestral::instalarFiltro(QObject* o) {
    // Enter, Shift+Enter e Esc valem em todos os controles da tela, também nos criados
    // depois (os editores das células de uma grade, por exemplo)
    o->removeEventFilter(this);
    o->installEventFilter(this);
    for (QObject* filho : o->children())
        if (filho->isWidgetType()) instalarFiltro(filho);
}

void TfrmAncestral::ligarControles() {
    ligados_.clear();
    for (QObject* filho : children())
        if (filho->isWidgetType()) instalarFiltro(filho);
    for (QWidget* w : findChildren<QWidget*>())
        if (w->property(PropriedadeCampo).isValid()) ligar(w);
}

void TfrmAncestral::ligar(QWidget* w) {
    ligados_.emplace_back(w);
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        connect(e, &QLineEdit::textEdited, this, [this, e] { escreverDoControle(e); });
        // Campos inteiros só aceitam dígitos (e o sinal)
        ConjuntoDados* c = conjuntoDe(e);
        const Campo* campo = c ? c->campo(CampoVinculado(e, *c)) : nullptr;
        if (campo && !e->validator() &&
            (campo->especie == EspecieColuna::Inteiro || campo->especie == EspecieColuna::Chave))
            e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,9}")), e));
    } else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
        connect(m, &QPlainTextEdit::textChanged, this, [this, m] { escreverDoControle(m); });
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        connect(cb, qOverload<int>(&QComboBox::activated), this, [this, cb] { escreverDoControle(cb); });
    } else if (auto* ck = qobject_cast<QCheckBox*>(w)) {
        connect(ck, &QCheckBox::clicked, this, [this, ck] { escreverDoControle(ck); });
    } else if (auto* g = qobject_cast<GrupoOpcoes*>(w)) {
        connect(g, &GrupoOpcoes::escolhida, this, [this, g] { escreverDoControle(g); });
    }
}

void TfrmAncestral::escreverDoControle(QWidget* w) {
    ConjuntoDados* c = conjuntoDe(w);
    if (mostrando_ || !c || !c->editando() || w->property(PropriedadeSoMostra).toBool()) return;
    const std::string campo = CampoVinculado(w, *c);
    if (campo.empty()) return;
    const bool texto = qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w);
    // Uma caixa de texto sobre um campo de consulta só mostra: o texto não vai para a chave
    if (texto && campo != nomeListado(w)) return;
    // Enquanto o usuário digita, o próprio controle não é reescrito pelo aviso do conjunto
    QPointer<QWidget> antes = editandoControle_;
    editandoControle_ = w;
    try {
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            c->definirTexto(campo, e->text().toStdString());
        } else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
            c->definirTexto(campo, m->toPlainText().toStdString());
        } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
            const QVariant d = cb->currentData();
            if (cb->currentIndex() < 0 || !d.isValid()) c->definir(campo, fb::Valor());
            else c->definirTexto(campo, d.toString().toStdString());
        } else if (auto* ck = qobject_cast<QCheckBox*>(w)) {
            c->definirTexto(campo, (ck->isChecked() ? valorMarcado(ck) : valorDesmarcado(ck)).toStdString());
        } else if (auto* g = qobject_cast<GrupoOpcoes*>(w)) {
            c->definirTexto(campo, g->valor().toStdString());
        }
        w->setProperty(PropriedadeErroConversao, QVariant());
    } catch (const ErroCampo& e) {
        // Texto que não vira o valor do campo (um número pela metade, uma data que não
        // existe): o campo fica com o valor anterior e a gravação recusa com este erro.
        w->setProperty(PropriedadeErroConversao, QString::fromStdString(e.what()));
    }
    editandoControle_ = antes;
}

void TfrmAncestral::mostrarRegistro() {
    mostrando_ = true;
    for (const auto& p : ligados_) {
        QWidget* w = p.data();
        if (w && w != editandoControle_) mostrarNoControle(w);
    }
    mostrando_ = false;
}

void TfrmAncestral::mostrarNoControle(QWidget* w) {
    ConjuntoDados* c = conjuntoDe(w);
    const std::string nome = nomeListado(w);
    if (!c || !c->campo(nome)) return;
    if (auto* f = qobject_cast<CampoValor*>(w)) {
        f->mostrarValor(c->valor(nome));
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        const QString t = q(c->texto(nome));
        if (e->text() != t) {
            e->setText(t);
            e->setCursorPosition(0);
        }
    } else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
        const QString t = q(c->texto(nome));
        if (m->toPlainText() != t) m->setPlainText(t);
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        const std::string chave = CampoVinculado(w, *c);
        int indice = -1;
        if (!chave.empty()) {
            const QString v = q(c->texto(chave));
            if (!v.isEmpty())
                for (int i = 0; i < cb->count() && indice < 0; ++i)
                    if (cb->itemData(i).toString() == v) indice = i;
        }
        if (cb->currentIndex() != indice) cb->setCurrentIndex(indice);
    } else if (auto* ck = qobject_cast<QCheckBox*>(w)) {
        ck->setChecked(q(c->texto(nome)) == valorMarcado(ck));
    } else if (auto* g = qobject_cast<GrupoOpcoes*>(w)) {
        g->definirValor(q(c->texto(nome)));
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(q(c->texto(nome)));
    }
    // O controle voltou a mostrar o valor do campo
    w->setProperty(PropriedadeErroConversao, QVariant());
}

void TfrmAncestral::aplicarSomenteLeitura() {
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->window() != this || tagDe(w) == TagSempreIgual) continue;
        if (auto* grade = qobject_cast<QAbstractItemView*>(w)) {
            // Grades das telas de edição só mostram; as editáveis levam a tag 30
            grade->setEditTriggers(QAbstractItemView::NoEditTriggers);
            grade->setFocusPolicy(Qt::NoFocus);
            continue;
        }
        if (!w->property(PropriedadeCampo).isValid()) continue;
        ConjuntoDados* c = conjuntoDe(w);
        const bool somenteLeitura = !c || !c->editando();
        const bool daTela = w->property(SomenteLeituraTela).toBool();
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->setReadOnly(somenteLeitura || daTela);
        else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) m->setReadOnly(somenteLeitura || daTela);
        else if (controleDeEscolha(w)) w->setProperty(SomenteLeituraEstado, somenteLeitura);
    }
}

void TfrmAncestral::marcarObrigatorios() {
    const QColor cor = QApplication::palette().color(QPalette::ToolTipBase);
    for (const auto& p : ligados_) {
        QWidget* w = p.data();
        if (!w) continue;
        if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QPlainTextEdit*>(w) && !qobject_cast<QComboBox*>(w)) continue;
        ConjuntoDados* c = conjuntoDe(w);
        const Campo* campo = c ? c->campo(CampoVinculado(w, *c)) : nullptr;
        if (!campo || !campo->obrigatorio) continue;
        QPalette pal = w->palette();
        pal.setColor(QPalette::Base, cor);
        // A caixa de lista fechada é desenhada com a cor de botão
        if (qobject_cast<QComboBox*>(w)) pal.setColor(QPalette::Button, cor);
        w->setPalette(pal);
        w->setProperty("obrigatorio", true);
    }
}

void TfrmAncestral::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!marcados_) {
        marcados_ = true;
        marcarObrigatorios();
        focarPrimeiroCampo();
    }
}

// Ao abrir, o cursor fica no primeiro campo que se pode editar, na ordem de tabulação.
void TfrmAncestral::focarPrimeiroCampo() {
    QWidget* w = corpo_ ? corpo_->nextInFocusChain() : nullptr;
    for (int voltas = 0; w && voltas < 500; ++voltas, w = w->nextInFocusChain()) {
        if (!corpo_->isAncestorOf(w) || !w->isVisibleTo(this) || !w->isEnabled()) continue;
        if (!(w->focusPolicy() & Qt::TabFocus)) continue;
        if (auto* l = qobject_cast<QLineEdit*>(w); l && l->isReadOnly()) continue;
        if (qobject_cast<QAbstractButton*>(w)) continue;
        w->setFocus(Qt::OtherFocusReason);
        return;
    }
}

void TfrmAncestral::aoMudarConjunto(int mudanca, bool principal) {
    switch (static_cast<MudancaConjunto>(mudanca)) {
        case MudancaConjunto::Estado:
            aplicarSomenteLeitura();
            mostrarRegistro();
            atualizarComandos();
            if (principal) estadoMudou();
            verificarLembrete();
            break;
        case MudancaConjunto::Linhas:
        case MudancaConjunto::Posicao:
            mostrarRegistro();
            atualizarComandos();
            break;
        case MudancaConjunto::Valor:
            mostrarRegistro();
            atualizarComandos();
            verificarLembrete();
            break;
    }
}

QWidget* TfrmAncestral::controleDoCampo(const std::string& campo, const ConjuntoDados* de) const {
    if (!de) de = conjunto_;
    if (!de) return nullptr;
    for (const auto& p : ligados_)
        if (p && conjuntoDe(p.data()) == de && CampoVinculado(p.data(), *de) == campo) return p.data();
    for (const auto& p : ligados_)
        if (p && conjuntoDe(p.data()) == de && nomeListado(p.data()) == campo) return p.data();
    return nullptr;
}

void TfrmAncestral::focarCampo(const std::string& campo) {
    QWidget* w = controleDoCampo(campo);
    if (!w) return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
}

void TfrmAncestral::atualizarComandos() {
    const bool aberto = conjunto_ && conjunto_->aberto();
    const bool navegando = aberto && conjunto_->navegando();
    const bool vazio = !aberto || conjunto_->vazio();
    const bool pendentes = aberto && conjunto_->alteracoesPendentes();
    actdbAncestralIncluir->setEnabled(navegando && !conjunto_->somenteLeitura());
    actdbAncestralEditar->setEnabled(navegando && !vazio && !conjunto_->somenteLeitura());
    actdbAncestralGravar->setEnabled(aberto && (!navegando || conjunto_->alteracoesPostadas()));
    actdbAncestralCancelar->setEnabled(aberto && !navegando);
    actdbAncestralExcluir->setEnabled(navegando && !vazio && !conjunto_->somenteLeitura());
    actdbAncestralAtualizar->setEnabled(navegando && !pendentes);
    const bool podeVoltar = navegando && !vazio && !conjunto_->noInicio();
    const bool podeAvancar = navegando && !vazio && !conjunto_->noFim();
    actdbAncestralPrimeiro->setEnabled(podeVoltar);
    actdbAncestralAnterior->setEnabled(podeVoltar);
    actdbAncestralProximo->setEnabled(podeAvancar);
    actdbAncestralUltimo->setEnabled(podeAvancar);
    actAncestralExportar->setEnabled(navegando && !vazio);
    btnGravar_->setEnabled(actdbAncestralGravar->isEnabled());
}

// --- Comandos ---------------------------------------------------------------------------------

void TfrmAncestral::incluir() {
    if (conjunto_) conjunto_->inserir();
}

void TfrmAncestral::editar() {
    if (conjunto_) conjunto_->editar();
}

void TfrmAncestral::verificarObrigatorios() {
    for (const Campo& c : conjunto_->campos()) {
        if (!c.obrigatorio || c.calculado) continue;
        if (conjunto_->valor(c.nome).nulo() || Aparar(conjunto_->texto(c.nome)).empty()) {
            bloqueado_ = true;
            focarCampo(c.nome);
            throw ErroSistema("Campo (" + c.rotulo + ") precisa ser preenchido!");
        }
    }
}

void TfrmAncestral::verificarConversoes() {
    for (const auto& p : ligados_) {
        QWidget* w = p.data();
        if (!w) continue;
        const QVariant erro = w->property(PropriedadeErroConversao);
        if (!erro.isValid()) continue;
        bloqueado_ = true;
        w->setFocus(Qt::OtherFocusReason);
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
        throw ErroSistema(erro.toString().toStdString());
    }
}

void TfrmAncestral::gravarRegistro() { conjunto_->gravar(); }

void TfrmAncestral::mostrarFalha(const std::exception& e) {
    std::string campo;
    if (auto* a = dynamic_cast<const Abortar*>(&e)) {
        campo = a->campo;  // a mensagem já foi mostrada
    } else {
        if (auto* c = dynamic_cast<const ErroCampo*>(&e)) campo = c->campo;
        ui_.erro(e.what());
    }
    if (!campo.empty()) focarCampo(campo);
}

bool TfrmAncestral::gravar() {
    if (!conjunto_ || !(conjunto_->editando() || conjunto_->alteracoesPostadas())) return false;
    std::exception_ptr falha;
    {
        CursorEspera espera;
        try {
            verificarConversoes();
            verificarObrigatorios();
            gravarRegistro();
        } catch (...) {
            falha = std::current_exception();
        }
    }
    bloqueado_ = falha != nullptr;
    if (falha) {
        try {
            std::rethrow_exception(falha);
        } catch (const std::exception& e) {
            mostrarFalha(e);
        }
    }
    atualizarComandos();
    verificarLembrete();
    return !falha;
}

void TfrmAncestral::cancelar() {
    if (conjunto_) conjunto_->cancelar();
    bloqueado_ = false;
    atualizarComandos();
}

void TfrmAncestral::excluir() {
    if (!conjunto_ || !conjunto_->navegando() || conjunto_->vazio()) return;
    if (!ui_.pergunta("Exclusão", "Confirma exclusão do registro ?")) return;
    try {
        conjunto_->excluir();
    } catch (const std::exception& e) {
        ui_.erro(e.what());
    }
    atualizarComandos();
}

void TfrmAncestral::atualizar() {
    if (!conjunto_) return;
    try {
        conjunto_->atualizar();
    } catch (const std::exception& e) {
        ui_.erro(e.what());
    }
    atualizarComandos();
}

void TfrmAncestral::primeiro() {
    if (conjunto_) conjunto_->primeiro();
}
void TfrmAncestral::anterior() {
    if (conjunto_) conjunto_->anterior();
}
void TfrmAncestral::proximo() {
    if (conjunto_) conjunto_->proximo();
}
void TfrmAncestral::ultimo() {
    if (conjunto_) conjunto_->ultimo();
}

void TfrmAncestral::exportar() {
    if (!conjunto_ || !conjunto_->aberto()) return;
    if (!conjunto_->navegando()) {
        ui_.mensagem(TipoMensagem::Erro, "Falha na Exportação",
                     "Para exportar a tabela é necessário terminar a manutenção dos dados antes.");
        return;
    }
    try {
        ExportarConjunto(*conjunto_, IncluirBarra(dm_.diretorioPrograma()));
    } catch (const std::exception& e) {
        ui_.erro(e.what());
        return;
    }
    ui_.mensagem(TipoMensagem::Informacao, "Finalização da Exportação", "Tabela exportada com sucesso!");
}

void TfrmAncestral::fechar() { reject(); }

void TfrmAncestral::ajuda() { PressionarF1(this); }

void TfrmAncestral::gravarEFechar() {
    if (gravar()) accept();
}

void TfrmAncestral::cancelarEFechar() {
    cancelar();
    reject();
}

bool TfrmAncestral::confirmarFechamento() {
    conjunto_->cancelar();
    return true;
}

void TfrmAncestral::done(int r) {
    // Depois de uma gravação que falhou, só gravando ou cancelando
    if (bloqueado_) return;
    if (conjunto_ && conjunto_->editando() && !confirmarFechamento()) return;
    lembrete_->stop();
    aoFechar();
    QDialog::done(r);
}

// --- Lembrete de gravar -----------------------------------------------------------------------

void TfrmAncestral::verificarLembrete() {
    if (!conjunto_) return;
    if (conjunto_->alteracoesPendentes()) {
        if (!lembrete_->isActive()) lembrete_->start();
    } else if (!conjunto_->editando()) {
        lembrete_->stop();
    }
}

void TfrmAncestral::dispararLembrete() {
    if (!conjunto_) return;
    // Outra janela modal por cima (uma caixa, um localizador): pergunta mais tarde
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this) {
        lembrete_->start();
        return;
    }
    if (!conjunto_->alteracoesPendentes()) {
        if (conjunto_->editando()) lembrete_->start();
        return;
    }
    if (ui_.pergunta("Necessidade de atualização", MSG_LEMBRETE)) {
        gravar();
    } else {
        lembrete_->start();
    }
}

// --- Teclado ----------------------------------------------------------------------------------

bool TfrmAncestral::eventFilter(QObject* alvo, QEvent* e) {
    switch (e->type()) {
        case QEvent::ChildAdded: {
            QObject* filho = static_cast<QChildEvent*>(e)->child();
            if (filho->isWidgetType()) instalarFiltro(filho);
            break;
        }
        case QEvent::KeyPress:
            if (TratarTeclaDaTela(
                    this, alvo, e, [this] { fechar(); }, [this](bool proximo) { focusNextPrevChild(proximo); }, false))
                return true;
            // Lista, caixa de marcar ou opção somente leitura: o teclado não muda a escolha
            if (auto* w = qobject_cast<QWidget*>(alvo); w && controleDeEscolha(w) && SomenteLeitura(w) &&
                                                         !teclaDeNavegacao(static_cast<QKeyEvent*>(e)))
                return true;
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
            if (auto* w = qobject_cast<QWidget*>(alvo); w && controleDeEscolha(w) && SomenteLeitura(w)) {
                if (e->type() == QEvent::MouseButtonPress) w->setFocus(Qt::MouseFocusReason);
                return true;
            }
            break;
        default: break;
    }
    return QDialog::eventFilter(alvo, e);
}

}  // namespace kov::ui
