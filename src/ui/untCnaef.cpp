#include "ui/untCnaef.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "data/dmPrincipal.h"
#include "platform/Interacao.h"
#include "ui/Ajuda.h"

namespace kov::ui {

namespace {

constexpr int PapelIndiceNo = Qt::UserRole;

}  // namespace

TfrmEscolheCnaef::TfrmEscolheCnaef(Tdm& dm, QWidget* pai) : QDialog(pai), dm_(dm) {
    setObjectName(QStringLiteral("frmEscolheCnaef"));
    setWindowTitle(QStringLiteral("CNAE-F"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    DefinirContextoAjuda(this, ContextoAjuda::Geral);

    arvore_ = new QTreeWidget(this);
    arvore_->setObjectName(QStringLiteral("tvCnaef"));
    arvore_->setColumnCount(1);
    arvore_->header()->hide();
    // A coluna ocupa a largura da árvore: descrições longas terminam em reticências (o
    // texto inteiro fica na dica do item) e a árvore nunca rola de lado ao escolher um nó,
    // o que esconderia os códigos.
    arvore_->header()->setStretchLastSection(true);
    arvore_->setTextElideMode(Qt::ElideRight);
    arvore_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    arvore_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    arvore_->setSelectionMode(QAbstractItemView::SingleSelection);
    arvore_->setSelectionBehavior(QAbstractItemView::SelectRows);
    arvore_->setUniformRowHeights(true);
    arvore_->setAlternatingRowColors(true);

    actConfirmar_ = new QAction(QStringLiteral("&Confirmar"), this);
    actConfirmar_->setObjectName(QStringLiteral("actConfirmar"));
    actConfirmar_->setToolTip(QStringLiteral("Confirma a atividade econômica escolhida"));
    btnConfirmar_ = new QPushButton(actConfirmar_->text(), this);
    btnConfirmar_->setObjectName(QStringLiteral("btnConfirmar"));
    btnConfirmar_->setToolTip(actConfirmar_->toolTip());
    btnConfirmar_->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    btnConfirmar_->setDefault(true);
    btnFechar_ = new QPushButton(QStringLiteral("&Fechar"), this);
    btnFechar_->setObjectName(QStringLiteral("btnFechar"));
    btnFechar_->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    btnFechar_->setAutoDefault(false);

    connect(actConfirmar_, &QAction::triggered, this, &TfrmEscolheCnaef::confirmar);
    connect(actConfirmar_, &QAction::changed, btnConfirmar_,
            [this] { btnConfirmar_->setEnabled(actConfirmar_->isEnabled()); });
    connect(btnConfirmar_, &QPushButton::clicked, actConfirmar_, &QAction::trigger);
    connect(btnFechar_, &QPushButton::clicked, this, &QDialog::reject);
    connect(arvore_, &QTreeWidget::itemSelectionChanged, this, &TfrmEscolheCnaef::atualizarComandos);
    connect(arvore_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        if (itemConfirmavel(item)) {
            arvore_->setCurrentItem(item);
            actConfirmar_->trigger();
        }
    });

    auto* dica = new QLabel(QStringLiteral("Escolha uma subclasse ou um desmembramento da atividade econômica."), this);
    dica->setObjectName(QStringLiteral("lblDica"));
    QPalette pd = dica->palette();
    pd.setColor(QPalette::WindowText, QColor(0x5a, 0x66, 0x73));
    dica->setPalette(pd);

    auto* botoes = new QHBoxLayout;
    botoes->addWidget(dica, 1);
    botoes->addWidget(btnConfirmar_);
    botoes->addWidget(btnFechar_);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(12, 12, 12, 12);
    lay->setSpacing(10);
    lay->addWidget(arvore_, 1);
    lay->addLayout(botoes);
    resize(860, 560);

    montarArvore();
    atualizarComandos();
}

void TfrmEscolheCnaef::montarArvore() {
    // A tabela é lida de novo a cada abertura: o ano base pode ter mudado desde a última.
    try {
        if (!dm_.ref.abertas) dm_.AbrirReferencias();
        dados_ = MontarArvoreCnaef(dm_.CNAEFDoAnoBase());
    } catch (const std::exception& e) {
        dm_.ui().erro(e.what());
        dados_ = {};
    }

    const QIcon figuraFolha = style()->standardIcon(QStyle::SP_FileIcon);
    const QIcon figuraRamo = style()->standardIcon(QStyle::SP_DirIcon);
    arvore_->clear();
    std::vector<QTreeWidgetItem*> itens(dados_.nos.size(), nullptr);
    for (size_t i = 0; i < dados_.nos.size(); ++i) {
        const NoCnaef& no = dados_.nos[i];
        // O pai sempre vem antes na lista.
        auto* item = no.pai < 0 ? new QTreeWidgetItem(arvore_) : new QTreeWidgetItem(itens[no.pai]);
        item->setText(0, QString::fromStdString(no.texto));
        item->setToolTip(0, item->text(0));
        item->setData(0, PapelIndiceNo, static_cast<int>(i));
        item->setIcon(0, no.folha() ? figuraFolha : figuraRamo);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        itens[i] = item;
    }
}

bool TfrmEscolheCnaef::itemConfirmavel(const QTreeWidgetItem* item) const {
    if (!item) return false;
    bool ok = false;
    const int i = item->data(0, PapelIndiceNo).toInt(&ok);
    return ok && i >= 0 && static_cast<size_t>(i) < dados_.nos.size() && dados_.nos[i].confirmavel();
}

void TfrmEscolheCnaef::atualizarComandos() {
    const auto selecionados = arvore_->selectedItems();
    actConfirmar_->setEnabled(selecionados.size() == 1 && itemConfirmavel(selecionados.front()));
    btnConfirmar_->setEnabled(actConfirmar_->isEnabled());
}

void TfrmEscolheCnaef::confirmar() {
    const auto selecionados = arvore_->selectedItems();
    if (selecionados.size() != 1 || !itemConfirmavel(selecionados.front())) return;
    const std::string texto = selecionados.front()->text(0).toStdString();
    codigo_ = CodigoDoTextoCnaef(texto);
    desmembramento_ = DesmembramentoDoTextoCnaef(texto);
    accept();
}

QTreeWidgetItem* TfrmEscolheCnaef::itemDoTexto(const QString& texto) const {
    const auto achados = arvore_->findItems(texto, Qt::MatchExactly | Qt::MatchRecursive);
    return achados.isEmpty() ? nullptr : achados.front();
}

}  // namespace kov::ui
