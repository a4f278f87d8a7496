#pragma once
// Dublê de Interacao para os testes: registra cada mensagem e responde às perguntas
// com as respostas programadas (Sim quando não há nenhuma).
#include <deque>
#include <string>
#include <vector>

#include "platform/Interacao.h"

namespace kov::teste {

struct MensagemGravada {
    std::string tipo;  // "info", "aviso", "erro", "confirma", "pergunta", "status", "pasta"
    std::string titulo;
    std::string texto;
};

class InteracaoGravada : public Interacao {
public:
    std::vector<MensagemGravada> mensagens;
    std::deque<bool> respostas;
    // Respostas da escolha de pasta, em ordem (vazio quando acabam: cancelado).
    std::deque<std::string> pastas;

    void mensagem(TipoMensagem tipo, const std::string& titulo, const std::string& texto) override;
    bool pergunta(const std::string& titulo, const std::string& texto) override;
    void mostrarStatus(const std::string& texto) override;
    std::string escolherPasta(const std::string& titulo, const std::string& inicial) override;

    // Textos de todas as mensagens (sem os status), na ordem.
    std::vector<std::string> textos() const;
    bool contem(const std::string& texto) const;

    // Respostas da pergunta de três saídas ("S", "N", "R" ou ""), em ordem ("S" quando acabam);
    // cada pergunta é gravada como "opcoes".
    std::deque<std::string> opcoes;
    std::string opcoesArquivoExistente() override;
    // Avisos de andamento recebidos e o último.
    int progressos = 0;
    unsigned long long ultimoFeito = 0, ultimoTotal = 0;
    void progresso(unsigned long long feito, unsigned long long total) override;
};

}  // namespace kov::teste
