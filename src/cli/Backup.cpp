// Verbos da cópia de segurança e da restauração: da base inteira e de declarações escolhidas.
#include <algorithm>
#include <filesystem>

#include "cli/Comum.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "delivery/untBackup.h"

namespace kov::cli {

namespace {

// Lê "--pasta DIR" de 'a' (retirando-o); falso quando falta o valor.
bool lerPasta(std::vector<std::string>& a, std::string& pasta) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != "--pasta") continue;
        if (i + 1 >= a.size()) return false;
        pasta = a[i + 1];
        a.erase(a.begin() + static_cast<long>(i), a.begin() + static_cast<long>(i) + 2);
        return true;
    }
    return true;
}

int backupBaseVerbo(const Verbo& v, const std::vector<std::string>& args, Contexto& c) {
    std::vector<std::string> a = args;
    std::string pasta;
    if (!lerPasta(a, pasta) || !a.empty()) return usoIncorreto(v, c);
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    TBackup b(dm, ui);
    const std::string zip = b.GerarBackupBase(pasta.empty() ? PastaBackupPadrao(dm.diretorioPrograma()) : pasta);
    if (zip.empty()) return 1;
    c.out << zip << "\n";
    return 0;
}

int restaurarBaseVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.size() != 2 || a[1] != "--sim") {
        c.err << InteracaoCli::paraTerminal(MSG_CONFIRMA_RESTAURACAO) << "\nConfirme com --sim.\n";
        return usoIncorreto(v, c);
    }
    if (!arquivosExistem({a[0]}, c)) return USO_INCORRETO;
    InteracaoCli ui(c.err);
    ui.informacoesEm(c.out);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    TBackup b(dm, ui);
    return b.ExecutarRestauracao(a[0]) == FimRestauracao::Restaurada ? 0 : 1;
}

int backupDeclaracoesVerbo(const Verbo& v, const std::vector<std::string>& args, Contexto& c) {
    std::vector<std::string> a = args;
    std::string pasta;
    if (!lerPasta(a, pasta) || a.empty()) return usoIncorreto(v, c);
    std::vector<int> ids;
    for (const auto& s : a) {
        int n = 0;
        if (!inteiroPositivo(s, n)) return usoIncorreto(v, c, "Chave de declaração inválida: " + s);
        ids.push_back(n);
    }
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    std::vector<std::string> chaves;
    for (int id : ids) {
        const auto k = ChaveEscolhaDaDeclaracao(dm.MainConnection, id);
        if (!k) {
            c.err << "Declaração não encontrada: " << id << "\n";
            return 1;
        }
        chaves.push_back(*k);
    }
    std::sort(chaves.begin(), chaves.end());
    TBackup b(dm, ui);
    const std::string zip =
        b.GerarBackupDeclaracoes(chaves, pasta.empty() ? PastaBackupPadrao(dm.diretorioPrograma()) : pasta);
    if (zip.empty()) return 1;
    c.out << zip << "\n";
    return 0;
}

int restaurarDeclaracoesVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    if (a.size() < 2) return usoIncorreto(v, c, "Indique --todas ou os nomes dos arquivos a restaurar.");
    if (!arquivosExistem({a[0]}, c)) return USO_INCORRETO;
    const bool todas = a.size() == 2 && a[1] == "--todas";
    InteracaoCli ui(c.err);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;
    TBackup b(dm, ui);
    int codigo = 0;
    try {
        const auto nomes = b.AbrirBackupDeclaracoes(a[0]);
        std::vector<std::pair<int, std::string>> marcados;
        for (size_t i = 0; i < nomes.size(); ++i)
            if (todas || std::find(a.begin() + 1, a.end(), nomes[i]) != a.end())
                marcados.emplace_back(static_cast<int>(i) + 1, nomes[i]);
        for (size_t i = 1; i < a.size() && !todas; ++i)
            if (std::find(nomes.begin(), nomes.end(), a[i]) == nomes.end()) {
                c.err << "Arquivo não contido na cópia: " << a[i] << "\n";
                codigo = USO_INCORRETO;
            }
        if (codigo == 0) {
            const int antes = ui.falhas();
            b.RestaurarDeclaracoes(marcados);
            if (ui.falhas() > antes) codigo = 1;
        }
    } catch (const Abortar&) {
        codigo = 1;
    } catch (const std::exception& e) {
        ui.erro(e.what());
        codigo = 1;
    }
    b.LimparRestauracaoDeclaracoes();
    return codigo;
}

}  // namespace

void verbosBackup(std::vector<Verbo>& v) {
    v.push_back({"base", "backup", "[--pasta DIR]",
            "Gera a cópia de segurança da base inteira.\n"
            "Grava BKP_KOV_BNC<ddmmaaaa>h<hhmmss>.ZIP com o arquivo KOV.GDB na pasta de cópias\n"
            "(../backup da pasta do programa, ou DIR). A cópia é uma imagem consistente da base, tirada\n"
            "sem fechar a conexão; um ZIP do mesmo nome recebe a base no lugar da anterior. O caminho\n"
            "do ZIP vai para stdout; andamento e falhas, para stderr.",
            backupBaseVerbo});
    v.push_back({"base", "restaurar", "ARQUIVO.zip --sim",
            "Restaura a base inteira de uma cópia de segurança.\n"
            "A base atual é guardada em bkpOriginalKOV.GDB, a cópia é extraída e reconstruída pela\n"
            "ferramenta gbak numa pasta de trabalho e só então toma o lugar da base; depois a versão\n"
            "da base é atualizada. Qualquer falha deixa a base atual como estava. Sem --sim nada é feito.",
            restaurarBaseVerbo});
    v.push_back({"declaracoes", "backup", "N... [--pasta DIR]",
            "Gera a cópia de segurança das declarações de chaves N.\n"
            "Cada declaração é consistida e gravada cifrada em ../~tmp; os arquivos vão para\n"
            "BKP_KOV_DEC<ddmmaaaa><hhmmss>.ZIP na pasta de cópias (../backup, ou DIR). Arquivos que uma\n"
            "cópia com falha deixou em ../~tmp entram na próxima.",
            backupDeclaracoesVerbo});
    v.push_back({"declaracoes", "restaurar", "ARQUIVO.zip [--todas | NOME...]",
            "Restaura declarações de uma cópia de segurança.\n"
            "Extrai o ZIP em temp/tempdec (sem as pastas dos nomes; nada é escrito fora dela) e\n"
            "restaura todos os arquivos (--todas) ou os de nome NOME, um a um, pelo leitor dos arquivos\n"
            "de declaração. A pasta de trabalho é esvaziada no fim.",
            restaurarDeclaracoesVerbo});
}

}  // namespace kov::cli
