#pragma once
// Controles ligados a campos que o Qt não tem prontos: o grupo de opções (as escolhas
// "Sim"/"Nao", "Real"/"Presumida" gravadas como um valor do campo), a lista de consulta
// que avisa quando abre e fecha e que pode aceitar só a escolha na lista aberta, e o campo
// das figuras da declaração (reais inteiros).
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QList>
#include <QString>

#include "data/fb/Valor.h"

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

// Campo de uma figura da declaração, em reais inteiros, alinhado à direita. Fora do foco
// mostra o valor com a máscara "#,##0"; com o foco, o número sem separador de milhar, que
// é o que se edita. Só aceita dígitos (e "-", quando aceita sinal): toda outra tecla de
// caractere, a vírgula inclusive, é ignorada. Esvaziado, volta a "0", selecionado. Ao sair,
// um valor com vírgula decimal (vindo de outro lugar) é truncado para inteiro.
class CampoValor : public QLineEdit {
    Q_OBJECT
public:
    explicit CampoValor(QWidget* pai = nullptr);

    void definirAceitaSinal(bool aceita) { sinal_ = aceita; }
    bool aceitaSinal() const { return sinal_; }
    // Mostra o valor do campo no formato do momento (com ou sem o foco).
    void mostrarValor(const fb::Valor& v);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void trocarTexto(const QString& t);
    fb::Valor valor_;
    bool sinal_ = false;
};

}  // namespace kov::ui
