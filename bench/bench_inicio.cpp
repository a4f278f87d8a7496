// Início do módulo de dados sobre a base distribuída com 10.000 declarações de 10.000
// contribuintes: ler KOV.ini, conectar, verificar a versão e carregar as tabelas de referência.
// Meta: menos de 300 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "DeclaracaoGrande.h"
#include "data/CriarBase.h"
#include "data/dmPrincipal.h"
#include "platform/Interacao.h"

namespace fs = std::filesystem;

namespace {

class InteracaoMuda : public kov::Interacao {
public:
    int mensagens = 0;
    void mensagem(kov::TipoMensagem, const std::string&, const std::string&) override { ++mensagens; }
    bool pergunta(const std::string&, const std::string&) override { return true; }
};

struct Instalacao {
    fs::path raiz;
    Instalacao() {
        raiz = fs::temp_directory_path() / ("kov-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(raiz / "EXE");
        fs::create_directories(raiz / "BD");
        std::ofstream(raiz / "EXE" / "KOV.ini") << "[KOV]\nDatabase=..\\BD\\KOV.GDB\n";
        kov::criarBase((raiz / "BD" / "KOV.GDB").string());
        kov::fb::Conexao c;
        kov::fb::ParametrosConexao p;
        p.banco = (raiz / "BD" / "KOV.GDB").string();
        c.abrir(p);
        int municipio = 0;
        {
            kov::fb::Transacao tr(c);
            kov::fb::Comando m(tr, "SELECT FIRST 1 CODDRUMUNICIPIO FROM MUNICIPIO ORDER BY CODDRUMUNICIPIO");
            if (m.proximo()) municipio = static_cast<int>(m.coluna(0).inteiro());
            tr.commit();
        }
        kov::bench::EncherDeclaracoes(c, 10000, 100, 2016, municipio);
        c.fechar();
    }
    ~Instalacao() { fs::remove_all(raiz); }
};

void BM_InicioModuloDados(benchmark::State& state) {
    Instalacao inst;
    for (auto _ : state) {
        InteracaoMuda ui;
        kov::Tdm dm(ui, (inst.raiz / "EXE").string());
        dm.DataModuleCreate();
        if (ui.mensagens || !dm.ref.abertas) state.SkipWithError("o módulo de dados não abriu");
        benchmark::DoNotOptimize(dm.ref.cdsCNAEF.size());
    }
}
BENCHMARK(BM_InicioModuloDados)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
