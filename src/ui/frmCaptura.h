#pragma once
// A tela de protocolos: captura (modo 0) e impressão do recibo de um protocolo da pasta
// (modo 1). A leitura, a captura e a escolha do que imprimir são do núcleo
// (CapturaProtocolos); a tela mostra a grade e abre a pré-visualização do recibo.
#include <memory>

#include "delivery/untCaptura.h"
#include "ui/pdrBasica.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace kov {
class Tdm;
}

namespace kov::ui {

class TscrUntCaptura : public TscrPdrBasica {
    Q_OBJECT
public:
    TscrUntCaptura(Tdm& dm, ModoCaptura modo, QWidget* pai = nullptr);
    ~TscrUntCaptura() override;

    CapturaProtocolos& captura() { return *captura_; }
    QTableWidget* grade() const { return grProtocolos_; }
    QPushButton* botaoCapturar() const { return btnCapturar_; }
    QPushButton* botaoImprimir() const { return btnImprimir_; }

    // Pede a pasta e preenche a grade; falso quando não há o que mostrar.
    bool CarregarProtocolos();
    void actCapturarExecute();
    void actImprimirExecute();

private:
    void preencherGrade();

    Tdm& dm_;
    std::unique_ptr<CapturaProtocolos> captura_;
    QLabel* lblTitulo_;
    QTableWidget* grProtocolos_;
    QPushButton* btnCapturar_;
    QPushButton* btnImprimir_;
};

// Entrada da janela principal: a tela no modo, mostrada só quando a pasta tem protocolos.
void AbrirTelaProtocolos(Tdm& dm, ModoCaptura modo, QWidget* pai);

}  // namespace kov::ui
