#pragma once
// Controles ligados a campos que o Qt não tem prontos: o grupo de opções (as escolhas
// "Sim"/"Nao", "Real"/"Presumida" gravadas como um valor do campo) e a lista de consulta
// que avisa quando abre e fecha e que pode aceitar só a escolha na lista aberta.
#include <QComboBox>
#include <QGroupBox>
#include <QList>
#include <QString>

class QButtonGroup;
class QRadioButton;

namespace kov::ui {

class GrupoOpcoes : public QGroupBox {
    Q_OBJECT
public:
    explicit GrupoOpcoes(const QString& titulo, QWidget* pai = nullptr);

    // Acrescenta uma opção que grava 'valor' no campo.
    QRadioButton* adicionar(const QString& texto, const QString& valor);
    // Valor da opção marcada; vazio quando nenhuma está.
    QString valor() const;
    // Marca a opção do valor (nenhuma, para um valor que não é de nenhuma), sem avisar.
    void definirValor(const QString& valor);
    QList<QRadioButton*> botoes() const;
    QRadioButton* botao(const QString& valor) const;

signals:
    // Só quando o usuário escolhe (clique ou teclado).
    void escolhida(const QString& valor);

private:
    QButtonGroup* grupo_;
    QList<QString> valores_;
};

class ListaConsulta : public QComboBox {
    Q_OBJECT
public:
    explicit ListaConsulta(QWidget* pai = nullptr);

    // Só a escolha na lista aberta vale: o teclado não muda a escolha (F4, Alt+Seta e
    // espaço abrem a lista).
    void definirSoPelaLista(bool so) { soPelaLista_ = so; }
    void showPopup() override;
    void hidePopup() override;

signals:
    void abrindo();
    void fechada();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    bool soPelaLista_ = false;
};

}  // namespace kov::ui
