// Verbos da base: criação, atualização, versão e parâmetros.
#include <fstream>
#include <sstream>

#include "cli/Comum.h"
#include "data/CriarBase.h"
#include "data/Parametros.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"

namespace kov::cli {

namespace {

int criarBaseVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    const bool comScripts = a.size() > 2 && a[1] == "--scripts";
    if (a.size() != 1 && !comScripts) return usoIncorreto(v, c);
    if (comScripts) {
        std::vector<ScriptArquivo> scripts;
        for (size_t i = 2; i < a.size(); ++i) {
            std::ifstream f(a[i], std::ios::binary);
            if (!f) {
                c.err << "Arquivo não encontrado: " << a[i] << "\n";
                return USO_INCORRETO;
            }
            std::stringstream ss;
            ss << f.rdbuf();
            scripts.push_back({a[i], ss.str()});
        }
        criarBase(a[0], scripts);
    } else {
        criarBase(a[0]);
    }
    c.out << "Base criada: " << a[0] << "\n";
    return 0;
}

int atualizarBaseVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.size() > 1) return usoIncorreto(v, c);
    // O resultado (atualizada de que versão, a cópia de segurança, a tabela CNAE que não foi
    // renovada) vai para stdout; o andamento e as falhas, para stderr
    InteracaoCli ui(c.err);
    ui.informacoesEm(c.out);
    Tdm dm(ui, c.dir);
    if (a.size() == 1) dm.definirBanco(a[0]);
    if (!abrirModulo(dm, ui)) return 1;
    c.out << "Base na versão " << campoLista(dm.LerVersaoBanco()) << ": " << dm.caminhoBanco() << "\n";
    return 0;
}

int versaoVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (!a.empty()) return usoIncorreto(v, c);
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    c.out << "Programa: " << VersaoSistema(dm.ConfigApp) << "\n";
    if (!abrirModulo(dm, ui)) return 1;
    c.out << "Base: " << campoLista(dm.LerVersaoBanco()) << "\n";
    c.out << "Ano Base: " << campoLista(dm.LerParametro("ANOEXERCICIO")) << "\n";
    c.out << "Caminho Banco: " << dm.caminhoBanco() << "\n";
    return 0;
}

// Lê qualquer parâmetro gravado; grava só o ano base, e só um ano que a tela de parâmetros
// aceitaria. A versão da base é marca da atualização: gravá-la à mão trancaria a base ou
// faria a escada rodar de novo sobre uma base em dia.
int parametroVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.empty() || a.size() > 2) return usoIncorreto(v, c);
    const std::string nome = a[0];
    const bool anoBase = ChaveOrdemAlfabetica(nome) == "ANOEXERCICIO";
    if (a.size() == 2 && anoBase) {
        try {
            ValidarAnoBase(a[1], AnoAtual());
        } catch (const ErroSistema& e) {
            c.err << e.what() << "\n";
            return USO_INCORRETO;
        }
    }
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    const auto valor = LerParametroExistente(dm.MainConnection, nome);
    if (!valor) {
        c.err << "Parâmetro desconhecido: " << nome << "\nParâmetros da base:";
        for (const auto& [campo, _] : ListarParametros(dm.MainConnection)) c.err << " " << campoLista(campo);
        c.err << "\n";
        return USO_INCORRETO;
    }
    if (a.size() == 2 && !anoBase) {
        c.err << "O parâmetro " << nome << " só pode ser lido pela linha de comando; o único que se grava é o "
              << "ano base (ANOEXERCICIO).\n";
        return USO_INCORRETO;
    }
    if (a.size() == 2) {
        dm.GravarParametro("ANOEXERCICIO", a[1]);
        c.out << "Ano base: " << a[1] << "\n";
    } else {
        c.out << campoLista(*valor) << "\n";
    }
    return 0;
}

}  // namespace

void verbosBase(std::vector<Verbo>& v) {
    v.push_back({"", "criar-base", "CAMINHO [--scripts ARQ.sql...]",
            "Cria uma base nova a partir dos scripts do programa, ou dos scripts indicados.\n"
            "Recusa sobrescrever um arquivo existente; se falhar no meio, apaga a base incompleta.\n"
            "CAMINHO pode ser um arquivo (motor embutido) ou host:caminho (servidor Firebird).",
            criarBaseVerbo});
    v.push_back({"", "atualizar-base", "[CAMINHO]",
            "Atualiza a base até a versão do programa.\n"
            "Confere a versão da base do KOV.ini (ou a de CAMINHO) e a atualiza passo a passo até a\n"
            "versão do programa, guardando antes uma cópia do arquivo ao lado dele (KOV-<versão>.GDB).\n"
            "Uma atualização interrompida continua de onde parou, com a mesma cópia. Na subida desde\n"
            "a 7.00.04, a tabela CNAE é renovada com TabelaCNAE20.zip e Tabela_CNAEF_CNAE.zip da pasta\n"
            "da base, quando estão lá. Resultado em stdout; andamento e falhas em stderr.",
            atualizarBaseVerbo});
    v.push_back({"", "versao", "", "Versão do programa, versão da base, ano base e caminho da base.", versaoVerbo});
    v.push_back({"", "parametro", "NOME [VALOR]",
            "Lê ou grava um parâmetro da base.\n"
            "Lê o parâmetro NOME da tabela PARAMETROS (VERSAO, ANOEXERCICIO...).\n"
            "Com VALOR, grava o ano base: só ANOEXERCICIO pode ser gravado, com um ano de 2005 até\n"
            "o ano corrente, como na tela de parâmetros. Nome desconhecido ou valor recusado: saída 2.",
            parametroVerbo});
}

}  // namespace kov::cli
