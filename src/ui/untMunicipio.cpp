#include "ui/untMunicipio.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QValidator>
#include <QVBoxLayout>
#include <algorithm>

#include "data/ArvoreCnaef.h"
#include "data/dmPrincipal.h"
#include "platform/Interacao.h"
#include "ui/Ajuda.h"

namespace kov::ui {

namespace {

// Põe em maiúsculas o que entra na caixa, digitado ou colado, sem mexer no cursor.
class ValidadorMaiusculas : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& texto, int& posicao) const override {
        const QString maiusculo = QString::fromStdString(TextoBuscaMunicipio(texto.toStdString()));
        if (maiusculo != texto) {
            texto = maiusculo;
            posicao = std::min(posicao, static_cast<int>(texto.size()));
        }
        return Acceptable;
    }
};

}  // namespace

ModeloMunicipios::ModeloMunicipios(std::vector<LinhaMunicipio> linhas, QObject* pai)
    : QAbstractTableModel(pai), linhas_(std::move(linhas)) {}

int ModeloMunicipios::rowCount(const QModelIndex& pai) const {
    return pai.isValid() ? 0 : static_cast<int>(linhas_.size());
}

int ModeloMunicipios::columnCount(const QModelIndex& pai) const { return pai.isValid() ? 0 : 1; }

QVariant ModeloMunicipios::data(const QModelIndex& indice, int papel) const {
    if (!indice.isValid() || indice.row() >= rowCount()) return {};
    if (papel == Qt::DisplayRole) return QString::fromStdString(linhas_[indice.row()].DESCRICAO);
    return {};
}

QVariant ModeloMunicipios::headerData(int secao, Qt::Orientation orientacao, int papel) const {
    if (orientacao == Qt::Horizontal && papel == Qt::DisplayRole && secao == 0) return QStringLiteral("Município");
    return {};
}

