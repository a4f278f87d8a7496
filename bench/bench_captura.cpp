// A captura de protocolos de uma pasta com 100 declarações gravadas e devolvidas pelo
// substituto do transmissor (ENVIAX.EXE): a leitura da pasta (cópia de cada arquivo, conferência
// do verificador, leitura do cabeçalho e busca da declaração) e a captura das 100 linhas, cada
// uma na sua transação com o recibo refeito. Metas: a lista em menos de 1 s e a captura das 100
// em menos de 5 s (um contador traz de volta a pasta de todos os seus clientes de uma vez).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "delivery/untCaptura.h"
#include "delivery/untEntrega.h"
#include "delivery/untSetDeclaracoes.h"
#include "files/CifraRSA.h"
#include "platform/Memoria.h"
#include "platform/Processos.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

constexpr int DECLARACOES = 100;

struct RelogioParado : Relogio {
    DataHoraLocal agora() override { return {std::chrono::year{2026} / 3 / 10, 14, 30, 5}; }
    std::string definir(const DataHoraLocal&) override { return "parado"; }
};

// Base com 100 declarações gravadas em pasta (linhas "D") e a pasta devolvida com os protocolos.
struct Instalacao {
    teste::InstalacaoTeste inst;
    teste::InteracaoGravada ui;
    std::unique_ptr<Tdm> dm;
    fs::path devolvidos;

    Instalacao() {
        inst.escreverIni("[KOV]\r\nDatabase=..\\BD\\KOV.GDB\r\n");
        GravarParChavesRSA(GerarParChavesRSA(), inst.exe.string());
        {
            fb::Conexao c;
            fb::ParametrosConexao p;
            p.banco = inst.base.string();
            c.abrir(p);
            teste::DeclaracoesParaEntrega(c, DECLARACOES, "2016");
        }
        dm = std::make_unique<Tdm>(ui, inst.exe.string() + "/");
        dm->DataModuleCreate();
        if (!dm->conectado()) throw std::runtime_error("o módulo de dados não abriu");
        devolvidos = inst.raiz.caminho() / "devolvidos";
        fs::create_directories(devolvidos);
        RelogioParado relogio;
        PainelEntrega painel;
        ExecucaoEntrega ex(*dm, ModoEntrega::Gravacao, painel, relogio);
        SelecaoDeclaracoes s(ModoSelecao::Gravacao);
        if (!s.reconstruir(dm->MainConnection, "2016")) throw std::runtime_error("nenhuma declaração");
        s.incluirTodas();
        ui.pastas = {devolvidos.string()};
        if (!ex.confirmar(s.chaves()) || !ex.executar()) throw std::runtime_error("a gravação falhou");
        ex.encerrar();
        std::vector<std::string> args;
        for (const auto& e : fs::directory_iterator(devolvidos)) args.push_back(e.path().string());
        if (args.size() != DECLARACOES || ExecutarEEsperar(KOV_ENVIAX, args, "/", {}) != 0)
            throw std::runtime_error("o transmissor não devolveu os arquivos");
        ui.mensagens.clear();
    }

    // As entregas voltam a ser gravações, como antes da captura.
    void desfazerCapturas() {
        fb::Transacao tr(dm->MainConnection);
        fb::Comando::executarDireto(tr,
                                    "UPDATE TRANSMISSAO SET TIPOTRANSMISSAO = 'D', PROTOCOLO = NULL, HORA = NULL");
        tr.commit();
    }
};

void BM_ListarPastaCom100Devolvidos(benchmark::State& state) {
    Instalacao i;
    size_t linhas = 0;
    for (auto _ : state) {
        CapturaProtocolos cap(*i.dm, ModoCaptura::Captura);
        cap.LerArquivosProtocolo(i.devolvidos.string());
        cap.OrdenarEncontradas();
        linhas = cap.encontradas().size();
    }
    if (linhas != DECLARACOES) state.SkipWithError("a pasta não listou as 100 declarações");
    state.counters["linhas"] = static_cast<double>(linhas);
}
BENCHMARK(BM_ListarPastaCom100Devolvidos)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Capturar100Protocolos(benchmark::State& state) {
    Instalacao i;
    int capturados = 0;
    for (auto _ : state) {
        state.PauseTiming();
        i.desfazerCapturas();
        CapturaProtocolos cap(*i.dm, ModoCaptura::Captura);
        cap.LerArquivosProtocolo(i.devolvidos.string());
        cap.OrdenarEncontradas();
        state.ResumeTiming();
        capturados = 0;
        while (!cap.encontradas().empty() && cap.actCapturarExecute()) ++capturados;
    }
    if (capturados != DECLARACOES) state.SkipWithError("nem todas as linhas foram capturadas");
    state.counters["capturados"] = capturados;
}
BENCHMARK(BM_Capturar100Protocolos)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    kov::AjustarAlocadorMemoria();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
