#pragma once
// "Trazer do ano anterior": a lista dos contribuintes com declaração no ano anterior e
// nenhuma no ano base, para marcar ("Selecionar Todas"); depois de trazer, a mesma janela
// mostra o que foi criado e o que foi pulado, com o motivo.
#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTableWidget;

namespace kov {
class Tdm;
class Interacao;
}  // namespace kov

namespace kov::ui {

class TfrmAnoAnterior : public QDialog {
    Q_OBJECT
public:
    TfrmAnoAnterior(Tdm& dm, Interacao& ui, QWidget* pai = nullptr);

    QListWidget* lista() const { return lista_; }
    QCheckBox* selecionarTodas() const { return todas_; }
    QPushButton* botaoTrazer() const { return trazer_; }
    QTableWidget* resultados() const { return resultados_; }
    QLabel* resumo() const { return resumo_; }
    // Quantas declarações foram criadas na última vez que trouxe
    int criadas() const { return criadas_; }

public slots:
    void trazerMarcados();

private:
    void marcarTodas(bool marcar);
    void atualizarBotao();

    Tdm& dm_;
    Interacao& ui_;
    QStackedWidget* paginas_;
    QListWidget* lista_;
    QCheckBox* todas_;
    QPushButton* trazer_;
    QTableWidget* resultados_;
    QLabel* resumo_;
    QLabel* titulo_;
    int criadas_ = 0;
};

}  // namespace kov::ui
