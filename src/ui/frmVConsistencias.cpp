#include "ui/frmVConsistencias.h"

#include <algorithm>

#include <QAbstractTableModel>
#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "data/EdicaoDeclaracao.h"
#include "data/dmPrincipal.h"
#include "ui/Ajuda.h"
#include "ui/Formulario.h"
#include "ui/frmAncestralDetalhamentoES.h"
#include "ui/frmEDocumentos.h"

namespace kov::ui {

namespace {

// Grade só de leitura sobre linhas de textos já prontos.
class ModeloTextos : public QAbstractTableModel {
public:
    ModeloTextos(QStringList titulos, QObject* pai) : QAbstractTableModel(pai), titulos_(std::move(titulos)) {}
    void definir(std::vector<QStringList> linhas) {
        beginResetModel();
        linhas_ = std::move(linhas);
        endResetModel();
    }
    int rowCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : static_cast<int>(linhas_.size()); }
    int columnCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : static_cast<int>(titulos_.size()); }
    QVariant data(const QModelIndex& i, int papel) const override {
        if (!i.isValid() || (papel != Qt::DisplayRole && papel != Qt::ToolTipRole)) return {};
        return linhas_.at(static_cast<size_t>(i.row())).value(i.column());
    }
    QVariant headerData(int s, Qt::Orientation o, int papel) const override {
        if (papel != Qt::DisplayRole || o != Qt::Horizontal) return QAbstractTableModel::headerData(s, o, papel);
        return titulos_.value(s);
    }

private:
    QStringList titulos_;
    std::vector<QStringList> linhas_;
};

QString Q(const std::string& s) { return QString::fromStdString(s); }

QTableView* novaGrade(QWidget* pai, const char* nome, QStringList titulos) {
    auto* g = new QTableView(pai);
    g->setObjectName(QString::fromLatin1(nome));
    g->setModel(new ModeloTextos(std::move(titulos), g));
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setAlternatingRowColors(true);
    g->verticalHeader()->setVisible(false);
    // Uma linha de texto por registro: o texto inteiro está na dica da célula e nos quadros
    // "Mensagem" e "Dica" abaixo das grades
    g->setWordWrap(false);
    g->setTextElideMode(Qt::ElideRight);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 8);
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

ModeloTextos* modelo(QTableView* g) { return static_cast<ModeloTextos*>(g->model()); }

QPlainTextEdit* novoMemo(QWidget* pai, const char* nome) {
    auto* m = new QPlainTextEdit(pai);
    m->setObjectName(QString::fromLatin1(nome));
    m->setReadOnly(true);
    m->setMaximumHeight(70);
    return m;
}

}  // namespace

