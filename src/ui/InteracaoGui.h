#pragma once
// A conversa com o usuário na interface gráfica: caixas de mensagem em português, perguntas
// Sim/Não, escolha de pasta e o texto de situação na barra de status da janela principal.
#include <QPointer>
#include <QStatusBar>
#include <QWidget>

#include "platform/Interacao.h"

namespace kov::ui {

class InteracaoGui : public Interacao {
public:
    explicit InteracaoGui(QWidget* janela = nullptr) : janela_(janela) {}

    // Janela sobre a qual as caixas aparecem quando nenhuma outra está ativa.
    void definirJanela(QWidget* janela) { janela_ = janela; }
    // Barra que recebe os textos de situação (mostrarStatus/limparStatus) quando a janela
    // ativa não é uma tela de passos, que tem a sua linha de situação.
    void definirBarraStatus(QStatusBar* barra) { barra_ = barra; }

    void mensagem(TipoMensagem tipo, const std::string& titulo, const std::string& texto) override;
    bool pergunta(const std::string& titulo, const std::string& texto) override;
    void erro(const std::string& texto) override;
    std::string escolherPasta(const std::string& titulo, const std::string& inicial) override;
    void mostrarStatus(const std::string& texto) override;
    void limparStatus() override;
    // A pergunta de três saídas TscrOpcoes.
    std::string opcoesArquivoExistente() override;
    // A barra de andamento "barraProgresso" da janela ativa, quando ela tem uma.
    void progresso(unsigned long long feito, unsigned long long total) override;

private:
    QWidget* pai() const;

    QPointer<QWidget> janela_;
    QPointer<QStatusBar> barra_;
};

}  // namespace kov::ui
