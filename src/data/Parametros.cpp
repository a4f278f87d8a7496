#include "data/Parametros.h"

#include <ctime>

#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace kov {

std::vector<std::pair<std::string, std::string>> ListarParametros(fb::Conexao& c) {
    auto tr = fb::Transacao::leitura(c);
    fb::Comando q(tr, "SELECT CAMPO, VALOR FROM PARAMETROS ORDER BY CAMPO");
    std::vector<std::pair<std::string, std::string>> r;
    while (q.proximo()) r.emplace_back(q["CAMPO"].texto(), q["VALOR"].texto());
    return r;
}

std::optional<std::string> LerParametroExistente(fb::Conexao& c, const std::string& nome) {
    auto tr = fb::Transacao::leitura(c);
    fb::Comando q(tr, "SELECT VALOR FROM PARAMETROS WHERE UPPER(CAMPO) = UPPER(:CAMPO)");
    q.param("CAMPO", nome);
    if (!q.proximo()) return std::nullopt;
    return q["VALOR"].texto();
}

void ValidarAnoBase(const std::string& valor, int anoAtual) {
    const bool quatroDigitos = valor.size() == 4 && valor.find_first_not_of("0123456789") == std::string::npos;
    const int ano = quatroDigitos ? std::stoi(valor) : 0;
    if (ano < PRIMEIRO_ANO_BASE || ano > anoAtual)
        throw ErroSistema("Ano base inválido: " + valor + ". O ano base vai de " + std::to_string(PRIMEIRO_ANO_BASE) +
                          " a " + std::to_string(anoAtual) + ".");
}

int AnoAtual() {
    // Ano do relógio local, como a tela mostra (não o de UTC, que vira o ano horas antes)
    const std::time_t agora = std::time(nullptr);
    std::tm local{};
    localtime_r(&agora, &local);
    return local.tm_year + 1900;
}

}  // namespace kov