TFormVisaoConsistencias::TFormVisaoConsistencias(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai)
    : QDialog(pai), dm_(dm), declaracoes_(declaracoes), ui_(dm.ui()) {
    setObjectName(QStringLiteral("FormVisaoConsistencias"));
    setWindowTitle(QStringLiteral("Consistências"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    DefinirContextoAjuda(this, ContextoAjuda::Documentos);

    lblSituacao_ = new QLabel(this);
    lblSituacao_->setObjectName(QStringLiteral("lblSituacao"));
    QFont negrito = lblSituacao_->font();
    negrito.setBold(true);
    lblSituacao_->setFont(negrito);

    grdDocumentos_ = novaGrade(this, "grdDocumentos",
                               {QStringLiteral("Inscrição Estadual"), QStringLiteral("Contribuinte"),
                                QStringLiteral("Período"), QStringLiteral("Mês Inicial"), QStringLiteral("Mês Final")});
    // A inscrição cabe inteira, com o título da coluna
    grdDocumentos_->setColumnWidth(
        0, std::max(120, grdDocumentos_->horizontalHeader()->fontMetrics().horizontalAdvance(
                             QStringLiteral("Inscrição Estadual")) + 24));
    grdDocumentos_->setColumnWidth(1, 320);
    grdErros_ = novaGrade(this, "grdErros", {QStringLiteral("Erro"), QStringLiteral("Mensagem"), QStringLiteral("Dica")});
    grdErros_->setColumnWidth(0, 60);
    grdErros_->setColumnWidth(1, 420);
    memMensagem_ = novoMemo(this, "memMensagem");
    memDica_ = novoMemo(this, "memDica");
    lblOnde_ = new QLabel(this);
    lblOnde_->setObjectName(QStringLiteral("lblOnde"));
    lblOnde_->setWordWrap(true);

    actCorrigir = NovaAcao(this, "actCorrigir", QStringLiteral("&Corrigir"),
                           QStringLiteral("Ir ao lugar onde o erro é corrigido"));
    connect(actCorrigir, &QAction::triggered, this, &TFormVisaoConsistencias::corrigir);
    btnCorrigir_ = BotaoDaAcao(this, actCorrigir, "btnCorrigir", QStyle::SP_DialogApplyButton);
    // O duplo clique tenta mesmo com o botão desligado por um erro sem correção
    connect(grdErros_, &QTableView::doubleClicked, this, [this] { corrigir(); });
    btnFechar_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Fechar"), this);
    btnFechar_->setObjectName(QStringLiteral("btnFechar"));
    connect(btnFechar_, &QPushButton::clicked, this, &QDialog::accept);

    connect(grdDocumentos_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& i) { escolherDocumento(i.row()); });
    connect(grdErros_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& i) { mostrarErro(i.row()); });

    auto* rotMensagem = new QLabel(QStringLiteral("Mensagem"), this);
    auto* rotDica = new QLabel(QStringLiteral("Dica"), this);
    rotMensagem->setBuddy(memMensagem_);
    rotDica->setBuddy(memDica_);
    auto* rodape = new QHBoxLayout;
    rodape->addWidget(btnCorrigir_);
    rodape->addStretch(1);
    rodape->addWidget(btnFechar_);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(12, 12, 12, 12);
    lay->setSpacing(6);
    lay->addWidget(lblSituacao_);
    lay->addWidget(grdDocumentos_, 1);
    lay->addWidget(grdErros_, 2);
    lay->addWidget(rotMensagem);
    lay->addWidget(memMensagem_);
    lay->addWidget(rotDica);
    lay->addWidget(memDica_);
    lay->addWidget(lblOnde_);
    lay->addLayout(rodape);
    resize(900, 600);
    recarregar();
}

void TFormVisaoConsistencias::recarregar() {
    const QModelIndex atual = grdDocumentos_->currentIndex();
    const int antes = atual.isValid() ? documentos_.at(static_cast<size_t>(atual.row())).Documento : 0;
    documentos_ = dm_.Consistencias.cdsDocumentosErros;
    std::vector<QStringList> linhas;
    int escolhida = 0;
    for (size_t i = 0; i < documentos_.size(); ++i) {
        const LinhaDocumentoErros& d = documentos_[i];
        linhas.push_back({Q(d.IEContribuinte), Q(d.Contribuinte), QString::number(d.Periodo), Q(d.MesInicial),
                          Q(d.MesFinal)});
        if (d.Documento == antes) escolhida = static_cast<int>(i);
    }
    modelo(grdDocumentos_)->definir(std::move(linhas));
    if (documentos_.empty()) escolherDocumento(-1);
    else grdDocumentos_->setCurrentIndex(grdDocumentos_->model()->index(escolhida, 0));
    const size_t total = dm_.Consistencias.cdsErros.size();
    lblSituacao_->setText(total == 0 ? QStringLiteral("Nenhum erro encontrado: a declaração está consistente.")
                                     : QStringLiteral("Erros encontrados: %1").arg(total));
}

