// Atualização da base: a verificação de uma base em dia (meta: menos de 50 ms) e a
// subida completa de uma base 7.00.04 com 1.000 declarações (meta: menos de 10 s).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "data/CriarBase.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/Interacao.h"

namespace fs = std::filesystem;

namespace {

class InteracaoMuda : public kov::Interacao {
public:
    int falhas = 0;
    void mensagem(kov::TipoMensagem t, const std::string&, const std::string&) override {
        if (t != kov::TipoMensagem::Informacao) ++falhas;
    }
    bool pergunta(const std::string&, const std::string&) override { return true; }
    void erro(const std::string&) override { ++falhas; }
};

struct Pasta {
    fs::path raiz = fs::temp_directory_path() / ("kov-bench-" + std::to_string(std::random_device{}()));
    Pasta() {
        fs::create_directories(raiz / "EXE");
        fs::create_directories(raiz / "BD");
        std::ofstream(raiz / "EXE" / "KOV.ini") << "[KOV]\nDatabase=..\\BD\\KOV.GDB\n";
    }
    ~Pasta() { fs::remove_all(raiz); }
};

std::string ler(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Multiplica as 14 declarações da base antiga até passar de 'total', com todas as seções.
void multiplicarDeclaracoes(const std::string& banco, int total) {
    kov::fb::Conexao c;
    kov::fb::ParametrosConexao p;
    p.banco = banco;
    c.abrir(p);
    kov::fb::Transacao tr(c);
    const char* tabelas[] = {"DOCUMENTO", "ESTOQUE", "DESPESASOPERACIONAIS", "DEMOSTRACAORESULTADOOPERACIONAL",
                             "ENTRADA", "SAIDA", "KOV", "EXCLUSOESKOV", "DETALHAMENTOES", "GIENTRADA", "GISAIDAS",
                             "DETALHAMENTOENTRADA"};
    std::vector<std::string> comandos;
    for (const char* t : tabelas) {
        kov::fb::Comando q(tr, std::string("SELECT TRIM(RDB$FIELD_NAME) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = '") +
                                   t + "' ORDER BY RDB$FIELD_POSITION");
        std::string cols, sel;
        while (q.proximo()) {
            const std::string col = q.coluna(0).texto();
            cols += (cols.empty() ? "" : ", ") + col;
            sel += (sel.empty() ? "" : ", ") + (col == "DOCUMENTO_ID" ? "DOCUMENTO_ID + :OFF" : col);
        }
        comandos.push_back(std::string("INSERT INTO ") + t + " (" + cols + ") SELECT " + sel + " FROM " + t +
                           " WHERE DOCUMENTO_ID <= 14");
    }
    for (int off = 100; off / 100 * 14 < total; off += 100)
        for (const auto& sql : comandos) {
            kov::fb::Comando ins(tr, sql);
            ins.param("OFF", off).executar();
        }
    tr.commit();
}

void BM_VerificacaoBaseEmDia(benchmark::State& state) {
    Pasta pasta;
    kov::criarBase((pasta.raiz / "BD" / "KOV.GDB").string());
    InteracaoMuda ui;
    kov::Tdm dm(ui, (pasta.raiz / "EXE").string());
    dm.DataModuleCreate();
    for (auto _ : state) {
        dm.AtualizarBaseDados();
        if (ui.falhas || dm.terminacaoSolicitada()) state.SkipWithError("a verificação falhou");
    }
}
BENCHMARK(BM_VerificacaoBaseEmDia)->Unit(benchmark::kMillisecond);

void BM_SubidaCompletaDe70004Com1000Declaracoes(benchmark::State& state) {
    Pasta pasta;
    const fs::path antigas = fs::path(KOV_FONTE) / "db" / "antigas";
    const fs::path modelo = pasta.raiz / "MODELO.GDB";
    kov::criarBase(modelo.string(), {{"base-7.00.04.sql", ler(antigas / "base-7.00.04.sql")}});
    multiplicarDeclaracoes(modelo.string(), 1000);
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& a : fs::directory_iterator(pasta.raiz / "BD")) fs::remove(a.path());
        fs::copy_file(modelo, pasta.raiz / "BD" / "KOV.GDB");
        for (const char* z : {"TabelaCNAE20.zip", "Tabela_CNAEF_CNAE.zip"}) fs::copy_file(antigas / z, pasta.raiz / "BD" / z);
        state.ResumeTiming();
        InteracaoMuda ui;
        kov::Tdm dm(ui, (pasta.raiz / "EXE").string());
        dm.DataModuleCreate();
        if (ui.falhas || !dm.ref.abertas || dm.LerVersaoBanco() != "7.07.10") state.SkipWithError("a subida falhou");
    }
}
BENCHMARK(BM_SubidaCompletaDe70004Com1000Declaracoes)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
