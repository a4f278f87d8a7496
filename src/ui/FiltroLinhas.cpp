#include "ui/FiltroLinhas.h"

namespace kov::ui {

namespace {

const QChar Separador = QChar(0x1f);

QString soDigitos(const QString& t) {
    QString d;
    for (QChar c : t)
        if (c.isDigit()) d += c;
    return d;
}

// Dígitos com os sinais das máscaras de inscrição, CNPJ e CEP, e nada mais.
bool pareceNumeroComMascara(const QString& t) {
    bool digito = false;
    for (QChar c : t) {
        if (c.isDigit()) digito = true;
        else if (c != u'.' && c != u'-' && c != u'/' && c != u' ') return false;
    }
    return digito;
}

}  // namespace

FiltroLinhas::FiltroLinhas(QObject* pai) : QSortFilterProxyModel(pai) {}

void FiltroLinhas::setSourceModel(QAbstractItemModel* modelo) {
    if (sourceModel()) disconnect(sourceModel(), nullptr, this, nullptr);
    esquecer();
    // Ligados antes dos do próprio filtro: os textos lembrados são esquecidos antes de ele
    // voltar a filtrar as linhas novas
    if (modelo) {
        connect(modelo, &QAbstractItemModel::modelReset, this, &FiltroLinhas::esquecer);
        connect(modelo, &QAbstractItemModel::rowsInserted, this, &FiltroLinhas::esquecer);
        connect(modelo, &QAbstractItemModel::rowsRemoved, this, &FiltroLinhas::esquecer);
        connect(modelo, &QAbstractItemModel::dataChanged, this, &FiltroLinhas::esquecer);
    }
    QSortFilterProxyModel::setSourceModel(modelo);
}

QString FiltroLinhas::Normalizado(const QString& texto) {
    const QString d = texto.normalized(QString::NormalizationForm_D);
    QString s;
    s.reserve(d.size());
    for (QChar c : d)
        if (c.category() != QChar::Mark_NonSpacing) s += c.toLower();
    return s;
}

void FiltroLinhas::esquecer() {
    lembradas_ = false;
    linhas_.clear();
    digitosLinhas_.clear();
}

void FiltroLinhas::lembrar() const {
    if (lembradas_ || !sourceModel()) return;
    const QAbstractItemModel* m = sourceModel();
    const int n = m->rowCount(), colunas = m->columnCount();
    linhas_.assign(static_cast<size_t>(n), {});
    digitosLinhas_.assign(static_cast<size_t>(n), {});
    for (int i = 0; i < n; ++i) {
        QString linha, digitos;
        for (int c = 0; c < colunas; ++c) {
            const QString t = m->index(i, c).data(Qt::DisplayRole).toString();
            if (t.isEmpty()) continue;
            linha += Normalizado(t) + Separador;
            digitos += soDigitos(t) + Separador;
        }
        linhas_[static_cast<size_t>(i)] = linha;
        digitosLinhas_[static_cast<size_t>(i)] = digitos;
    }
    lembradas_ = true;
}

void FiltroLinhas::definirTexto(const QString& texto) {
    texto_ = texto;
    procurado_ = Normalizado(texto.trimmed());
    digitos_ = pareceNumeroComMascara(texto.trimmed()) ? soDigitos(texto) : QString();
    invalidateFilter();
}

bool FiltroLinhas::filterAcceptsRow(int linha, const QModelIndex& pai) const {
    if (procurado_.isEmpty() || pai.isValid()) return true;
    lembrar();
    if (linha < 0 || linha >= static_cast<int>(linhas_.size())) return true;
    if (linhas_[static_cast<size_t>(linha)].contains(procurado_)) return true;
    return !digitos_.isEmpty() && digitosLinhas_[static_cast<size_t>(linha)].contains(digitos_);
}

}  // namespace kov::ui
