#include "ui/frmErrosConsistencia.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include "data/Consistencia.h"
#include "ui/Ajuda.h"

namespace kov::ui {

namespace {

class ModeloErros : public QAbstractTableModel {
public:
    ModeloErros(std::vector<LinhaErro> erros, QObject* pai) : QAbstractTableModel(pai), erros_(std::move(erros)) {}
    int rowCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : static_cast<int>(erros_.size()); }
    int columnCount(const QModelIndex& p = {}) const override { return p.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex& i, int papel) const override {
        if (!i.isValid() || (papel != Qt::DisplayRole && papel != Qt::ToolTipRole)) return {};
        const LinhaErro& e = erros_.at(static_cast<size_t>(i.row()));
        const std::string& t = i.column() == 0 ? e.Erro : i.column() == 1 ? e.Mensagem : e.Dica;
        return QString::fromStdString(t);
    }
    QVariant headerData(int s, Qt::Orientation o, int papel) const override {
        if (papel != Qt::DisplayRole || o != Qt::Horizontal) return QAbstractTableModel::headerData(s, o, papel);
        static const char* const titulos[] = {"Erro", "Mensagem", "Dica"};
        return s >= 0 && s < 3 ? QString::fromUtf8(titulos[s]) : QVariant();
    }

private:
    std::vector<LinhaErro> erros_;
};

}  // namespace

TfrmErrosConsistencia::TfrmErrosConsistencia(const ListasConsistencia& listas, QWidget* pai) : QDialog(pai) {
    setObjectName(QStringLiteral("frmErrosConsistencia"));
    setWindowTitle(QStringLiteral("Consistências"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    DefinirContextoAjuda(this, ContextoAjuda::Documentos);

    std::vector<LinhaErro> erros;
    lblDeclaracao_ = new QLabel(this);
    lblDeclaracao_->setObjectName(QStringLiteral("lblDeclaracao"));
    if (!listas.cdsDocumentosErros.empty()) {
        const LinhaDocumentoErros& d = listas.cdsDocumentosErros.front();
        lblDeclaracao_->setText(QString::fromStdString(d.IEContribuinte + " - " + d.Contribuinte + "   " +
                                                       std::to_string(d.Periodo) + ": " + d.MesInicial + " a " +
                                                       d.MesFinal));
        erros = listas.errosDe(d.Documento);
    }
    QFont negrito = lblDeclaracao_->font();
    negrito.setBold(true);
    lblDeclaracao_->setFont(negrito);

    lblSituacao_ = new QLabel(this);
    lblSituacao_->setObjectName(QStringLiteral("lblSituacao"));
    lblSituacao_->setText(erros.empty() ? QStringLiteral("Nenhum erro encontrado: a declaração está consistente.")
                                        : QStringLiteral("Erros encontrados: %1").arg(erros.size()));

    grade_ = new QTableView(this);
    grade_->setObjectName(QStringLiteral("grdErros"));
    grade_->setModel(new ModeloErros(std::move(erros), grade_));
    grade_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grade_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grade_->setSelectionMode(QAbstractItemView::SingleSelection);
    grade_->setWordWrap(true);
    grade_->setAlternatingRowColors(true);
    grade_->verticalHeader()->setVisible(false);
    grade_->horizontalHeader()->setStretchLastSection(true);
    grade_->setColumnWidth(0, 60);
    grade_->setColumnWidth(1, 380);
    // A altura das linhas acompanha a largura da mensagem e da dica
    connect(grade_->horizontalHeader(), &QHeaderView::sectionResized, grade_, &QTableView::resizeRowsToContents);

    btnFechar_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Fechar"), this);
    btnFechar_->setObjectName(QStringLiteral("btnFechar"));
    btnFechar_->setDefault(true);
    connect(btnFechar_, &QPushButton::clicked, this, &QDialog::accept);

    auto* rodape = new QHBoxLayout;
    rodape->addStretch(1);
    rodape->addWidget(btnFechar_);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(12, 12, 12, 12);
    lay->setSpacing(8);
    lay->addWidget(lblDeclaracao_);
    lay->addWidget(lblSituacao_);
    lay->addWidget(grade_, 1);
    lay->addLayout(rodape);
    resize(820, 420);
}

}  // namespace kov::ui
