#include "ui/AncestralDRU.h"
#include "ui/Teclado.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
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
    if (conjunto_ && observador_) conjunto_->deixarDeObservar(observador_);
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

void TfrmAncestral::iniciarTela() {
    if (!conjunto_) throw ErroSistema(MSG_SEM_TABELA);
    // Aberto pela lista, o conjunto já está no registro novo ou no alterado: continua nele.
    conjunto_->abrir();
    observador_ = conjunto_->observar(
        [this](MudancaConjunto m, const std::string& campo) { aoMudarConjunto(static_cast<int>(m), campo); });
    ligarControles();
    aplicarSomenteLeitura();
    mostrarRegistro();
    atualizarComandos();
    estadoMudou();
    verificarLembrete();
}

void TfrmAncestral::ligarControles() {
    ligados_.clear();
    for (QWidget* w : findChildren<QWidget*>()) {
        // Enter, Shift+Enter e Esc valem em todos os controles da tela
        w->installEventFilter(this);
        if (!w->property(PropriedadeCampo).isValid()) continue;
        ligados_.emplace_back(w);
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            connect(e, &QLineEdit::textEdited, this, [this, e] { escreverDoControle(e); });
            // Campos inteiros só aceitam dígitos (e o sinal)
            const Campo* c = conjunto_->campo(CampoVinculado(e, *conjunto_));
            if (c && !e->validator() &&
                (c->especie == EspecieColuna::Inteiro || c->especie == EspecieColuna::Chave))
                e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,9}")), e));
        } else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
            connect(m, &QPlainTextEdit::textChanged, this, [this, m] { escreverDoControle(m); });
        } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
            connect(cb, qOverload<int>(&QComboBox::activated), this, [this, cb] { escreverDoControle(cb); });
        }
    }
}

void TfrmAncestral::escreverDoControle(QWidget* w) {
    if (mostrando_ || !conjunto_ || !conjunto_->editando()) return;
    const std::string campo = CampoVinculado(w, *conjunto_);
    if (campo.empty()) return;
    // Enquanto o usuário digita, o próprio controle não é reescrito pelo aviso do conjunto
    QPointer<QWidget> antes = editandoControle_;
    editandoControle_ = w;
    try {
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            conjunto_->definirTexto(campo, e->text().toStdString());
        } else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
            conjunto_->definirTexto(campo, m->toPlainText().toStdString());
        } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
            const QVariant d = cb->currentData();
            if (cb->currentIndex() < 0 || !d.isValid()) conjunto_->definir(campo, fb::Valor());
            else conjunto_->definirTexto(campo, d.toString().toStdString());
        }
    } catch (const ErroCampo&) {
        // Texto ainda incompleto (um número pela metade): o campo fica com o valor anterior
        // e a gravação recusa o que estiver errado.
    }
    editandoControle_ = antes;
}

void TfrmAncestral::mostrarRegistro() {
    if (!conjunto_) return;
    mostrando_ = true;
    for (const auto& p : ligados_) {
        QWidget* w = p.data();
        if (!w || w == editandoControle_) continue;
        const std::string nome = nomeListado(w);
        if (!conjunto_->campo(nome)) continue;
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            const QString t = q(conjunto_->texto(nome));
            if (e->text() != t) {
                e->setText(t);
                e->setCursorPosition(0);
            }
        } else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
            const QString t = q(conjunto_->texto(nome));
            if (m->toPlainText() != t) m->setPlainText(t);
        } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
            const std::string chave = CampoVinculado(w, *conjunto_);
            int indice = -1;
            if (!chave.empty()) {
                const QString v = q(conjunto_->texto(chave));
                if (!v.isEmpty())
                    for (int i = 0; i < cb->count() && indice < 0; ++i)
                        if (cb->itemData(i).toString() == v) indice = i;
            }
            if (cb->currentIndex() != indice) cb->setCurrentIndex(indice);
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            l->setText(q(conjunto_->texto(nome)));
        }
    }
    mostrando_ = false;
}

void TfrmAncestral::aplicarSomenteLeitura() {
    const bool somenteLeitura = !conjunto_ || !conjunto_->editando();
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->window() != this || tagDe(w) == TagSempreIgual) continue;
        if (auto* grade = qobject_cast<QAbstractItemView*>(w)) {
            // Grades das telas de edição só mostram; as editáveis levam a tag 30
            grade->setEditTriggers(QAbstractItemView::NoEditTriggers);
            grade->setFocusPolicy(Qt::NoFocus);
            continue;
        }
        if (!w->property(PropriedadeCampo).isValid()) continue;
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->setReadOnly(somenteLeitura);
        else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) m->setReadOnly(somenteLeitura);
        else if (auto* cb = qobject_cast<QComboBox*>(w)) cb->setEnabled(!somenteLeitura);
    }
}

void TfrmAncestral::marcarObrigatorios() {
    if (!conjunto_) return;
    const QColor cor = QApplication::palette().color(QPalette::ToolTipBase);
    for (const auto& p : ligados_) {
        QWidget* w = p.data();
        if (!w) continue;
        if (!qobject_cast<QLineEdit*>(w) && !qobject_cast<QPlainTextEdit*>(w) && !qobject_cast<QComboBox*>(w)) continue;
        const Campo* c = conjunto_->campo(CampoVinculado(w, *conjunto_));
        if (!c || !c->obrigatorio) continue;
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

void TfrmAncestral::aoMudarConjunto(int mudanca, const std::string&) {
    switch (static_cast<MudancaConjunto>(mudanca)) {
        case MudancaConjunto::Estado:
            aplicarSomenteLeitura();
            mostrarRegistro();
            atualizarComandos();
            estadoMudou();
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

QWidget* TfrmAncestral::controleDoCampo(const std::string& campo) const {
    if (!conjunto_) return nullptr;
    for (const auto& p : ligados_)
        if (p && CampoVinculado(p.data(), *conjunto_) == campo) return p.data();
    for (const auto& p : ligados_)
        if (p && nomeListado(p.data()) == campo) return p.data();
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
    actdbAncestralIncluir->setEnabled(navegando);
    actdbAncestralEditar->setEnabled(navegando && !vazio);
    actdbAncestralGravar->setEnabled(aberto && !navegando);
    actdbAncestralCancelar->setEnabled(aberto && !navegando);
    actdbAncestralExcluir->setEnabled(navegando && !vazio);
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

void TfrmAncestral::gravarRegistro() { conjunto_->gravar(); }

bool TfrmAncestral::gravar() {
    if (!conjunto_ || !conjunto_->editando()) return false;
    std::string erro, campo;
    bool falhou = false;
    {
        CursorEspera espera;
        try {
            verificarObrigatorios();
            gravarRegistro();
        } catch (const Abortar& a) {
            // A mensagem já foi mostrada; resta focar o campo
            falhou = true;
            campo = a.campo;
        } catch (const ErroCampo& e) {
            falhou = true;
            campo = e.campo;
            erro = e.what();
        } catch (const std::exception& e) {
            falhou = true;
            erro = e.what();
        }
    }
    bloqueado_ = falhou;
    if (!erro.empty()) ui_.erro(erro);
    if (!campo.empty()) focarCampo(campo);
    atualizarComandos();
    verificarLembrete();
    return !falhou;
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
    if (TratarTeclaDaTela(
            this, alvo, e, [this] { fechar(); }, [this](bool proximo) { focusNextPrevChild(proximo); }))
        return true;
    return QDialog::eventFilter(alvo, e);
}

}  // namespace kov::ui
