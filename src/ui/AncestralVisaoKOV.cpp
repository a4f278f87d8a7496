#include "ui/AncestralVisaoKOV.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "data/Edicao.h"
#include "data/dmPrincipal.h"
#include "ui/AncestralDRU.h"
#include "ui/FiltroLinhas.h"
#include "ui/Formulario.h"
#include "ui/ModeloLinhas.h"

namespace kov::ui {

TfrmVisaoAncestral::TfrmVisaoAncestral(Tdm& dm, QWidget* pai)
    : QDialog(pai), dm_(dm), ui_(std::make_unique<InteracaoTela>(dm.ui())) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    actdbAncestralVisaoInserir =
        NovaAcao(this, "actdbAncestralVisaoInserir", QStringLiteral("&Inserir"), QStringLiteral("Inserir novo registro"));
    actdbAncestralVisaoEditar =
        NovaAcao(this, "actdbAncestralVisaoEditar", QStringLiteral("&Editar"), QStringLiteral("Editar o registro atual"));
    actdbAncestralVisaoDelete =
        NovaAcao(this, "actdbAncestralVisaoDelete", QStringLiteral("E&xcluir"), QStringLiteral("Deletar o registro atual"));
    actAncestralVisaoFechar = NovaAcao(this, "actAncestralVisaoFechar", QStringLiteral("&Fechar"), QStringLiteral("Fechar a janela"));
    actAncestralVisaoAjuda = NovaAcao(this, "actAncestralVisaoAjuda", QStringLiteral("A&juda"), QStringLiteral("Ajuda"));
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

    filtro_ = new FiltroLinhas(this);
    edtLocalizar_ = new QLineEdit(this);
    edtLocalizar_->setObjectName(QStringLiteral("edtLocalizar"));
    edtLocalizar_->setClearButtonEnabled(true);
    edtLocalizar_->setPlaceholderText(QStringLiteral("parte do nome, da inscrição ou de outra coluna"));
    edtLocalizar_->setToolTip(QStringLiteral("Mostra só as linhas que contêm o texto (Ctrl+F)"));
    edtLocalizar_->installEventFilter(this);
    auto* lblLocalizar = new QLabel(QStringLiteral("&Localizar:"), this);
    lblLocalizar->setBuddy(edtLocalizar_);
    connect(edtLocalizar_, &QLineEdit::textChanged, this, [this](const QString& t) {
        filtro_->definirTexto(t);
        // A linha atual continua a atual quando aparece; senão, a primeira que aparece
        if (!conjunto_) return;
        if (linhaNaGrade(conjunto_->atual()) >= 0) selecionarLinha(conjunto_->atual());
        else if (filtro_->rowCount() > 0)
            grade_->setCurrentIndex(filtro_->index(0, 0));
        atualizarComandos();
    });
    auto* atalho = new QShortcut(QKeySequence::Find, this);
    connect(atalho, &QShortcut::activated, this, [this] {
        edtLocalizar_->setFocus(Qt::ShortcutFocusReason);
        edtLocalizar_->selectAll();
    });

    btnInserir_ = BotaoDaAcao(this, actdbAncestralVisaoInserir, "btnInserir", QStyle::SP_FileIcon);
    btnEditar_ = BotaoDaAcao(this, actdbAncestralVisaoEditar, "btnEditar", QStyle::SP_FileDialogContentsView);
    btnExcluir_ = BotaoDaAcao(this, actdbAncestralVisaoDelete, "btnExcluir", QStyle::SP_TrashIcon);
    btnFechar_ = BotaoDaAcao(this, actAncestralVisaoFechar, "btnFechar", QStyle::SP_DialogCloseButton);
    btnAjuda_ = BotaoDaAcao(this, actAncestralVisaoAjuda, "btnAjuda", QStyle::SP_MessageBoxQuestion);

