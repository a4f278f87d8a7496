#pragma once
// Busca de municípios: a lista dos municípios por nome e a caixa "Localizar:", que põe em
// maiúsculas o que se digita e leva a lista ao primeiro município que começa com o texto.
// Quem chama lê o município corrente depois que a tela fechou confirmada.
#include <QAbstractTableModel>
#include <QDialog>
#include <optional>
#include <vector>

#include "data/Referencia.h"

class QAction;
class QLineEdit;
class QPushButton;
class QTableView;

namespace kov {
class Tdm;
}

namespace kov::ui {

// Lista de municípios mostrada na grade: uma coluna, DESCRICAO.
class ModeloMunicipios : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ModeloMunicipios(std::vector<LinhaMunicipio> linhas, QObject* pai = nullptr);
    int rowCount(const QModelIndex& pai = {}) const override;
    int columnCount(const QModelIndex& pai = {}) const override;
    QVariant data(const QModelIndex& indice, int papel) const override;
    QVariant headerData(int secao, Qt::Orientation orientacao, int papel) const override;
    const std::vector<LinhaMunicipio>& linhas() const { return linhas_; }

private:
    std::vector<LinhaMunicipio> linhas_;
};

class TfrmEscolheMunicipio : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEscolheMunicipio(Tdm& dm, QWidget* pai = nullptr);

    // Município da linha corrente da lista (vazio quando a lista está vazia).
    std::optional<LinhaMunicipio> municipio() const;
    // CODDRUMUNICIPIO do município corrente, 0 quando não há.
    int CODDRUMUNICIPIO() const;
    // Linha corrente da grade (-1 sem linha).
    int linhaAtual() const;

    QLineEdit* caixaLocalizar() const { return edtLocalizar_; }
    QTableView* grade() const { return grade_; }
    QAction* actConfirmar() const { return actConfirmar_; }
    QPushButton* botaoConfirmar() const { return btnConfirmar_; }
    QPushButton* botaoFechar() const { return btnFechar_; }

public slots:
    void confirmar();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void localizar(const QString& texto);
    void irParaLinha(int linha);
    void atualizarComandos();

    Tdm& dm_;
    ModeloMunicipios* modelo_;
    QLineEdit* edtLocalizar_;
    QTableView* grade_;
    QAction* actConfirmar_;
    QPushButton* btnConfirmar_;
    QPushButton* btnFechar_;
    bool semBusca_ = false;  // troca do texto feita pela própria tela, sem nova busca
};

}  // namespace kov::ui
