#include "ui/AncestralVisaoKOV.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "data/Edicao.h"
#include "data/dmPrincipal.h"
#include "ui/AncestralDRU.h"
#include "ui/ModeloLinhas.h"

namespace kov::ui {

TfrmVisaoAncestral::TfrmVisaoAncestral(Tdm& dm, QWidget* pai)
    : QDialog(pai), dm_(dm), ui_(std::make_unique<InteracaoTela>(dm.ui())) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    auto acao = [this](const char* nome, const QString& texto, const QString& dica) {
        auto* a = new QAction(texto, this);
        a->setObjectName(QString::fromLatin1(nome));
        a->setToolTip(dica);
        a->setStatusTip(dica);
        addAction(a);
        return a;
    };
    actdbAncestralVisaoInserir =
        acao("actdbAncestralVisaoInserir", QStringLiteral("&Inserir"), QStringLiteral("Inserir novo registro"));
    actdbAncestralVisaoEditar =
        acao("actdbAncestralVisaoEditar", QStringLiteral("&Editar"), QStringLiteral("Editar o registro atual"));
    actdbAncestralVisaoDelete =
        acao("actdbAncestralVisaoDelete", QStringLiteral("E&xcluir"), QStringLiteral("Deletar o registro atual"));
    actAncestralVisaoFechar = acao("actAncestralVisaoFechar", QStringLiteral("&Fechar"), QStringLiteral("Fechar a janela"));
    actAncestralVisaoAjuda = acao("actAncestralVisaoAjuda", QStringLiteral("A&juda"), QStringLiteral("Ajuda"));
    // Teclas das grades de dados: Ins inclui, Ctrl+Del exclui (com a pergunta)
    actdbAncestralVisaoInserir->setShortcut(QKeySequence(Qt::Key_Insert));
    actdbAncestralVisaoDelete->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    connect(actdbAncestralVisaoInserir, &QAction::triggered, this, &TfrmVisaoAncestral::inserir);
    connect(actdbAncestralVisaoEditar, &QAction::triggered, this, &TfrmVisaoAncestral::editar);
    connect(actdbAncestralVisaoDelete, &QAction::triggered, this, &TfrmVisaoAncestral::excluir);
    connect(actAncestralVisaoFechar, &QAction::triggered, this, &TfrmVisaoAncestral::fechar);
    connect(actAncestralVisaoAjuda, &QAction::triggered, this, &TfrmVisaoAncestral::ajuda);

    grade_ = new QTableView(this);
    grade_->setObjectName(QStringLiteral("grdVisao"));
    grade_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grade_->setSelectionMode(QAbstractItemView::SingleSelection);
    grade_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grade_->setAlternatingRowColors(true);
    grade_->setTabKeyNavigation(false);
    grade_->verticalHeader()->setVisible(false);
    grade_->verticalHeader()->setDefaultSectionSize(24);
    grade_->horizontalHeader()->setStretchLastSection(true);
    grade_->horizontalHeader()->setHighlightSections(false);
    grade_->installEventFilter(this);
    connect(grade_, &QTableView::doubleClicked, this, [this] {
        if (conjunto_ && !conjunto_->vazio()) editar();
    });

    auto botao = [this](QAction* a, const char* nome, QStyle::StandardPixmap icone) {
        auto* b = new QPushButton(style()->standardIcon(icone), a->text(), this);
        b->setObjectName(QString::fromLatin1(nome));
        b->setToolTip(a->toolTip());
        b->setStatusTip(a->statusTip());
        b->setAutoDefault(false);
        b->setMinimumWidth(96);
        connect(b, &QPushButton::clicked, a, &QAction::trigger);
        connect(a, &QAction::enabledChanged, b, &QWidget::setEnabled);
        return b;
    };
    btnInserir_ = botao(actdbAncestralVisaoInserir, "btnInserir", QStyle::SP_FileIcon);
    btnEditar_ = botao(actdbAncestralVisaoEditar, "btnEditar", QStyle::SP_FileDialogContentsView);
    btnExcluir_ = botao(actdbAncestralVisaoDelete, "btnExcluir", QStyle::SP_TrashIcon);
    btnFechar_ = botao(actAncestralVisaoFechar, "btnFechar", QStyle::SP_DialogCloseButton);
    btnAjuda_ = botao(actAncestralVisaoAjuda, "btnAjuda", QStyle::SP_MessageBoxQuestion);

