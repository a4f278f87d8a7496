// Início do módulo de dados sobre a base distribuída: ler KOV.ini, conectar, verificar a
// versão e carregar as tabelas de referência. Meta: menos de 300 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

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
