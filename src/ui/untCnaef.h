#pragma once
// Seletor de atividade econômica: a árvore CNAE-F do ano base (divisões, grupos, classes,
// subclasses e desmembramentos). Só uma subclasse sem desmembramentos ou um desmembramento
// pode ser escolhido. Quem chama lê o código e o desmembramento depois que a tela fechou
// confirmada (QDialog::Accepted).
#include <QDialog>
#include <string>

#include "data/ArvoreCnaef.h"

class QAction;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kov {
class Tdm;
}

namespace kov::ui {

class TfrmEscolheCnaef : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEscolheCnaef(Tdm& dm, QWidget* pai = nullptr);

    // Código de 7 dígitos sem pontuação e desmembramento de 2 ("00" quando não há),
    // lidos do texto do nó escolhido; vazios até a confirmação.
    const std::string& codigo() const { return codigo_; }
    const std::string& desmembramento() const { return desmembramento_; }

    QTreeWidget* arvore() const { return arvore_; }
    QAction* actConfirmar() const { return actConfirmar_; }
    QPushButton* botaoConfirmar() const { return btnConfirmar_; }
    QPushButton* botaoFechar() const { return btnFechar_; }
    // Item da árvore de um texto de nó (nullptr se não há).
    QTreeWidgetItem* itemDoTexto(const QString& texto) const;

public slots:
    void confirmar();

private:
    void montarArvore();
    void atualizarComandos();
    bool itemConfirmavel(const QTreeWidgetItem* item) const;

    Tdm& dm_;
    ArvoreCnaef dados_;
    QTreeWidget* arvore_;
    QAction* actConfirmar_;
    QPushButton* btnConfirmar_;
    QPushButton* btnFechar_;
    std::string codigo_;
    std::string desmembramento_;
};

}  // namespace kov::ui