    auto* botoes = new QHBoxLayout;
    botoes->setSpacing(8);
    botoes->addWidget(btnInserir_);
    botoes->addWidget(btnEditar_);
    botoes->addWidget(btnExcluir_);
    botoes->addStretch(1);
    botoes->addWidget(btnFechar_);
    botoes->addWidget(btnAjuda_);
    auto* localizar = new QHBoxLayout;
    localizar->setSpacing(6);
    localizar->addWidget(lblLocalizar);
    localizar->addWidget(edtLocalizar_, 1);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(12, 12, 12, 12);
    lay->setSpacing(10);
    lay->addLayout(localizar);
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
    filtro_->setSourceModel(modelo_);
    grade_->setModel(filtro_);
    connect(modelo_, &ModeloLinhas::registroAtualMudou, this, &TfrmVisaoAncestral::selecionarLinha);
    connect(grade_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& atual) {
                if (sincronizando_ || !atual.isValid()) return;
                sincronizando_ = true;
                conjunto_->irPara(filtro_->mapToSource(atual).row());
                sincronizando_ = false;
            });
    observador_ = conjunto_->observar([this](MudancaConjunto, const std::string&) { atualizarComandos(); });
    selecionarLinha(conjunto_->atual());
    atualizarComandos();
}

int TfrmVisaoAncestral::linhaNaGrade(int linhaConjunto) const {
    if (!modelo_ || linhaConjunto < 0 || linhaConjunto >= modelo_->rowCount()) return -1;
    const QModelIndex i = filtro_->mapFromSource(modelo_->index(linhaConjunto, 0));
    return i.isValid() ? i.row() : -1;
}

void TfrmVisaoAncestral::selecionarLinha(int linha) {
    if (sincronizando_ || !modelo_) return;
    sincronizando_ = true;
    const int naGrade = linhaNaGrade(linha);
    if (naGrade >= 0) {
        const QModelIndex i = filtro_->index(naGrade, 0);
        grade_->selectRow(naGrade);
        grade_->setCurrentIndex(i);
        grade_->scrollTo(i);
    } else {
        grade_->clearSelection();
    }
    sincronizando_ = false;
}

void TfrmVisaoAncestral::atualizarComandos() {
    const bool aberto = conjunto_ && conjunto_->aberto();
    const bool navegando = aberto && conjunto_->navegando();
    // Com o filtro escondendo todas as linhas, não há registro a editar ou excluir
    const bool vazio = !aberto || conjunto_->vazio() || (filtro_ && filtro_->rowCount() == 0);
    actdbAncestralVisaoInserir->setEnabled(aberto);
    actdbAncestralVisaoEditar->setEnabled(navegando && !vazio);
    actdbAncestralVisaoDelete->setEnabled(aberto && !vazio);
}

void TfrmVisaoAncestral::inserir() {
    if (!conjunto_ || !conjunto_->navegando()) return;
    try {
        conjunto_->inserir();
    } catch (const std::exception& e) {
        ui_->erro(e.what());
        return;
    }
    abrirEdicao();
}

void TfrmVisaoAncestral::editar() {
    if (!conjunto_ || !conjunto_->navegando() || conjunto_->vazio()) return;
    if (linhaNaGrade(conjunto_->atual()) < 0) return;  // escondida pelo filtro
    try {
        conjunto_->editar();
    } catch (const std::exception& e) {
        ui_->erro(e.what());
        return;
    }
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
    depoisDaEdicao();
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
    // Na caixa Localizar: Seta para baixo e Enter descem à grade; Esc limpa o texto (com a
    // caixa vazia, fecha a lista como de costume)
    if (alvo == edtLocalizar_ && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Down || k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            grade_->setFocus(Qt::OtherFocusReason);
            if (!grade_->currentIndex().isValid() && filtro_->rowCount() > 0) grade_->setCurrentIndex(filtro_->index(0, 0));
            return true;
        }
        if (k->key() == Qt::Key_Escape && !edtLocalizar_->text().isEmpty()) {
            edtLocalizar_->clear();
            return true;
        }
    }
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