void TFormVisaoConsistencias::escolherDocumento(int linha) {
    erros_ = linha >= 0 && linha < static_cast<int>(documentos_.size())
                 ? dm_.Consistencias.errosDe(documentos_[static_cast<size_t>(linha)].Documento)
                 : std::vector<LinhaErro>{};
    std::vector<QStringList> linhas;
    for (const LinhaErro& e : erros_) linhas.push_back({Q(e.Erro), Q(e.Mensagem), Q(e.Dica)});
    modelo(grdErros_)->definir(std::move(linhas));
    actCorrigir->setEnabled(!erros_.empty());
    if (erros_.empty()) mostrarErro(-1);
    else grdErros_->setCurrentIndex(grdErros_->model()->index(0, 0));
}

void TFormVisaoConsistencias::mostrarErro(int linha) {
    const bool tem = linha >= 0 && linha < static_cast<int>(erros_.size());
    memMensagem_->setPlainText(tem ? Q(erros_[static_cast<size_t>(linha)].Mensagem) : QString());
    memDica_->setPlainText(tem ? Q(erros_[static_cast<size_t>(linha)].Dica) : QString());
    lblOnde_->setText(tem ? QStringLiteral("Onde corrigir: ") +
                                Q(OndeCorrigir(DestinoDaCorrecao(erros_[static_cast<size_t>(linha)].Erro,
                                                                 dm_.ref.cdsConsistencias)))
                          : QString());
}

bool TFormVisaoConsistencias::localizarDeclaracao(int documento) {
    auto procurar = [&] {
        for (int i = 0; i < declaracoes_.quantidade(); ++i)
            if (declaracoes_.valor(i, "DOCUMENTO_ID").inteiro() == documento) {
                declaracoes_.irPara(i);
                return true;
            }
        return false;
    };
    if (declaracoes_.editando()) declaracoes_.cancelar();
    if (procurar()) return true;
    declaracoes_.atualizar();  // criada depois que a lista foi lida
    return procurar();
}

void TFormVisaoConsistencias::corrigir() {
    const int linha = grdErros_->currentIndex().row();
    if (linha < 0 || linha >= static_cast<int>(erros_.size())) return;
    const LinhaErro erro = erros_[static_cast<size_t>(linha)];
    const DestinoCorrecao destino = DestinoDaCorrecao(erro.Erro, dm_.ref.cdsConsistencias);
    if (destino.forma == FormaCorrecao::Nenhuma) {
        actCorrigir->setEnabled(false);  // este erro não se corrige por aqui
        return;
    }
    try {
        if (!localizarDeclaracao(erro.Documento)) {
            ui_.erro("A declaração deste erro não foi encontrada na base de dados.");
            return;
        }
        declaracoes_.editar();
    } catch (const std::exception& e) {
        ui_.erro(e.what());
        return;
    }
    if (destino.forma == FormaCorrecao::Editor) abrirEditor(destino);
    else abrirDetalhamento(destino.tipoOperacao);
    // Nada fica em edição sem tela; a lista mostra a situação gravada
    try {
        if (declaracoes_.editando()) declaracoes_.cancelar();
        declaracoes_.atualizar();
    } catch (const std::exception& e) {
        ui_.erro(e.what());
    }
    recarregar();
}

void TFormVisaoConsistencias::abrirEditor(const DestinoCorrecao& destino) {
    // O editor grava e consiste a declaração ele mesmo (as listas ficam só com ela)
    try {
        TFormEdicaoDocumentos editor(dm_, &declaracoes_, this);
        editor.definirCorrecao(destino);
        editor.exec();
    } catch (const std::exception& e) {
        ui_.erro(e.what());
    }
}

void TFormVisaoConsistencias::abrirDetalhamento(int tipoOperacao) {
    // A tela grava a declaração e a consiste na mesma transação; os erros achados substituem
    // os desta declaração na lista
    try {
        auto tela = CriarTelaDetalhamento(tipoOperacao, dm_, declaracoes_, this);
        if (!tela) return;
        tela->definirDaListaConsistencia(true);
        declaracoes_.consistirAoGravar(&dm_.Consistencias);
        tela->exec();
    } catch (const std::exception& e) {
        ui_.erro(e.what());
    }
    declaracoes_.consistirAoGravar(nullptr);
}

}  // namespace kov::ui