TfrmEscolheMunicipio::TfrmEscolheMunicipio(Tdm& dm, QWidget* pai) : QDialog(pai), dm_(dm) {
    setObjectName(QStringLiteral("frmEscolheMunicipio"));
    setWindowTitle(QStringLiteral("Municípios"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    DefinirContextoAjuda(this, ContextoAjuda::Geral);

    // A lista de municípios é aberta aqui quando ainda está fechada.
    std::vector<LinhaMunicipio> linhas;
    try {
        if (!dm_.ref.abertas) dm_.AbrirReferencias();
        linhas = dm_.ref.cdsMunicipio;
    } catch (const std::exception& e) {
        dm_.ui().erro(e.what());
    }
    modelo_ = new ModeloMunicipios(std::move(linhas), this);

    auto* rotulo = new QLabel(QStringLiteral("Localizar:"), this);
    rotulo->setObjectName(QStringLiteral("lblLocalizar"));
    edtLocalizar_ = new QLineEdit(this);
    edtLocalizar_->setObjectName(QStringLiteral("edtLocalizar"));
    edtLocalizar_->setValidator(new ValidadorMaiusculas(edtLocalizar_));
    edtLocalizar_->setClearButtonEnabled(false);
    rotulo->setBuddy(edtLocalizar_);

    grade_ = new QTableView(this);
    grade_->setObjectName(QStringLiteral("grdMunicipios"));
    grade_->setModel(modelo_);
    grade_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grade_->setSelectionMode(QAbstractItemView::SingleSelection);
    grade_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grade_->setAlternatingRowColors(true);
    grade_->setWordWrap(false);
    grade_->setTabKeyNavigation(false);
    grade_->verticalHeader()->hide();
    grade_->verticalHeader()->setDefaultSectionSize(grade_->fontMetrics().height() + 8);
    grade_->horizontalHeader()->setStretchLastSection(true);
    grade_->horizontalHeader()->setHighlightSections(false);
    grade_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    actConfirmar_ = new QAction(QStringLiteral("&Confirmar"), this);
    actConfirmar_->setObjectName(QStringLiteral("actConfirmar"));
    actConfirmar_->setToolTip(QStringLiteral("Confirma o município escolhido"));
    btnConfirmar_ = new QPushButton(actConfirmar_->text(), this);
    btnConfirmar_->setObjectName(QStringLiteral("btnConfirmar"));
    btnConfirmar_->setToolTip(actConfirmar_->toolTip());
    btnConfirmar_->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    btnConfirmar_->setDefault(true);
    btnFechar_ = new QPushButton(QStringLiteral("&Fechar"), this);
    btnFechar_->setObjectName(QStringLiteral("btnFechar"));
    btnFechar_->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    btnFechar_->setAutoDefault(false);

    connect(edtLocalizar_, &QLineEdit::textChanged, this, &TfrmEscolheMunicipio::localizar);
    connect(actConfirmar_, &QAction::triggered, this, &TfrmEscolheMunicipio::confirmar);
    connect(actConfirmar_, &QAction::changed, btnConfirmar_,
            [this] { btnConfirmar_->setEnabled(actConfirmar_->isEnabled()); });
    connect(btnConfirmar_, &QPushButton::clicked, actConfirmar_, &QAction::trigger);
    connect(btnFechar_, &QPushButton::clicked, this, &QDialog::reject);
    connect(grade_, &QTableView::doubleClicked, this, [this](const QModelIndex& indice) {
        if (!indice.isValid()) return;
        irParaLinha(indice.row());
        actConfirmar_->trigger();
    });
    connect(grade_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfrmEscolheMunicipio::atualizarComandos);

    auto* linhaBusca = new QHBoxLayout;
    linhaBusca->addWidget(rotulo);
    linhaBusca->addWidget(edtLocalizar_, 1);
    auto* botoes = new QHBoxLayout;
    botoes->addStretch(1);
    botoes->addWidget(btnConfirmar_);
    botoes->addWidget(btnFechar_);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(12, 12, 12, 12);
    lay->setSpacing(10);
    lay->addLayout(linhaBusca);
    lay->addWidget(grade_, 1);
    lay->addLayout(botoes);
    resize(440, 520);

    // Como uma tabela recém-aberta: no primeiro município.
    if (modelo_->rowCount() > 0) irParaLinha(0);
    atualizarComandos();
}

void TfrmEscolheMunicipio::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    edtLocalizar_->setFocus(Qt::OtherFocusReason);
}

void TfrmEscolheMunicipio::localizar(const QString& texto) {
    if (semBusca_ || texto.isEmpty()) return;
    const auto achado = LocalizarMunicipio(modelo_->linhas(), texto.toStdString());
    if (achado) {
        irParaLinha(static_cast<int>(*achado));
        return;
    }
    // Sem município: avisa, tira o último caractere sem procurar de novo e devolve o
    // foco à caixa com o cursor no fim; a lista fica onde estava.
    dm_.ui().mensagem(TipoMensagem::Erro, "Erro", "Município não encontrado");
    semBusca_ = true;
    edtLocalizar_->setText(texto.chopped(1));
    semBusca_ = false;
    edtLocalizar_->setFocus(Qt::OtherFocusReason);
    edtLocalizar_->setCursorPosition(static_cast<int>(edtLocalizar_->text().size()));
}

void TfrmEscolheMunicipio::irParaLinha(int linha) {
    const QModelIndex indice = modelo_->index(linha, 0);
    if (!indice.isValid()) return;
    grade_->selectionModel()->setCurrentIndex(indice, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
    grade_->scrollTo(indice, QAbstractItemView::PositionAtCenter);
}

int TfrmEscolheMunicipio::linhaAtual() const {
    const QModelIndex i = grade_->currentIndex();
    return i.isValid() ? i.row() : -1;
}

std::optional<LinhaMunicipio> TfrmEscolheMunicipio::municipio() const {
    const int linha = linhaAtual();
    if (linha < 0 || linha >= static_cast<int>(modelo_->linhas().size())) return std::nullopt;
    return modelo_->linhas()[linha];
}

int TfrmEscolheMunicipio::CODDRUMUNICIPIO() const {
    const auto m = municipio();
    return m ? m->CODDRUMUNICIPIO : 0;
}

void TfrmEscolheMunicipio::atualizarComandos() { actConfirmar_->setEnabled(linhaAtual() >= 0); }

void TfrmEscolheMunicipio::confirmar() {
    if (linhaAtual() < 0) return;
    accept();
}

}  // namespace kov::ui
