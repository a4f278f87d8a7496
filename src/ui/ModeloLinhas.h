#pragma once
// Modelo de tabela das grades: as linhas de um conjunto de dados, uma coluna por campo
// escolhido, com o rótulo do campo no título. Segue o conjunto: é refeito quando as
// linhas mudam e avisa quando o registro atual muda.
//
// Numa grade editável a linha em edição mostra o registro em edição (a linha em inclusão
// aparece no fim) e escrever numa célula põe o registro atual em edição; uma coluna de
// consulta recebe a chave escolhida. Colunas de figura mostram um desenho pelo valor do
// campo, sem texto; a cor do texto pode vir da linha.
#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <functional>
#include <map>
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
    Qt::ItemFlags flags(const QModelIndex& indice) const override;
    bool setData(const QModelIndex& indice, const QVariant& valor, int papel = Qt::EditRole) override;

    ConjuntoDados& conjunto() const { return conjunto_; }
    const std::vector<std::string>& campos() const { return campos_; }
    int colunaDoCampo(const std::string& campo) const;

    void definirEditavel(bool editavel);
    bool editavel() const { return editavel_; }
    // Linha da grade que mostra o registro em edição (-1 fora da edição).
    int linhaEmEdicao() const;
    // A coluna do campo mostra só o desenho que a função dá para a linha do conjunto.
    void definirFigura(const std::string& campo, std::function<QIcon(int linha)> figura);
    // Cor do texto de cada linha (inválida: a da paleta).
    void definirCorTexto(std::function<QColor(int linha)> cor);
    // Título da coluna nesta grade, no lugar do rótulo do campo.
    void definirTitulo(const std::string& campo, const QString& titulo);

signals:
    // Linha do registro atual do conjunto (-1 sem registro).
    void registroAtualMudou(int linha);
    // Um texto escrito numa célula foi recusado pelo campo (a célula volta ao valor dele).
    void edicaoRecusada(const QString& mensagem, const QModelIndex& indice);

private:
    ConjuntoDados& conjunto_;
    std::vector<std::string> campos_;
    std::map<std::string, std::function<QIcon(int)>> figuras_;
    std::function<QColor(int)> cor_;
    std::map<std::string, QString> titulos_;
    bool editavel_ = false;
    int observador_ = 0;
};

}  // namespace kov::ui
