#pragma once
// Confirmação de três saídas das telas de cópia de segurança, quando já existe um arquivo
// de backup com a data do dia: sobrescrever, não gravar ou gravar com outro nome.
#include <QDialog>
#include <QString>

class QPushButton;

namespace kov::ui {

class TscrOpcoes : public QDialog {
    Q_OBJECT
public:
    explicit TscrOpcoes(QWidget* pai = nullptr);

    // "" ao abrir e quando a janela é fechada pela moldura; "S", "N" ou "R" pelo botão.
    QString resultado() const { return resultado_; }

    QPushButton* botaoSim() const { return btnSim_; }
    QPushButton* botaoNao() const { return btnNao_; }
    QPushButton* botaoOutroNome() const { return btnOutroNome_; }

private:
    void escolher(const QString& r);

    QString resultado_;
    QPushButton* btnSim_;
    QPushButton* btnNao_;
    QPushButton* btnOutroNome_;
};

}  // namespace kov::ui
