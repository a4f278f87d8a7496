#pragma once
// A tela da entrega: as linhas dos passos (" ok." / " falhou."), a contagem, a barra de
// progresso e a linha do resultado (em vermelho quando falhou). A execução é do núcleo
// (ExecucaoEntrega); a tela é o seu painel e começa a execução quando aparece.
#include <memory>

#include "delivery/untEntrega.h"
#include "ui/pdrBasica.h"

class QLabel;
class QProgressBar;
class QFrame;

namespace kov {
class Tdm;
}

namespace kov::ui {

class TscrUntEntrega : public TscrPdrBasica, public PainelEntrega {
    Q_OBJECT
public:
    TscrUntEntrega(Tdm& dm, ModoEntrega modo, QWidget* pai = nullptr);
    ~TscrUntEntrega() override;

    // A execução ligada a esta tela (o relógio do sistema).
    ExecucaoEntrega& execucao() { return *execucao_; }
    bool rodando() const { return rodando_; }
    QLabel* linhaPasso(int numero) const;
    QLabel* resultadoLinha() const { return lblResultado_; }

    // PainelEntrega
    void contagem(const std::string& texto) override;
    void passo(int numero, const std::string& texto) override;
    void marcado(int numero, const std::string& linha, bool ok) override;
    void nota(const std::string& texto) override;
    void progresso(int valor, int maximo) override;
    void resultado(const std::string& texto, bool falhou) override;
    void ocupado(bool sim) override;
    void processarEventos() override;

signals:
    void execucaoTerminada(bool sucesso);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void executar();
    // As linhas dos passos e as notas, como a execução as tem
    void redesenharLinhas();

    Tdm& dm_;
    std::unique_ptr<Relogio> relogio_;
    std::unique_ptr<ExecucaoEntrega> execucao_;
    QLabel* lblContagem_;
    QLabel* linhas_[9];
    QFrame* separador_;
    QLabel* lblResultado_;
    QProgressBar* barra_;
    bool iniciada_ = false;
    bool rodando_ = false;
};

// A entrega a partir da janela principal: a escolha das declarações no modo, a confirmação e
// a lista gravada, a tela de entrega modal e, depois dela, a lista apagada.
void AbrirTelaEntrega(Tdm& dm, ModoEntrega modo, QWidget* pai);

}  // namespace kov::ui
