#include "data/AberturaBase.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <vector>

#include "data/fb/Comando.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"

namespace kov {

namespace {

// Tabelas presentes em todas as versões da base, da 7.00.04 à atual.
const std::array<const char*, 11> TABELAS_DO_KOV = {"CONTRIBUINTE", "DOCUMENTO",      "ESTOQUE",
                                                    "ENTRADA",      "SAIDA",          "KOV",
                                                    "EXCLUSOESKOV", "DETALHAMENTOES", "CNAEF",
                                                    "MUNICIPIO",    "TRANSMISSAO"};

// Nomes longos o bastante para não aparecerem por acaso num arquivo de outro programa.
const std::array<std::string_view, 3> ASSINATURA = {"CONTRIBUINTE", "DETALHAMENTOES", "EXCLUSOESKOV"};

const char* const CONFIRA_INI = "Confira o caminho da chave Database, seção [KOV], do arquivo KOV.ini.";
const char* const RESTAURE = "Restaure uma cópia de segurança da base (por exemplo, a cópia KOV-<versão>.GDB que a "
                             "atualização guarda na pasta da base) ou procure o suporte.";

}  // namespace

bool TemTabelasDoKOV(fb::Transacao& tr) {
    std::string lista;
    for (const char* t : TABELAS_DO_KOV) lista += std::string(lista.empty() ? "'" : ", '") + t + "'";
    fb::Comando q(tr, "SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$SYSTEM_FLAG = 0 AND RDB$RELATION_NAME IN (" +
                          lista + ")");
    return q.proximo() && q.coluna(0).inteiro() == static_cast<int64_t>(TABELAS_DO_KOV.size());
}

bool PareceBaseDoKOV(const std::string& arquivo) {
    std::ifstream f(arquivo, std::ios::binary);
    if (!f) return false;
    std::array<bool, ASSINATURA.size()> achado{};
    size_t faltam = ASSINATURA.size();
    const size_t sobra = 32;  // um nome cortado entre dois blocos aparece inteiro no seguinte
    std::vector<char> buf(1 << 20);
    size_t guardados = 0;
    while (faltam > 0 && f) {
        f.read(buf.data() + guardados, static_cast<std::streamsize>(buf.size() - guardados));
        const size_t total = guardados + static_cast<size_t>(f.gcount());
        if (total == guardados) break;
        const std::string_view bloco(buf.data(), total);
        for (size_t i = 0; i < ASSINATURA.size(); ++i)
            if (!achado[i] && bloco.find(ASSINATURA[i]) != std::string_view::npos) {
                achado[i] = true;
                --faltam;
            }
        guardados = std::min(sobra, total);
        std::copy(buf.begin() + static_cast<std::ptrdiff_t>(total - guardados),
                  buf.begin() + static_cast<std::ptrdiff_t>(total), buf.begin());
    }
    return faltam == 0;
}

std::string MensagemBaseEstranha(const std::string& caminho) {
    return "O arquivo " + caminho +
           " é uma base de dados Firebird, mas não é uma base do KOV: faltam as tabelas do programa "
           "(CONTRIBUINTE, DOCUMENTO e as das declarações). A base não foi atualizada nem alterada.\r\n" +
           CONFIRA_INI;
}

std::string ExplicarFalhaAbertura(const fb::ErroBanco& e, const std::string& caminho) {
    using Causa = fb::ErroBanco::CausaAbertura;
    switch (e.causaAbertura()) {
        case Causa::AbertaPorOutro:
            return "A base de dados está aberta por outro programa (outro kov ou kov-cli, ou um servidor Firebird), "
                   "e o motor embutido só permite um programa de cada vez. Feche o outro programa e tente de novo. "
                   "Para usar a base em mais de um programa ao mesmo tempo, sirva-a por um servidor Firebird: no "
                   "KOV.ini, Database=localhost:/caminho/da/base/KOV.GDB.";
        case Causa::ArquivoAusente:
            return "O arquivo da base de dados não existe: " + caminho + ".\r\n" + CONFIRA_INI +
                   " Se a base foi apagada, restaure uma cópia de segurança.";
        case Causa::SemPermissao:
            return "O programa não tem permissão para ler e gravar o arquivo da base de dados " + caminho +
                   ". Peça permissão de leitura e gravação no arquivo e na sua pasta.";
        case Causa::NaoEBase:
            return "O arquivo " + caminho + " não é uma base de dados Firebird.\r\n" + CONFIRA_INI;
        case Causa::OutraVersao:
            return "A base de dados foi gravada por outra versão do Firebird e não pode ser aberta por esta. "
                   "Faça uma cópia com o gbak da versão que a criou e restaure-a com o gbak desta versão.";
        case Causa::Danificada:
            return std::string("A base de dados está danificada (arquivo incompleto ou com partes estragadas) e "
                               "não pode ser usada.\r\n") +
                   RESTAURE;
        case Causa::UsuarioRecusado:
            return "O servidor Firebird recusou o usuário e a senha. Confira as chaves Usuario e Senha, seção [KOV], "
                   "do arquivo KOV.ini (sem elas, o programa entra como SYSDBA com a senha padrão do KOV) e se o "
                   "usuário foi criado no servidor.";
        case Causa::ServidorInacessivel:
            return "Não foi possível falar com o servidor Firebird da base " + caminho +
                   ". Confira se o computador servidor está ligado e na rede, se o servidor Firebird está ativo "
                   "(porta 3050) e o nome do computador na chave Database, seção [KOV], do arquivo KOV.ini.";
        case Causa::SemDireitos:
            return "O usuário do KOV.ini não tem direitos sobre as tabelas da base " + caminho +
                   ". No servidor, restaure a base com o gbak entrando como esse usuário, para que ele seja o dono "
                   "dela (veja o README, seção do servidor), ou use o usuário dono da base nas chaves Usuario e "
                   "Senha do KOV.ini.";
        case Causa::Outra:
            break;
    }
    return {};
}

}  // namespace kov
