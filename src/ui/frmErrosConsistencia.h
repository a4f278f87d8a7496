#pragma once
// Erros da última consistência ("Consistências"): para a primeira declaração consistida, a
// inscrição, a razão social e o período, e a lista só de leitura dos seus erros com código,
// mensagem e dica. Sem erros, diz que a declaração está consistente.
#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;

namespace kov {
struct ListasConsistencia;
}

namespace kov::ui {

class TfrmErrosConsistencia : public QDialog {
    Q_OBJECT
public:
    TfrmErrosConsistencia(const ListasConsistencia& listas, QWidget* pai = nullptr);

    QTableView* grade() const { return grade_; }
    QLabel* rotuloDeclaracao() const { return lblDeclaracao_; }
    QLabel* rotuloSituacao() const { return lblSituacao_; }

private:
    QTableView* grade_;
    QLabel* lblDeclaracao_;
    QLabel* lblSituacao_;
    QPushButton* btnFechar_;
};

}  // namespace kov::ui
