#include "ui/ModeloLinhas.h"

#include "data/Edicao.h"
#include "platform/Interacao.h"

namespace kov::ui {

namespace {

// Campo que a célula escreve: o próprio, ou a última chave de um campo de consulta.
std::string campoEscrito(const Campo& c) {
    if (!c.consulta()) return c.calculado ? std::string() : c.nome;
    const std::string& k = c.chaves;
    const size_t p = k.rfind(';');
    return p == std::string::npos ? k : k.substr(p + 1);
}

}  // namespace

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
            case MudancaConjunto::Valor:
                // A grade só mostra o gravado; a editável mostra também a linha em edição
                if (const int l = linhaEmEdicao(); l >= 0 && columnCount() > 0)
                    emit dataChanged(index(l, 0), index(l, columnCount() - 1));
                break;
        }
    });
}

ModeloLinhas::~ModeloLinhas() { conjunto_.deixarDeObservar(observador_); }

void ModeloLinhas::definirEditavel(bool editavel) {
    beginResetModel();
    editavel_ = editavel;
    endResetModel();
}

void ModeloLinhas::definirFigura(const std::string& campo, std::function<QIcon(int)> figura) {
    figuras_[campo] = std::move(figura);
}

void ModeloLinhas::definirCorTexto(std::function<QColor(int)> cor) { cor_ = std::move(cor); }

void ModeloLinhas::definirTitulo(const std::string& campo, const QString& titulo) { titulos_[campo] = titulo; }

int ModeloLinhas::linhaEmEdicao() const {
    if (!editavel_) return -1;
    switch (conjunto_.estado()) {
        case EstadoConjunto::Insercao: return conjunto_.quantidade();
        case EstadoConjunto::Edicao: return conjunto_.atual();
        default: return -1;
    }
}

int ModeloLinhas::colunaDoCampo(const std::string& campo) const {
    for (size_t i = 0; i < campos_.size(); ++i)
        if (campos_[i] == campo) return static_cast<int>(i);
    return -1;
}

int ModeloLinhas::rowCount(const QModelIndex& pai) const {
    if (pai.isValid()) return 0;
    const bool inserindo = editavel_ && conjunto_.estado() == EstadoConjunto::Insercao;
    return conjunto_.quantidade() + (inserindo ? 1 : 0);
}

int ModeloLinhas::columnCount(const QModelIndex& pai) const {
    return pai.isValid() ? 0 : static_cast<int>(campos_.size());
}

QVariant ModeloLinhas::data(const QModelIndex& indice, int papel) const {
    if (!indice.isValid() || indice.row() >= rowCount() || indice.column() >= columnCount()) return {};
    const std::string& nome = campos_[static_cast<size_t>(indice.column())];
    const Campo* c = conjunto_.campo(nome);
    if (!c) return {};
    const bool emEdicao = indice.row() == linhaEmEdicao();
    auto texto = [&] {
        std::string t = emEdicao ? conjunto_.texto(nome) : conjunto_.texto(indice.row(), nome);
        // Chave ainda não escolhida (0) aparece vazia
        if (c->especie == EspecieColuna::Chave && t == "0") t.clear();
        return QString::fromStdString(t);
    };
    const auto figura = figuras_.find(nome);
    switch (papel) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            if (figura != figuras_.end()) return papel == Qt::ToolTipRole ? texto() : QVariant();
            return texto();
        case Qt::EditRole: {
            // A consulta é editada pela chave; um valor, sem separador de milhar
            const std::string escrito = campoEscrito(*c);
            if (c->consulta() && !escrito.empty())
                return QString::fromStdString(emEdicao ? conjunto_.texto(escrito) : conjunto_.texto(indice.row(), escrito));
            if (c->especie == EspecieColuna::Valor) {
                const fb::Valor v = emEdicao ? conjunto_.valor(nome) : conjunto_.valor(indice.row(), nome);
                if (v.nulo()) return QString();
                const int64_t centavos = v.dinheiro().centavos();
                if (centavos % 100 == 0) return QString::number(centavos / 100);
                return QString::fromStdString(v.dinheiro().formatado());
            }
            return texto();
        }
        case Qt::DecorationRole:
            if (figura != figuras_.end() && !emEdicao) return figura->second(indice.row());
            return {};
        case Qt::ForegroundRole:
            if (cor_ && !emEdicao) {
                const QColor cor = cor_(indice.row());
                if (cor.isValid()) return cor;
            }
            return {};
        case Qt::TextAlignmentRole: {
            const bool numero = c->especie == EspecieColuna::Inteiro || c->especie == EspecieColuna::Valor;
            return QVariant::fromValue(Qt::AlignVCenter | (numero ? Qt::AlignRight : Qt::AlignLeft));
        }
        default: return {};
    }
}

Qt::ItemFlags ModeloLinhas::flags(const QModelIndex& indice) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(indice);
    if (!editavel_ || !indice.isValid() || conjunto_.somenteLeitura()) return f;
    const Campo* c = conjunto_.campo(campos_[static_cast<size_t>(indice.column())]);
    if (c && !campoEscrito(*c).empty()) f |= Qt::ItemIsEditable;
    return f;
}

bool ModeloLinhas::setData(const QModelIndex& indice, const QVariant& valor, int papel) {
    if (!editavel_ || papel != Qt::EditRole || !indice.isValid()) return false;
    const Campo* c = conjunto_.campo(campos_[static_cast<size_t>(indice.column())]);
    const std::string campo = c ? campoEscrito(*c) : std::string();
    if (campo.empty()) return false;
    // Escrever numa linha que não está em edição põe o registro dela em edição
    if (indice.row() != linhaEmEdicao()) {
        if (!conjunto_.navegando() || indice.row() >= conjunto_.quantidade()) return false;
        conjunto_.irPara(indice.row());
        conjunto_.editar();
        if (!conjunto_.editando()) return false;
    }
    try {
        conjunto_.definirTexto(campo, valor.toString().toStdString());
    } catch (const ErroSistema& e) {
        emit edicaoRecusada(QString::fromStdString(e.what()), indice);
        return false;
    }
    emit dataChanged(index(indice.row(), 0), index(indice.row(), columnCount() - 1));
    return true;
}

QVariant ModeloLinhas::headerData(int secao, Qt::Orientation orientacao, int papel) const {
    if (papel != Qt::DisplayRole) return QAbstractTableModel::headerData(secao, orientacao, papel);
    if (orientacao == Qt::Vertical) return secao + 1;
    if (secao < 0 || secao >= columnCount()) return {};
    const std::string& nome = campos_[static_cast<size_t>(secao)];
    if (figuras_.count(nome)) return QString();
    if (const auto t = titulos_.find(nome); t != titulos_.end()) return t->second;
    const Campo* c = conjunto_.campo(nome);
    return QString::fromStdString(c ? c->rotulo : nome);
}

}  // namespace kov::ui
