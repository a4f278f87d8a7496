#pragma once
// Tela de parâmetros: escolha do ano base (ANOEXERCICIO), que limita as declarações
// mostradas e é o ano contra o qual as regras das declarações comparam.
#include <QDate>
#include <QDialog>
#include <QPointer>

#include "data/Parametros.h"

class QComboBox;
class QPushButton;

namespace kov {
class Tdm;
}

namespace kov::ui {

class TfrmParametros : public QDialog {
    Q_OBJECT
public:
    // 'janelaPrincipal' recebe o pedido de atualizar o ano base depois do OK; 'hoje' é a
    // data do computador (informada nos testes). Lança o erro da base quando não consegue
    // ler o ano gravado.
    TfrmParametros(Tdm& dm, QWidget* janelaPrincipal = nullptr, QDate hoje = QDate::currentDate());

    static constexpr int PrimeiroAno = PRIMEIRO_ANO_BASE;

    QComboBox* listaAnos() const { return cbAno_; }
    QPushButton* botaoOk() const { return btnOk_; }
    QPushButton* botaoFechar() const { return btnFechar_; }

public slots:
    void confirmar();  // "&OK"
    void done(int r) override;

private:
    bool podeFechar();

    Tdm& dm_;
    QPointer<QWidget> principal_;
    QComboBox* cbAno_;
    QPushButton* btnOk_;
    QPushButton* btnFechar_;
};

}  // namespace kov::ui
