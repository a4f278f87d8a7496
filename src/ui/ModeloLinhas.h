#pragma once
// Modelo de tabela das grades: as linhas de um conjunto de dados, uma coluna por campo
// escolhido, com o rótulo do campo no título. Segue o conjunto: é refeito quando as
// linhas mudam e avisa quando o registro atual muda.
#include <QAbstractTableModel>
#include <string>
#include <vector>

namespace kov {
class ConjuntoDados;
}

namespace kov::ui {

class ModeloLinhas : public QAbstractTableModel {
    Q_OBJECT
public:
    ModeloLinhas(ConjuntoDados& conjunto, std::vector<std::string> campos, QObject* pai = nullptr);
    ~ModeloLinhas() override;

    int rowCount(const QModelIndex& pai = {}) const override;
    int columnCount(const QModelIndex& pai = {}) const override;
    QVariant data(const QModelIndex& indice, int papel) const override;
    QVariant headerData(int secao, Qt::Orientation orientacao, int papel) const override;

    ConjuntoDados& conjunto() const { return conjunto_; }
    const std::vector<std::string>& campos() const { return campos_; }

signals:
    // Linha do registro atual do conjunto (-1 sem registro).
    void registroAtualMudou(int linha);

private:
    ConjuntoDados& conjunto_;
    std::vector<std::string> campos_;
    int observador_ = 0;
};

}  // namespace kov::ui
