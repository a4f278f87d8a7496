// A entrega de ponta a ponta (meta: menos de 2 s): 10 declarações com 300 linhas de outras
// entradas por município cada, escolhidas, consistidas de novo, escritas na pasta temporária,
// transmitidas pelo substituto do transmissor (ENVIAX.EXE, processo filho), com os protocolos
// lidos de volta e as 10 entregas gravadas com o recibo numa transação.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/dmPrincipal.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "delivery/untEntrega.h"
#include "delivery/untSetDeclaracoes.h"
#include "platform/Memoria.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

// Relógio que não muda de data: a medição nunca toca no relógio da máquina.
struct RelogioParado : Relogio {
    DataHoraLocal agora() override { return {std::chrono::year{2026} / 3 / 10, 10, 0, 0}; }
    std::string definir(const DataHoraLocal&) override { return "parado"; }
};

struct Instalacao {
    teste::InstalacaoTeste inst;
    teste::InteracaoGravada ui;
    std::unique_ptr<Tdm> dm;
    std::vector<std::string> chaves;

    Instalacao() {
        inst.escreverIni("[KOV]\r\nDatabase=..\\BD\\KOV.GDB\r\n\r\n[ENVIAX]\r\nCaminho=" +
                         fs::path(KOV_ENVIAX).parent_path().string() + "\r\n");
        {
            fb::Conexao c;
            fb::ParametrosConexao p;
            p.banco = inst.base.string();
            c.abrir(p);
            const auto ids = teste::DeclaracoesParaEntrega(c, 10, "2016");
            fb::Transacao tr(c);
            fb::Comando::executarDireto(tr,
                                        "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 300) DO BEGIN "
                                        "INSERT INTO MUNICIPIO VALUES (900000 + :I, 900000 + :I, 'MUNICÍPIO ' || :I); "
                                        "I = I + 1; END END");
            tr.commit();
            // 300 municípios com valor zero: a soma continua igual às outras entradas do KOV
            // (a declaração segue consistente) e cada linha vai inteira para o arquivo e o recibo
            fb::Transacao t2(c);
            for (int id : ids)
                fb::Comando::executarDireto(
                    t2, "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 300) DO BEGIN "
                        "INSERT INTO DETALHAMENTOENTRADA (DOCUMENTO_ID, CODDRUMUNICIPIO, VALOR, MUDANCAMUNICIPIO, "
                        "VALORMUDANCA) VALUES (" +
                            std::to_string(id) + ", 900000 + :I, 0, 'N', 0); I = I + 1; END END");
            t2.commit();
        }
        dm = std::make_unique<Tdm>(ui, inst.exe.string() + "/");
        dm->DataModuleCreate();
        if (!dm->conectado()) throw std::runtime_error("o módulo de dados não abriu");
        SelecaoDeclaracoes s(ModoSelecao::Transmissao);
        if (!s.reconstruir(dm->MainConnection, "2016")) throw std::runtime_error("nenhuma declaração");
        s.incluirTodas();
        chaves = s.chaves();
    }
};

void BM_Transmitir10Declaracoes300Municipios(benchmark::State& state) {
    Instalacao i;
    RelogioParado relogio;
    PainelEntrega painel;
    for (auto _ : state) {
        state.PauseTiming();
        {
            fb::Transacao tr(i.dm->MainConnection);
            fb::Comando::executarDireto(tr, "DELETE FROM TRANSMISSAO");
            tr.commit();
        }
        i.ui.mensagens.clear();
        state.ResumeTiming();
        ExecucaoEntrega ex(*i.dm, ModoEntrega::Transmissao, painel, relogio);
        if (!ex.confirmar(i.chaves) || !ex.executar()) {
            const auto t = i.ui.textos();
            state.SkipWithError(t.empty() ? "a entrega falhou" : t.back().c_str());
            break;
        }
        ex.encerrar();
    }
    fb::Transacao tr(i.dm->MainConnection);
    fb::Comando q(tr, "SELECT COUNT(*) FROM TRANSMISSAO WHERE TIPOTRANSMISSAO = 'T'");
    q.proximo();
    state.counters["entregas"] = static_cast<double>(q.coluna(0).inteiro());
}
BENCHMARK(BM_Transmitir10Declaracoes300Municipios)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    kov::AjustarAlocadorMemoria();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
