#pragma once
// Filtro das listas: deixa só as linhas em que alguma coluna mostrada contém o texto
// procurado, sem distinguir maiúsculas nem acentos. Um texto só de dígitos e sinais de
// máscara (pontos, traços, barras, espaços) também acha os dígitos com ou sem a máscara:
// "123.456" acha a inscrição 1234567890107, e "1234567" acha "123.4567...".
#include <QSortFilterProxyModel>
#include <QString>
#include <vector>

namespace kov::ui {

class FiltroLinhas : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit FiltroLinhas(QObject* pai = nullptr);
    void setSourceModel(QAbstractItemModel* modelo) override;

    void definirTexto(const QString& texto);
    const QString& texto() const { return texto_; }

    // Forma de comparação de um texto: minúsculas sem acentos.
    static QString Normalizado(const QString& texto);

protected:
    bool filterAcceptsRow(int linha, const QModelIndex& pai) const override;

private:
    void esquecer();
    void lembrar() const;

    QString texto_, procurado_, digitos_;
    // Textos das linhas, montados na primeira procura e esquecidos quando a lista muda
    mutable std::vector<QString> linhas_, digitosLinhas_;
    mutable bool lembradas_ = false;
};

}  // namespace kov::ui
