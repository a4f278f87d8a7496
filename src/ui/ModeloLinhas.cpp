#include "ui/ModeloLinhas.h"

#include "data/Edicao.h"

namespace kov::ui {

ModeloLinhas::ModeloLinhas(ConjuntoDados& conjunto, std::vector<std::string> campos, QObject* pai)
    : QAbstractTableModel(pai), conjunto_(conjunto), campos_(std::move(campos)) {
    observador_ = conjunto_.observar([this](MudancaConjunto m, const std::string&) {
        switch (m) {
            case MudancaConjunto::Estado:
            case MudancaConjunto::Linhas:
                beginResetModel();
                endResetModel();
                emit registroAtualMudou(conjunto_.atual());
                break;
            case MudancaConjunto::Posicao: emit registroAtualMudou(conjunto_.atual()); break;
            case MudancaConjunto::Valor: break;  // a grade mostra o gravado, não a edição
        }
    });
}

ModeloLinhas::~ModeloLinhas() { conjunto_.deixarDeObservar(observador_); }

int ModeloLinhas::rowCount(const QModelIndex& pai) const { return pai.isValid() ? 0 : conjunto_.quantidade(); }

int ModeloLinhas::columnCount(const QModelIndex& pai) const {
    return pai.isValid() ? 0 : static_cast<int>(campos_.size());
}

QVariant ModeloLinhas::data(const QModelIndex& indice, int papel) const {
    if (!indice.isValid() || indice.row() >= conjunto_.quantidade() || indice.column() >= columnCount()) return {};
    const std::string& nome = campos_[static_cast<size_t>(indice.column())];
    const Campo* c = conjunto_.campo(nome);
    if (!c) return {};
    if (papel == Qt::DisplayRole || papel == Qt::ToolTipRole)
        return QString::fromStdString(conjunto_.texto(indice.row(), nome));
    if (papel == Qt::TextAlignmentRole) {
        const bool numero = c->especie == EspecieColuna::Inteiro || c->especie == EspecieColuna::Valor;
        return QVariant::fromValue(Qt::AlignVCenter | (numero ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant ModeloLinhas::headerData(int secao, Qt::Orientation orientacao, int papel) const {
    if (papel != Qt::DisplayRole) return QAbstractTableModel::headerData(secao, orientacao, papel);
    if (orientacao == Qt::Vertical) return secao + 1;
    if (secao < 0 || secao >= columnCount()) return {};
    const Campo* c = conjunto_.campo(campos_[static_cast<size_t>(secao)]);
    return QString::fromStdString(c ? c->rotulo : campos_[static_cast<size_t>(secao)]);
}

}  // namespace kov::ui
