// Verbos da entrega: declaracoes transmitir e declaracoes gravar, o mesmo fluxo da tela de
// entrega sem a tela (perguntas respondidas com --sim, a pasta da gravação com --pasta).
#include <filesystem>

#include "cli/Comum.h"
#include "data/dmPrincipal.h"
#include "delivery/untEntrega.h"
#include "delivery/untSetDeclaracoes.h"
#include "platform/Relogio.h"

namespace kov::cli {

namespace {

// Perguntas: Sim só com --sim. Pastas: a da gravação (diálogo sem título) vem de --pasta, a
// do transmissor de --enviax.
class InteracaoEntregaCli : public InteracaoCli {
public:
    InteracaoEntregaCli(std::ostream& err, bool sim, std::string pasta, std::string enviax)
        : InteracaoCli(err), err_(err), sim_(sim), pasta_(std::move(pasta)), enviax_(std::move(enviax)) {}
    bool pergunta(const std::string& titulo, const std::string& texto) override {
        if (sim_) return InteracaoCli::pergunta(titulo, texto);
        err_ << paraTerminal(texto) << " [Não] (use --sim para confirmar)\n";
        return false;
    }
    std::string escolherPasta(const std::string& titulo, const std::string&) override {
        return titulo.empty() ? pasta_ : enviax_;
    }

private:
    std::ostream& err_;
    bool sim_;
    std::string pasta_, enviax_;
};

// Cada linha de passo quando termina, as notas e o resultado, na saída padrão.
class PainelCli : public PainelEntrega {
public:
    explicit PainelCli(std::ostream& out) : out_(out) {}
    void marcado(int, const std::string& linha, bool) override { out_ << linha << "\n" << std::flush; }
    void nota(const std::string& texto) override { out_ << texto << "\n"; }
    void resultado(const std::string& texto, bool) override { out_ << texto << "\n"; }

private:
    std::ostream& out_;
};

int entregar(ModoEntrega modo, const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    std::vector<int> chaves;
    std::string pasta, enviax;
    bool sim = false;
    for (size_t i = 0; i < a.size(); ++i) {
        int n = 0;
        if (a[i] == "--sim") sim = true;
        else if (a[i] == "--pasta" && modo == ModoEntrega::Gravacao && i + 1 < a.size()) pasta = a[++i];
        else if (a[i] == "--enviax" && modo == ModoEntrega::Transmissao && i + 1 < a.size()) enviax = a[++i];
        else if (inteiroPositivo(a[i], n)) chaves.push_back(n);
        else return usoIncorreto(v, c, "Argumento inválido: " + a[i]);
    }
    if (chaves.empty()) return usoIncorreto(v, c, "Nenhuma declaração informada.");
    std::error_code ec;
    if (modo == ModoEntrega::Gravacao && pasta.empty()) return usoIncorreto(v, c, "Pasta não informada (--pasta PASTA).");
    if (!pasta.empty() && !std::filesystem::is_directory(pasta, ec)) {
        c.err << "Pasta não encontrada: " << pasta << "\n";
        return USO_INCORRETO;
    }
    InteracaoEntregaCli ui(c.err, sim, pasta, enviax);
    Tdm dm(ui, c.dir);
    if (!abrirModulo(dm, ui)) return 1;

    // A escolha, como na tela: as declarações oferecidas com "Todas Declarações"
    SelecaoDeclaracoes selecao(modo == ModoEntrega::Transmissao ? ModoSelecao::Transmissao : ModoSelecao::Gravacao);
    std::optional<std::vector<std::string>> escolha;
    try {
        if (!selecao.reconstruir(dm.MainConnection, dm.LerParametro("ANOEXERCICIO"))) {
            ui.erro(MSG_NENHUMA_ENCONTRADA);
            return 1;
        }
        std::vector<size_t> indices;
        for (int chave : chaves) {
            bool achada = false;
            for (size_t i = 0; i < selecao.disponiveis().size(); ++i)
                if (std::stoi(ChaveEscolha(selecao.disponiveis()[i]).substr(21, 10)) == chave) {
                    indices.push_back(i);
                    achada = true;
                }
            if (!achada) {
                c.err << "A declaração " << chave
                      << " não está entre as consistentes do ano base que podem ser entregues.\n";
                return 1;
            }
        }
        selecao.incluir(indices);
        escolha = selecao.confirmar(ui);
    } catch (const std::exception& e) {
        ui.erro(std::string(e.what()) + "\rContacte o suporte da DRU!");
        return 1;
    }
    if (!escolha) return 1;

    RelogioSistema relogio;
    PainelCli painel(c.out);
    ExecucaoEntrega execucao(dm, modo, painel, relogio);
    try {
        if (!execucao.confirmar(*escolha)) return 1;
        const bool ok = execucao.executar();
        execucao.encerrar();
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        ui.erro(e.what());
        return 1;
    }
}

int transmitirVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    return entregar(ModoEntrega::Transmissao, v, a, c);
}

int gravarVerbo(const Verbo& v, const std::vector<std::string>& a, Contexto& c) {
    return entregar(ModoEntrega::Gravacao, v, a, c);
}

}  // namespace

void verbosEntrega(std::vector<Verbo>& v) {
    v.push_back({"declaracoes", "transmitir", "N... [--sim] [--enviax PASTA]",
                 "Transmite as declarações de chave N (consistentes, do ano base; no máximo 10) pelo\n"
                 "transmissor ENVIAX.EXE da pasta indicada no KOV.ini (seção ENVIAX, chave Caminho).\n"
                 "Cada declaração é consistida de novo e escrita na pasta temp do programa; as que voltam\n"
                 "com protocolo ganham a entrega (T) com o recibo. Mostra cada passo e o resultado.\n"
                 "As perguntas (já gravadas, já transmitidas, confirmação) só são respondidas Sim com --sim.\n"
                 "--enviax PASTA: a pasta do transmissor quando o KOV.ini não a tem (fica gravada nele).\n"
                 "Saída 0 só quando a transmissão foi feita.",
                 transmitirVerbo});
    v.push_back({"declaracoes", "gravar", "N... --pasta PASTA [--sim]",
                 "Grava as declarações de chave N (consistentes, do ano base; no máximo 10) na PASTA, com o\n"
                 "bloco de dados cifrado, para transmissão posterior pelo ENVIAX; cada uma ganha a entrega\n"
                 "(D) com o recibo. Mostra cada passo e o resultado. As perguntas só são respondidas Sim com\n"
                 "--sim. Saída 0 só quando a gravação foi feita.",
                 gravarVerbo});
}

}  // namespace kov::cli