    auto* botoes = new QHBoxLayout;
    botoes->setSpacing(8);
    botoes->addWidget(btnInserir_);
    botoes->addWidget(btnEditar_);
    botoes->addWidget(btnExcluir_);
    botoes->addStretch(1);
    botoes->addWidget(btnFechar_);
    botoes->addWidget(btnAjuda_);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(12, 12, 12, 12);
    lay->setSpacing(10);
    lay->addWidget(grade_, 1);
    lay->addLayout(botoes);
    resize(760, 460);
    atualizarComandos();
}

TfrmVisaoAncestral::~TfrmVisaoAncestral() {
    // O modelo observa o conjunto: sai antes dele
    delete modelo_;
    modelo_ = nullptr;
    if (conjunto_) {
        conjunto_->deixarDeObservar(observador_);
        conjunto_->fechar();
    }
}

void TfrmVisaoAncestral::definirConjunto(std::unique_ptr<ConjuntoDados> conjunto, std::vector<std::string> colunas) {
    conjunto_ = std::move(conjunto);
    conjunto_->fechar();
    conjunto_->abrir();
    modelo_ = new ModeloLinhas(*conjunto_, std::move(colunas), this);
    grade_->setModel(modelo_);
    connect(modelo_, &ModeloLinhas::registroAtualMudou, this, &TfrmVisaoAncestral::selecionarLinha);
    connect(grade_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& atual) {
                if (sincronizando_ || !atual.isValid()) return;
                sincronizando_ = true;
                conjunto_->irPara(atual.row());
                sincronizando_ = false;
            });
    observador_ = conjunto_->observar([this](MudancaConjunto, const std::string&) { atualizarComandos(); });
    selecionarLinha(conjunto_->atual());
    atualizarComandos();
}

void TfrmVisaoAncestral::selecionarLinha(int linha) {
    if (sincronizando_ || !modelo_) return;
    sincronizando_ = true;
    if (linha >= 0 && linha < modelo_->rowCount()) {
        grade_->selectRow(linha);
        grade_->setCurrentIndex(modelo_->index(linha, 0));
        grade_->scrollTo(modelo_->index(linha, 0));
    } else {
        grade_->clearSelection();
    }
    sincronizando_ = false;
}

void TfrmVisaoAncestral::atualizarComandos() {
    const bool aberto = conjunto_ && conjunto_->aberto();
    const bool navegando = aberto && conjunto_->navegando();
    const bool vazio = !aberto || conjunto_->vazio();
    actdbAncestralVisaoInserir->setEnabled(aberto);
    actdbAncestralVisaoEditar->setEnabled(navegando && !vazio);
    actdbAncestralVisaoDelete->setEnabled(aberto && !vazio);
}

void TfrmVisaoAncestral::inserir() {
    if (!conjunto_ || !conjunto_->navegando()) return;
    conjunto_->inserir();
    abrirEdicao();
}

void TfrmVisaoAncestral::editar() {
    if (!conjunto_ || !conjunto_->navegando() || conjunto_->vazio()) return;
    conjunto_->editar();
    abrirEdicao();
}

void TfrmVisaoAncestral::abrirEdicao() {
    if (!fabrica_) {
        conjunto_->cancelar();
        return;
    }
    std::unique_ptr<TfrmAncestral> tela;
    try {
        tela.reset(fabrica_(this));
    } catch (const std::exception& e) {
        conjunto_->cancelar();
        ui_->erro(e.what());
        return;
    }
    edicao_ = tela.get();
    tela->exec();
    edicao_ = nullptr;
    tela.reset();
    // A tela só fecha gravada ou cancelada; de todo modo nada fica em edição sem tela
    if (conjunto_->editando()) conjunto_->cancelar();
    selecionarLinha(conjunto_->atual());
    grade_->setFocus();
}

void TfrmVisaoAncestral::excluir() {
    if (!conjunto_ || !conjunto_->navegando() || conjunto_->vazio()) return;
    if (!ui_->pergunta("Exclusão", "Confirma exclusão do registro ?")) return;
    try {
        conjunto_->excluir();
    } catch (const std::exception& e) {
        ui_->erro(e.what());
    }
    selecionarLinha(conjunto_->atual());
}

void TfrmVisaoAncestral::fechar() { reject(); }

void TfrmVisaoAncestral::ajuda() { PressionarF1(this); }

bool TfrmVisaoAncestral::eventFilter(QObject* alvo, QEvent* e) {
    // Enter na grade abre o registro atual, como o duplo clique
    if (alvo == grade_ && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
            (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (conjunto_ && !conjunto_->vazio()) editar();
            return true;
        }
    }
    return QDialog::eventFilter(alvo, e);
}

}  // namespace kov::ui
