#include "apoio/InteracaoGravada.h"

namespace kov::teste {

void InteracaoGravada::mensagem(TipoMensagem tipo, const std::string& titulo, const std::string& texto) {
    static const char* nomes[] = {"info", "aviso", "erro", "confirma"};
    mensagens.push_back({nomes[static_cast<int>(tipo)], titulo, texto});
}

bool InteracaoGravada::pergunta(const std::string& titulo, const std::string& texto) {
    mensagens.push_back({"pergunta", titulo, texto});
    if (respostas.empty()) return true;
    const bool r = respostas.front();
    respostas.pop_front();
    return r;
}

std::string InteracaoGravada::escolherPasta(const std::string& titulo, const std::string&) {
    mensagens.push_back({"pasta", titulo, {}});
    if (pastas.empty()) return {};
    std::string p = pastas.front();
    pastas.pop_front();
    return p;
}

void InteracaoGravada::mostrarStatus(const std::string& texto) { mensagens.push_back({"status", "", texto}); }

std::string InteracaoGravada::opcoesArquivoExistente() {
    mensagens.push_back({"opcoes", "Confirmação", "Já existe um arquivo de backup com data de hoje. Deseja sobrescreve-lo?"});
    if (opcoes.empty()) return "S";
    const std::string r = opcoes.front();
    opcoes.pop_front();
    return r;
}

void InteracaoGravada::progresso(unsigned long long feito, unsigned long long total) {
    ++progressos;
    ultimoFeito = feito;
    ultimoTotal = total;
}

std::vector<std::string> InteracaoGravada::textos() const {
    std::vector<std::string> v;
    for (const auto& m : mensagens)
        if (m.tipo != "status" && m.tipo != "pasta") v.push_back(m.texto);
    return v;
}

bool InteracaoGravada::contem(const std::string& texto) const {
    for (const auto& m : mensagens)
        if (m.texto == texto) return true;
    return false;
}

}  // namespace kov::teste
