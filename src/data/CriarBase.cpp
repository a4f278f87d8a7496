#include "data/CriarBase.h"

#include <filesystem>

#include "data/ScriptSQL.h"
#include "data/ScriptsBase.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace kov {

namespace {
bool caminhoLocal(const std::string& c) {
    // "host:caminho" vai a um servidor; "C:..." de uma letra não conta como host
    const auto p = c.find(':');
    return p == std::string::npos || p == 1;
}
// Lê todas as tabelas uma vez: as versões antigas de registros que a criação deixou (nas
// tabelas do sistema, alteradas pelos comandos de definição) são recolhidas agora, e não
// na primeira vez que o programa abrir a base.
void limparVersoesAntigas(fb::Conexao& c) {
    fb::Transacao tr(c);
    std::vector<std::string> tabelas;
    {
        fb::Comando q(tr, "SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$VIEW_BLR IS NULL AND "
                          "COALESCE(RDB$RELATION_TYPE, 0) = 0");
        while (q.proximo()) tabelas.push_back(q.coluna(0).texto());
    }
    for (const auto& t : tabelas) {
        fb::Comando q(tr, "SELECT COUNT(*) FROM \"" + t + "\"");
        q.proximo();
    }
    tr.commit();
}

}  // namespace

void criarBase(const std::string& caminho, const std::function<void(const std::string&)>& progresso) {
    std::vector<ScriptArquivo> scripts;
    for (const auto& s : scriptsBase()) scripts.push_back({std::string(s.nome), std::string(s.texto)});
    criarBase(caminho, scripts, progresso);
}

void criarBase(const std::string& caminho, const std::vector<ScriptArquivo>& scripts,
               const std::function<void(const std::string&)>& progresso) {
    if (caminho.empty()) throw ErroSistema("Informe o caminho da base a criar.");
    if (caminhoLocal(caminho) && std::filesystem::exists(caminho))
        throw ErroSistema("O arquivo \"" + caminho + "\" já existe e não será sobrescrito.");
    if (caminhoLocal(caminho)) {
        const auto pasta = std::filesystem::path(caminho).parent_path();
        if (!pasta.empty()) std::filesystem::create_directories(pasta);
    }
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = caminho;
    c.criar(p);
    try {
        for (const auto& s : scripts) {
            if (progresso) progresso(s.nome);
            executarScript(c, s.nome, s.texto);
        }
    } catch (...) {
        try {
            c.apagarBase();
        } catch (...) {
            c.fechar();
            if (caminhoLocal(caminho)) std::filesystem::remove(caminho);
        }
        throw;
    }
    limparVersoesAntigas(c);
    c.fechar();
}

}  // namespace kov
